#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ConversionJob;

// What the window's 300 ms timer reads from the job record, copied once per
// tick so that every conclusion of a tick rests on the same values.
struct JobSnapshot {
    bool workerActive = false;
    bool cancelRequested = false;
    int current = -1;  // current_index
    int total = 0;     // display_count
    int percent = 0;   // progress_percent
    std::vector<std::uint8_t> status;  // file_status of positions 0 .. total - 1
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

// The conclusions of one tick; the window applies them to its widgets.
struct TickResult {
    bool updateFileLabel = false;  // label 1018 gets the path of pathPosition and percent
    int pathPosition = -1;         // -1: empty path
    int percent = 0;
    int labelDoneCount = 0;        // the count label 1019 shows
    int batchPercent = 0;          // bar 1012
    bool updateFileBar = false;    // bar 1011 gets percent
    int doneCount = 0;             // the window's done count after this tick
    int donePosition = -1;         // position just passed and done: status text, untick, own names back
    std::vector<int> failedPositions;  // positions whose row shows the failure text
    BatchEnd end = BatchEnd::kRunning;
    bool CloseDialog() const { return end != BatchEnd::kRunning; }
};

TickResult PollTick(const JobSnapshot& job, int doneCount);

// What became of each position once the batch is over, whichever way it
// ended, and what the window does about it.
struct PositionOutcome {
    enum Kind {
        kDone,        // status text, untick, input and output get their final names
        kFailed,      // failure text; the input gets its own name back
        kStopped,     // cancelled in the middle: the input gets its own name back
        kNotReached,  // the worker never opened it: the input gets its own name back
    } kind = kNotReached;
    // The output file is ours and incomplete (a failed or stopped file that
    // the worker had reached): remove it so that no cut-short video is
    // taken for a result.
    bool removeOutput = false;
};

std::vector<PositionOutcome> ConcludeBatch(const JobSnapshot& job);

// Whether the batch ended on a failure: the last file failed, or the worker
// ended before the last file. The window then shows its failure message.
bool BatchFailedAtEnd(const JobSnapshot& job);

// Label 1018: "<path>   <percent>% <done text>".
std::string FileLabelText(const std::string& path, int percent, const std::string& doneText);
// Label 1019: "<done> <of text> <total> <files text>".
std::string BatchLabelText(int done, int total, const std::string& ofText, const std::string& filesText);
