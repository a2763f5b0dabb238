#include "cli/BatchRunner.h"

#include "batch/BatchSession.h"
#include "batch/FileNames.h"
#include "cli/FailureWords.h"
#include "cli/PrintableName.h"
#include "cli/InterruptRelay.h"
#include "cli/ProgressLine.h"
#include "engine/FailureCause.h"

#include <algorithm>
#include <cstring>
#include <thread>

BatchRunner::BatchRunner(std::ostream& out, ProgressLine& progress,
                         const std::atomic<bool>& interrupt, NameJournal* journal)
    : m_out(out), m_progress(progress), m_interrupt(interrupt), m_journal(journal)
{}

BatchRunner::~BatchRunner() = default;

std::vector<PositionOutcome> BatchRunner::Run(const std::vector<BatchInput>& inputs,
                                              const std::string& outputFolder)
{
    m_inputs = &inputs;
    m_folder = outputFolder;
    m_outcomes.assign(inputs.size(), PositionOutcome{});
    m_reported.assign(inputs.size(), false);

    std::vector<std::size_t> pending(inputs.size());
    for (std::size_t i = 0; i < pending.size(); ++i)
        pending[i] = i;

    while (!pending.empty()) {
        if (m_interrupt.load()) {
            PositionOutcome notReached;
            notReached.kind = PositionOutcome::kNotReached;
            for (std::size_t input : pending)
                Report(input, notReached);
            break;
        }
        // Every input in one batch; after a failure that ends it, the
        // inputs it did not reach get a batch of their own.
        pending = RunOneBatch(pending);
    }
    m_progress.Clear();
    return m_outcomes;
}

namespace {

// The chosen inputs as one batch's files, named in the output folder.
std::vector<BatchFile> PlanFiles(const std::vector<BatchInput>& inputs,
                                 const std::vector<std::size_t>& chosen, const std::string& folder)
{
    std::vector<std::string> paths;
    for (std::size_t input : chosen)
        paths.push_back(inputs[input].path);
    std::vector<BatchFile> files = PlanBatch(paths, folder);
    for (std::size_t k = 0; k < files.size(); ++k) {
        files[k].duration_s = inputs[chosen[k]].duration_s;
        files[k].turnDeg = inputs[chosen[k]].turn_deg;
    }
    return files;
}

}  // namespace

std::vector<std::size_t> BatchRunner::RunOneBatch(const std::vector<std::size_t>& chosen)
{
    BatchSession session(m_journal);
    session.Start(PlanFiles(*m_inputs, chosen, m_folder), 0);
    SetInterruptTarget(session.CancelFlag());

    const int total = static_cast<int>(m_inputs->size());
    bool cancelSent = false;
    auto tick = [&] {
        if (!cancelSent && m_interrupt.load()) {
            session.Cancel();
            cancelSent = true;
        }
        const SessionPoll poll = session.Poll();
        for (int position : poll.settled)
            Report(chosen[static_cast<std::size_t>(position)], session.Outcome(position));
        const int current = poll.job.current;
        if (!cancelSent && current >= 0 && current < session.FileCount()) {
            const std::size_t input = chosen[static_cast<std::size_t>(current)];
            m_progress.Show(static_cast<int>(input) + 1, total,
                            PrintableName((*m_inputs)[input].path), poll.job.percent);
        }
    };

    // The figures are read at poll_interval, but the end of the worker is
    // noticed within a few milliseconds: a short batch is not held up.
    constexpr auto step = std::chrono::milliseconds(5);
    while (session.WorkerRunning()) {
        tick();
        for (auto waited = std::chrono::milliseconds(0);
             waited < poll_interval && session.WorkerRunning(); waited += step)
            std::this_thread::sleep_for(std::min(step, poll_interval));
    }
    session.Join();
    // The record goes with the session; with the worker gone the handler
    // can only run on this thread, so no store can come after this.
    SetInterruptTarget(nullptr);
    tick();

    return SettleBatch(session, chosen);
}

std::vector<std::size_t> BatchRunner::SettleBatch(BatchSession& session,
                                                  const std::vector<std::size_t>& chosen)
{
    const SessionEnd end = session.Conclude();
    std::vector<std::size_t> retry;
    for (int position : end.settled) {
        const std::size_t input = chosen[static_cast<std::size_t>(position)];
        const PositionOutcome& outcome = session.Outcome(position);
        // A failure that ended the worker before this file: it gets its
        // turn in the next batch.
        if (outcome.kind == PositionOutcome::kNotReached && end.end == BatchEnd::kWorkerEndedEarly)
            retry.push_back(input);
        else
            Report(input, outcome);
    }
    return retry;
}

namespace {

// The output could not be created because its folder is gone or takes no
// new file: said of the folder, not of the file.
bool OutputFolderRefused(const Failure& failure)
{
    if (failure.step != Failure::kCreateOutputFile)
        return false;
    const FailureCause cause = CauseOf(failure.code);
    return cause == FailureCause::kMissing || cause == FailureCause::kNoPermission ||
           cause == FailureCause::kReadOnly;
}

}  // namespace

void BatchRunner::Report(std::size_t input, const PositionOutcome& outcome)
{
    m_outcomes[input] = outcome;
    if (m_reported[input])
        return;
    m_reported[input] = true;
    const std::string path = PrintableName((*m_inputs)[input].path);
    const std::string output = PrintableName(outcome.output);
    if (outcome.kind == PositionOutcome::kDone)
        m_progress.Finish(static_cast<int>(input) + 1, static_cast<int>(m_inputs->size()), path);
    m_progress.Clear();
    switch (outcome.kind) {
    case PositionOutcome::kDone:
        m_out << "done: " << path << " -> " << output << '\n';
        if (outcome.moveError != 0)
            m_out << "  note: kept the name " << output << ": "
                  << std::strerror(outcome.moveError) << '\n';
        if (!outcome.leftOut.empty())
            m_out << "  note: " << LeftOutNote(outcome.leftOut) << '\n';
        break;
    case PositionOutcome::kFailed:
        m_out << "failed: " << path << ": ";
        if (OutputFolderRefused(outcome.failure))
            m_out << "cannot write into the output folder " << PrintableName(m_folder) << '\n';
        else
            m_out << FailureSentence(outcome.failure) << '\n';
        break;
    case PositionOutcome::kStopped:
        m_out << "stopped: " << path << ": partial output removed\n";
        break;
    case PositionOutcome::kPending:
    case PositionOutcome::kNotReached:
        m_out << "not started: " << path << '\n';
        break;
    }
    m_out << std::flush;
}
