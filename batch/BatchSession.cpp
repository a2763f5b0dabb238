#include "BatchSession.h"

#include "ConversionJob.h"
#include "CreatedOutput.h"
#include "FileNames.h"
#include "NameJournal.h"
#include "RotationWorker.h"
#include "SafeMove.h"

#include <algorithm>
#include <optional>

namespace {

// The input file name's extension without its dot; empty when the name has
// none (such an output keeps the name it was written under).
std::string InputExtension(const std::string& path)
{
    const std::size_t dot = ExtensionDot(path);
    return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

}  // namespace

struct BatchSession::Position {
    bool settled = false;
    bool inputAway = false;    // the input is still under its temporary name
    bool movePending = false;  // a done output still waits for its final name
    std::optional<CreatedFile> output;  // the file the worker wrote, once looked up
};

BatchSession::BatchSession(ConversionJob& job, NameJournal* journal) : m_job(job), m_journal(journal) {}

BatchSession::~BatchSession()
{
    if (m_worker.joinable()) {
        Cancel();
        Join();
    }
}

void BatchSession::Start(std::vector<BatchFile> files, int rotationDeg, int preFileWaitMs)
{
    Join();
    m_files = std::move(files);
    m_outcomes.assign(m_files.size(), PositionOutcome {});
    m_state.assign(m_files.size(), Position {});
    m_reported.clear();
    m_nextToSettle = 0;
    m_doneCount = 0;
    m_end = BatchEnd::kRunning;

    FillJob(m_job, m_files);
    m_job.rotation_deg = rotationDeg;
    m_job.pre_file_wait_ms = preFileWaitMs;
    m_worker = StartRotationWorker(m_job);
}

SessionPoll BatchSession::Poll()
{
    SessionPoll poll;
    poll.job = ReadJob(m_job);
    poll.tick = PollTick(poll.job, m_doneCount);
    m_doneCount = poll.tick.doneCount;
    if (m_end == BatchEnd::kRunning)
        m_end = poll.tick.end;

    // A status is final once the worker has moved past its file, and by
    // then the file is closed, so that its names may be moved.
    const int passed = std::min(poll.job.current, FileCount());
    for (; m_nextToSettle < passed; ++m_nextToSettle) {
        Settle(m_nextToSettle, OutcomeOf(poll.job, m_nextToSettle), poll.errors);
        poll.settled.push_back(m_nextToSettle);
    }
    return poll;
}

void BatchSession::Cancel()
{
    if (m_end == BatchEnd::kRunning)
        m_end = BatchEnd::kCancelled;
    m_job.cancel_requested = true;
}

bool BatchSession::WorkerRunning() const
{
    return m_job.worker_active.load();
}

void BatchSession::Join()
{
    if (m_worker.joinable())
        m_worker.join();
}

SessionEnd BatchSession::Conclude()
{
    SessionEnd end;
    const JobSnapshot job = ReadJob(m_job);
    if (m_end == BatchEnd::kRunning)
        m_end = PollTick(job, m_doneCount).end;
    end.end = m_end;
    // The window asks for a stop as it closes at the end of every batch:
    // how the batch ended was settled before that.
    if (m_end == BatchEnd::kFinished)
        end.failedAtEnd = !job.status.empty() && job.status.back() == kFileFailed;
    else
        end.failedAtEnd = m_end == BatchEnd::kWorkerEndedEarly;

    for (int position = 0; position < FileCount(); ++position) {
        Position& state = m_state[static_cast<std::size_t>(position)];
        if (!state.settled) {
            Settle(position, OutcomeOf(job, position), end.errors);
            end.settled.push_back(position);
            continue;
        }
        // Moves that failed at a poll get one more try.
        if (state.inputAway)
            RestoreInput(position, end.errors);
        if (state.movePending)
            FinishOutput(position, end.errors);
    }
    m_nextToSettle = FileCount();
    return end;
}

void BatchSession::Settle(int position, const PositionOutcome& outcome, std::vector<FileError>& errors)
{
    Position& state = m_state[static_cast<std::size_t>(position)];
    state.settled = true;
    m_outcomes[static_cast<std::size_t>(position)] = outcome;
    const BatchFile& file = m_files[static_cast<std::size_t>(position)];
    // The input first: its own name matters more than the output's.
    state.inputAway = file.renamed;
    RestoreInput(position, errors);
    if (outcome.kind == PositionOutcome::kDone) {
        m_outcomes[static_cast<std::size_t>(position)].output = file.output;
        state.movePending = true;
        FinishOutput(position, errors);
    } else if (outcome.removeOutput) {
        RemoveOutput(position);
    }
}

void BatchSession::RestoreInput(int position, std::vector<FileError>& errors)
{
    Position& state = m_state[static_cast<std::size_t>(position)];
    if (!state.inputAway)
        return;
    const BatchFile& file = m_files[static_cast<std::size_t>(position)];
    if (PathExists(file.source)) {
        const int error = MoveWithoutReplacing(file.source, file.input);
        if (error != 0) {
            // The journal keeps it; the next start of the program tries again.
            Report(file.source, error, errors);
            return;
        }
    }
    state.inputAway = false;
    if (m_journal)
        m_journal->Release(file.source);
}

std::optional<CreatedFile> BatchSession::WrittenFile(int position)
{
    Position& state = m_state[static_cast<std::size_t>(position)];
    const std::size_t at = static_cast<std::size_t>(position);
    // Only what the worker reported creating is ours.
    if (!state.output && m_job.output_created[at].load())
        state.output = m_job.created_output[at];
    return state.output;
}

void BatchSession::FinishOutput(int position, std::vector<FileError>& errors)
{
    Position& state = m_state[static_cast<std::size_t>(position)];
    PositionOutcome& outcome = m_outcomes[static_cast<std::size_t>(position)];
    const BatchFile& file = m_files[static_cast<std::size_t>(position)];
    if (!WrittenFile(position) || !IsStillCreatedFile(*state.output)) {
        // Reported done, but what it wrote is gone: that is no result.
        state.movePending = false;
        outcome.kind = PositionOutcome::kFailed;
        outcome.reason = "its output " + outcome.output + " disappeared";
        outcome.output.clear();
        return;
    }
    const std::string base = file.finalBase.empty() ? WithoutExtension(state.output->path) : file.finalBase;
    outcome.moveError = MoveToFinalName(*state.output, base, InputExtension(file.input));
    outcome.output = state.output->path;
    if (outcome.moveError == 0)
        state.movePending = false;
    else
        Report(outcome.output, outcome.moveError, errors);
}

void BatchSession::RemoveOutput(int position)
{
    if (WrittenFile(position))
        RemoveCreatedFile(*m_state[static_cast<std::size_t>(position)].output);
}

void BatchSession::Report(const std::string& path, int error, std::vector<FileError>& errors)
{
    // Noted before anyone shows it: a window's box lets further polls run.
    if (m_reported.insert(path).second)
        errors.push_back(FileError {path, error});
}
