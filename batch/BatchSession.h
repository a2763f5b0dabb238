#pragma once

#include "batch/BatchPlan.h"
#include "batch/CreatedOutput.h"
#include "batch/PollTick.h"
#include "batch/PositionOutcome.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class FileWriter;
class NameJournal;
class PositionWork;
struct ConversionJob;

// A file move or removal that failed, with its errno value.
struct FileError {
    std::string path;
    int error = 0;
};

// What one poll of a running batch found.
struct SessionPoll {
    JobSnapshot job;           // the record as this poll read it
    TickResult tick;           // progress and end, from job
    std::vector<int> settled;  // positions whose outcome this poll settled
    // Positions whose output the worker had to create under another name
    // than planned (that one was taken), with the name it used.
    std::vector<std::pair<int, std::string>> outputNames;
    std::vector<FileError> errors;  // moves that failed, each path reported once per batch
};

// How the batch ended, once the worker is gone.
struct SessionEnd {
    BatchEnd end = BatchEnd::kRunning;
    bool failedAtEnd = false;  // the last file failed, or the worker ended before it
    std::vector<int> settled;  // positions settled only now
    std::vector<std::pair<int, std::string>> outputNames;  // as in SessionPoll, found only now
    std::vector<FileError> errors;
};

// One batch from start to end, the same for the window and the command
// line: fills a job record of its own, sized to the batch, starts and joins
// the worker, turns what the worker reports into one outcome per position,
// moves each done output to its final name and removes what the worker left
// of a file that failed or was stopped. Inputs are read under their own
// names; nothing in their folders changes.
//
// A position is settled (its names moved, its partial output removed) as
// soon as the worker has passed it, or at Conclude. Only the file the
// worker reported creating for a position is ever moved or removed. The
// session runs on the caller's thread, except for the two calls the worker
// makes into it through the record: a free name for an output whose name
// was taken, and the note of each output created (into the journal).
class BatchSession
{
public:
    // journal: where the outputs the worker creates are recorded until they
    // are finished or removed (may be null).
    explicit BatchSession(NameJournal* journal);
    ~BatchSession();  // stops and waits for a worker still running
    BatchSession(const BatchSession&) = delete;
    BatchSession& operator=(const BatchSession&) = delete;

    // Describes the batch in a new job record and starts the worker; each
    // file is turned by its own turnDeg.
    void Start(std::vector<BatchFile> files, int preFileWaitMs);
    // The same with one turn for every file.
    void Start(std::vector<BatchFile> files, int rotationDeg, int preFileWaitMs);

    // Chooses the writer of every position of the batches started from now
    // on, instead of the worker's choice from what each file is (tests).
    using WriterChoice = std::function<std::unique_ptr<FileWriter>(const PositionWork&)>;
    void ChooseWritersWith(WriterChoice choice) { m_chooseWriter = std::move(choice); }

    // Reads the record once and settles every position the worker has
    // passed since the last poll.
    SessionPoll Poll();

    // Asks the worker to stop before its next packet. A batch that has not
    // been seen to end by then ends as stopped.
    void Cancel();
    bool WorkerRunning() const;
    // Waits for the worker thread to end.
    void Join();

    // After Join: settles every position not settled yet and tries once
    // more the moves that failed.
    SessionEnd Conclude();

    int FileCount() const { return static_cast<int>(m_files.size()); }
    // The position the worker is on (-1 before it begins), as the record
    // says now.
    int WorkerPosition() const;
    // The running or last batch's record, to read (null before Start).
    const ConversionJob* Record() const { return m_job.get(); }
    // The running batch's cancel flag, for a signal handler that asks the
    // worker to stop at once (null before Start). Valid until the next
    // Start or the session's end.
    std::atomic<bool>* CancelFlag();
    const BatchFile& File(int position) const
    {
        return m_files[static_cast<std::size_t>(position)];
    }
    const PositionOutcome& Outcome(int position) const
    {
        return m_outcomes[static_cast<std::size_t>(position)];
    }

private:
    struct Position;

    void Settle(int position, const PositionOutcome& outcome, std::vector<FileError>& errors);
    void FinishOutput(int position, std::vector<FileError>& errors);
    void RemoveOutput(int position);
    void Report(const std::string& path, int error, std::vector<FileError>& errors);
    // Positions up to reached whose output the worker created under another
    // name than planned; the position the worker is on only once created.
    void CollectOutputNames(int reached, int current,
                            std::vector<std::pair<int, std::string>>& names);
    // Worker thread: the next free name for a taken output name, and the
    // note of an output just created.
    std::string NextOutputName(const std::string& taken);
    void OutputCreated(const CreatedFile& file);
    void ReleaseOutput(int position, bool durable);

    std::unique_ptr<ConversionJob> m_job;  // the running or last batch's
    NameJournal* m_journal;
    WriterChoice m_chooseWriter;
    std::vector<BatchFile> m_files;
    std::vector<PositionOutcome> m_outcomes;
    std::vector<Position> m_state;
    std::set<std::string> m_reported;
    std::thread m_worker;
    std::mutex m_namesMutex;
    std::set<std::string> m_handedOut;  // every name the batch gave out; guarded by m_namesMutex
    int m_nextToSettle = 0;
    int m_nextToName = 0;  // first position whose created output is not looked at yet
    int m_doneCount = 0;
    BatchEnd m_end = BatchEnd::kRunning;
};
