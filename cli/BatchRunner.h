#pragma once

#include "OwnedFile.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

struct ConversionJob;
class ProgressLine;

// One accepted input of a batch.
struct BatchInput {
    std::string path;
    double duration_s = 0;
};

// How one input ended.
struct BatchOutcome {
    enum Kind {
        kDone,        // output complete under `output`
        kFailed,      // the engine or the output folder failed it; no output left
        kStopped,     // in work when the run was stopped; partial output removed
        kNotReached,  // the run was stopped before it
    };
    Kind kind = kNotReached;
    std::string output;  // final name of a done file
    std::string note;    // what went wrong, or why a done file kept its .mov name
};

// Runs accepted inputs through the rotation worker, one batch at a time:
// chooses free output names, fills the job record, starts the worker, polls it,
// gives done outputs their final names and removes the partial outputs of
// failed or stopped files. Prints one result line per input on `out` and
// progress on `progress`.
class BatchRunner {
public:
    BatchRunner(std::ostream& out, ProgressLine& progress, const std::atomic<bool>& interrupt);
    ~BatchRunner();

    std::vector<BatchOutcome> Run(const std::vector<BatchInput>& inputs, const std::string& outputFolder,
                                  int rotationDeg);

    std::chrono::milliseconds poll_interval{100};

private:
    struct Slot;

    // One worker run over the given inputs (at most one job's worth). Returns
    // the inputs a failure that ended the worker kept from being tried.
    std::vector<std::size_t> RunOneBatch(const std::vector<std::size_t>& chosen);
    void Finish(Slot& slot, unsigned status, bool reachedAndStopped);
    void Report(std::size_t input, const BatchOutcome& outcome);

    std::ostream& m_out;
    ProgressLine& m_progress;
    const std::atomic<bool>& m_interrupt;
    std::unique_ptr<ConversionJob> m_job;

    const std::vector<BatchInput>* m_inputs = nullptr;
    std::string m_folder;
    int m_rotation = 0;
    std::vector<BatchOutcome> m_outcomes;
    std::vector<bool> m_reported;
};
