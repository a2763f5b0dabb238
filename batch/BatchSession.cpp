#include "batch/BatchSession.h"

#include "batch/CreatedOutput.h"
#include "batch/FileNames.h"
#include "batch/NameJournal.h"
#include "files/DurableFile.h"
#include "engine/ConversionJob.h"
#include "engine/RotationWorker.h"

#include <algorithm>

struct BatchSession::Position {
    bool settled = false;
    bool movePending = false;           // a done output still waits for its final name
    bool outputListed = false;          // the journal lists the output
    std::optional<CreatedFile> output;  // the file the worker created, once looked up
};

BatchSession::BatchSession(NameJournal* journal) : m_journal(journal) {}

BatchSession::~BatchSession()
{
    if (m_worker.joinable())
        Cancel();
    Join();
}

void BatchSession::Start(std::vector<BatchFile> files, int rotationDeg, int preFileWaitMs)
{
    for (BatchFile& file : files)
        file.turnDeg = rotationDeg;
    Start(std::move(files), preFileWaitMs);
}

void BatchSession::Start(std::vector<BatchFile> files, int preFileWaitMs)
{
    Join();
    m_files = std::move(files);
    m_outcomes.assign(m_files.size(), PositionOutcome{});
    m_state.assign(m_files.size(), Position{});
    m_reported.clear();
    m_nextToSettle = 0;
    m_nextToName = 0;
    m_doneCount = 0;
    m_end = BatchEnd::kRunning;
    {
        const std::lock_guard<std::mutex> lock(m_namesMutex);
        m_handedOut.clear();
        for (const BatchFile& file : m_files) {
            m_handedOut.insert(file.input);
            m_handedOut.insert(file.output);
        }
    }

    m_job = std::make_unique<ConversionJob>();
    FillJob(*m_job, m_files);
    m_job->pre_file_wait_ms = preFileWaitMs;
    m_job->choose_writer = m_chooseWriter;
    m_job->next_output_name = [this](const std::string& taken) { return NextOutputName(taken); };
    m_job->output_created_hook = [this](int, const CreatedFile& file) { OutputCreated(file); };
    m_worker = StartRotationWorker(*m_job);
}

void BatchSession::OutputCreated(const CreatedFile& file)
{
    // Before the worker writes into the file: a killed batch leaves its
    // cut-short output to the next start-up to remove. Without the entry
    // the batch still goes on; such an output would stay.
    if (m_journal)
        m_journal->AddOutput(file);
}

void BatchSession::CollectOutputNames(int reached, int current,
                                      std::vector<std::pair<int, std::string>>& names)
{
    for (; m_nextToName < reached; ++m_nextToName) {
        const std::size_t at = static_cast<std::size_t>(m_nextToName);
        const PositionReport& report = m_job->reports[at];
        if (!report.output_created.load()) {
            if (m_nextToName == current)
                break;  // not created yet: look again at the next poll
            continue;
        }
        const std::string& created = report.created_output.path;
        if (created != m_files[at].output)
            names.emplace_back(m_nextToName, created);
    }
}

std::string BatchSession::NextOutputName(const std::string& taken)
{
    const std::lock_guard<std::mutex> lock(m_namesMutex);
    const std::string name = NextFreeName(taken, m_handedOut);
    m_handedOut.insert(name);
    return name;
}

SessionPoll BatchSession::Poll()
{
    SessionPoll poll;
    if (!m_job)
        return poll;
    poll.job = ReadJob(*m_job);
    poll.tick = PollTick(poll.job, m_doneCount);
    m_doneCount = poll.tick.doneCount;
    if (m_end == BatchEnd::kRunning)
        m_end = poll.tick.end;

    // The worker creates the output of the position it is on; its name is
    // known from then on.
    CollectOutputNames(std::min(poll.job.current + 1, FileCount()), poll.job.current,
                       poll.outputNames);

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
    if (m_job)
        m_job->cancel_requested = true;
}

bool BatchSession::WorkerRunning() const
{
    return m_job && m_job->worker_active.load();
}

int BatchSession::WorkerPosition() const
{
    return m_job ? m_job->current_index.load() : -1;
}

std::atomic<bool>* BatchSession::CancelFlag()
{
    return m_job ? &m_job->cancel_requested : nullptr;
}


void BatchSession::Join()
{
    if (!m_worker.joinable())
        return;
    m_worker.join();
    // Nothing may call back into the session after this.
    m_job->next_output_name = nullptr;
    m_job->output_created_hook = nullptr;
}

SessionEnd BatchSession::Conclude()
{
    SessionEnd end;
    if (!m_job)
        return end;
    const JobSnapshot job = ReadJob(*m_job);
    if (m_end == BatchEnd::kRunning)
        m_end = PollTick(job, m_doneCount).end;
    end.end = m_end;
    // The window asks for a stop as it closes at the end of every batch:
    // how the batch ended was settled before that.
    if (m_end == BatchEnd::kFinished)
        end.failedAtEnd = !job.status.empty() && job.status.back() == kFileFailed;
    else
        end.failedAtEnd = m_end == BatchEnd::kWorkerEndedEarly;

    CollectOutputNames(FileCount(), -1, end.outputNames);
    for (int position = 0; position < FileCount(); ++position) {
        Position& state = m_state[static_cast<std::size_t>(position)];
        if (!state.settled) {
            Settle(position, OutcomeOf(job, position), end.errors);
            end.settled.push_back(position);
            continue;
        }
        // A move that failed at a poll gets one more try.
        if (state.movePending)
            FinishOutput(position, end.errors);
    }
    m_nextToSettle = FileCount();
    return end;
}

void BatchSession::Settle(int position, const PositionOutcome& outcome,
                          std::vector<FileError>& errors)
{
    const std::size_t at = static_cast<std::size_t>(position);
    Position& state = m_state[at];
    state.settled = true;
    m_outcomes[at] = outcome;
    if (m_job->reports[at].output_created.load()) {
        state.output = m_job->reports[at].created_output;
        state.outputListed = m_journal != nullptr;
    }
    if (outcome.kind == PositionOutcome::kDone) {
        m_outcomes[at].output = state.output ? state.output->path : m_files[at].output;
        state.movePending = true;
        FinishOutput(position, errors);
    } else {
        if (outcome.removeOutput)
            RemoveOutput(position);
        ReleaseOutput(position, false);
    }
}

void BatchSession::FinishOutput(int position, std::vector<FileError>& errors)
{
    Position& state = m_state[static_cast<std::size_t>(position)];
    PositionOutcome& outcome = m_outcomes[static_cast<std::size_t>(position)];
    const BatchFile& file = m_files[static_cast<std::size_t>(position)];
    if (!state.output || !state.output->StillThere()) {
        state.movePending = false;
        ReleaseOutput(position, false);
        // A settled outcome is never changed: a done file whose output went
        // between a failed final move and its retry stays done.
        if (outcome.moveError != 0)
            return;
        // Reported done, but what it wrote is gone: that is no result.
        outcome.kind = PositionOutcome::kFailed;
        outcome.failure = Failure(Failure::kOutputDisappeared);
        outcome.failure.path = outcome.output;
        outcome.output.clear();
        return;
    }
    const std::string written = state.output->path;
    const std::string base = file.finalBase.empty() ? WithoutExtension(written) : file.finalBase;
    const std::string extension =
        file.finalExtension.empty() ? ExtensionWithoutDot(file.input) : file.finalExtension;
    outcome.moveError = MoveToFinalName(*state.output, base, extension);
    outcome.output = state.output->path;
    if (outcome.moveError != 0) {
        Report(written, outcome.moveError, errors);
        // Complete, only not renamed: never to be taken for a cut-short
        // file after a crash.
        ReleaseOutput(position, true);
        return;
    }
    state.movePending = false;
    // Its data was synced before the worker called it done; its name (new
    // or kept) reaches the disk before its crash record goes.
    SyncFolderOf(state.output->path);
    // A file that keeps the name it was created under must not be taken
    // for a cut-short one after a crash.
    ReleaseOutput(position, state.output->path == written);
}

void BatchSession::RemoveOutput(int position)
{
    const Position& state = m_state[static_cast<std::size_t>(position)];
    if (state.output)
        state.output->RemoveIfStillOurs();
}

void BatchSession::ReleaseOutput(int position, bool durable)
{
    Position& state = m_state[static_cast<std::size_t>(position)];
    if (!state.outputListed)
        return;
    state.outputListed = false;
    m_journal->ReleaseOutput(
        m_job->reports[static_cast<std::size_t>(position)].created_output.path, durable);
}

void BatchSession::Report(const std::string& path, int error, std::vector<FileError>& errors)
{
    // Noted before anyone shows it: a window's box lets further polls run.
    if (m_reported.insert(path).second)
        errors.push_back(FileError{path, error});
}
