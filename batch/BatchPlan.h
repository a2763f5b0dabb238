#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct ConversionJob;

// Why Start refuses to begin a batch, in the order the checks run. Nothing
// is changed on disk when a check refuses.
enum class StartRefusal {
    kNone,
    kNoRows,             // there is no input at all
    kNothingTicked,      // none of them is chosen
    kFolderIsRoot,       // the output folder text is just the root; silently ignored
    kFolderMissing,      // nothing exists at the output folder path
    kFolderNotWritable,  // the write test in the output folder failed
    kNotEnoughSpace,     // less room on the output folder's file system than the inputs take
};

// One input chosen for a batch.
struct TickedRow {
    int row = -1;              // the caller's own number for it, kept in BatchFile
    std::string path;          // the input's own full path
    std::string durationText;  // its duration, "HH:MM:SS.mmm"
};

// Bytes an ordinary user may still write on the file system holding the
// folder (blocks reserved for the administrator do not count); nullopt when
// the file system cannot tell.
std::optional<std::uint64_t> AvailableBytes(const std::string& folder);

// Sum of the sizes of the rows' inputs; an input that cannot be found adds
// nothing.
std::uint64_t TotalInputBytes(const std::vector<TickedRow>& rows);

using FreeSpaceQuery = std::function<std::optional<std::uint64_t>(const std::string& folder)>;

// The checks Start makes before it touches anything. The write test never
// removes a file of its name that was there before. When the free space
// cannot be determined the check lets the batch go on: the worker then
// fails the files that do not fit rather than Start refusing a folder that
// may have room.
StartRefusal CheckBatchStart(int rowCount, const std::vector<TickedRow>& ticked,
                             const std::string& outputFolder,
                             const FreeSpaceQuery& availableBytes = AvailableBytes);

// One job position of a prepared batch. The input is read under its own
// name and never renamed; nothing in its folder changes.
struct BatchFile {
    int row = -1;        // the caller's number of the input (TickedRow::row)
    std::string input;   // the input's own name, which the worker reads
    // The name the worker is to write: for a file the remux way writes, its
    // final name (.mov or .mp4 as the container); for one copied byte for
    // byte, a working .mov name (a .MOV input's own).
    std::string output;
    double duration_s = 0.0;
    int turnDeg = 0;  // clockwise degrees this file is turned by
    // The output's final name without its extension: the free name for the
    // input's stem in the output folder as the files on disk had it when the
    // batch began, not counting the names the batch itself handed out.
    // Empty: output without its extension.
    std::string finalBase = {};
    // The output's final extension without its dot: the container the
    // remux way writes ("mov", "mp4"); empty: the input's own extension (a
    // file copied byte for byte keeps its container).
    std::string finalExtension = {};
};

struct PreparedBatch {
    enum class Stop {
        kNone,
        kNameWithoutDot,  // an input's file name has no '.'
    };

    std::vector<BatchFile> files;  // the positions that got their names, in job order
    Stop stop = Stop::kNone;

    bool Complete() const { return stop == Stop::kNone; }
};

// Chooses a free output name in outputFolder for every input, whose
// extension says the container the worker will write (engine's
// OutputExtensionFor), no two positions the same and none the name of an
// existing file, and takes each duration from its text. Nothing on disk
// changes. Stops at a file name without a '.'.
PreparedBatch PrepareBatch(const std::vector<TickedRow>& rows, const std::string& outputFolder);

// The plan of a batch from bare paths: every input written under a free
// name for its stem in outputFolder, no two of them the same: ".mov" or
// ".mp4" as the remux way's container, a working ".mov" for a file copied
// byte for byte. Durations are left to the caller.
std::vector<BatchFile> PlanBatch(const std::vector<std::string>& inputs,
                                 const std::string& outputFolder);

// Writes the batch description (paths, durations, turns) into a fresh job
// record; the worker may be started afterwards.
void FillJob(ConversionJob& job, const std::vector<BatchFile>& files);

// The extension of the path's file name from its last '.', in lower case;
// empty when the file name has no '.'.
std::string LowerExtension(const std::string& path);
