#pragma once

#include "batch/PositionOutcome.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class BatchSession;
class NameJournal;
class ProgressLine;

// One accepted input of a batch.
struct BatchInput {
    std::string path;
    double duration_s = 0;
    int turn_deg = 0;  // clockwise degrees this file is turned by
};

// Runs accepted inputs through one batch session (a failure that ends a
// batch leaves the inputs it did not reach to a further one), and prints one result line per input on `out` and progress on
// `progress`. Inputs are read under their own names; each output is
// written under a free .mov name and then given the input's extension.
class BatchRunner
{
public:
    // journal (may be null): where the outputs are recorded while they are
    // being written.
    BatchRunner(std::ostream& out, ProgressLine& progress, const std::atomic<bool>& interrupt,
                NameJournal* journal = nullptr);
    ~BatchRunner();

    // One outcome per input, in the order of inputs; each input is turned
    // by its own turn_deg.
    std::vector<PositionOutcome> Run(const std::vector<BatchInput>& inputs,
                                     const std::string& outputFolder);

    std::chrono::milliseconds poll_interval{100};

private:
    // One session over the given inputs. Returns
    // the inputs a failure that ended the worker kept from being tried.
    std::vector<std::size_t> RunOneBatch(const std::vector<std::size_t>& chosen);
    // Reports what the ended batch settled; returns the inputs to run again.
    std::vector<std::size_t> SettleBatch(BatchSession& session,
                                         const std::vector<std::size_t>& chosen);
    void Report(std::size_t input, const PositionOutcome& outcome);

    std::ostream& m_out;
    ProgressLine& m_progress;
    const std::atomic<bool>& m_interrupt;
    NameJournal* m_journal;

    const std::vector<BatchInput>* m_inputs = nullptr;
    std::string m_folder;
    std::vector<PositionOutcome> m_outcomes;
    std::vector<bool> m_reported;
};
