#pragma once

#include "batch/PositionOutcome.h"
#include "engine/Failure.h"

#include <cstdint>
#include <string>
#include <vector>

struct ConversionJob;

// What a poll of a running batch reads from the job record, copied once so
// that every conclusion of the poll rests on the same values.
struct JobSnapshot {
    bool workerActive = false;
    bool cancelRequested = false;
    int current = -1;                  // current_index
    int total = 0;                     // the count of files
    int percent = 0;                   // progress_percent
    std::vector<std::uint8_t> status;  // file_status of positions 0 .. total - 1
    std::vector<Failure> failure;      // why each failed position failed, else step kNone
    // What each done position's output does not carry, else empty.
    std::vector<std::vector<LeftOutStream>> leftOut;
};

// Reads worker_active before everything else: once it is seen false, the
// rest of the snapshot holds the worker's final values.
JobSnapshot ReadJob(const ConversionJob& job);

enum class BatchEnd {
    kRunning,
    kFinished,          // the worker has passed the last position
    kWorkerEndedEarly,  // the worker is gone before the last position (a failure ended the batch)
    kCancelled,         // the user asked to stop
};

// What one poll shows of the progress of the batch: the current file's line
// and bar, the count of finished files and the batch's bar, and whether the
// batch is over. What became of each file is not the tick's to say: the
// session settles every position once (BatchSession::Poll and Conclude) and
// the front ends show only those settled outcomes.
struct TickResult {
    bool updateFileLabel =
        false;              // the current file's line shows the path of pathPosition and percent
    int pathPosition = -1;  // -1: an empty path
    int percent = 0;
    int labelDoneCount = 0;      // the count of finished files shown now
    int batchPercent = 0;        // the batch's share finished, from labelDoneCount
    bool updateFileBar = false;  // percent is one to show for the current file
    int doneCount = 0;           // the count of finished files after this poll
    BatchEnd end = BatchEnd::kRunning;
    bool CloseDialog() const { return end != BatchEnd::kRunning; }
};

// doneCount: the count of finished files as the previous poll left it.
TickResult PollTick(const JobSnapshot& job, int doneCount);

// The outcome of a position once the worker has passed it or the batch is
// over, from the status the worker stored: done and failed as stored; a
// pending position the worker had passed was cut short by a stop; one it
// had not reached was not reached. The session settles each position with
// it, once; everything else reads the session's outcome.
PositionOutcome OutcomeOf(const JobSnapshot& job, int position);
