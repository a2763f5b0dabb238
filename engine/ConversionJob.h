#pragma once

#include "engine/Failure.h"
#include "engine/LeftOutStream.h"
#include "files/CreatedFile.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class FileWriter;
class PositionWork;

// Values of PositionReport::file_status.
enum FileStatus : std::uint8_t {
    kFileDone = 1,
    kFileFailed = 2,
    kFilePending = 255,
};

// One position of a batch as the caller describes it.
struct JobFile {
    std::string input_path;   // UTF-8; read under this name, never changed
    std::string output_path;  // UTF-8; created exclusively
    double duration_s = 0;    // as probed; 0 or less when unknown
    int turn_deg = 0;         // clockwise degrees added to this file's rotation
};

// What the worker reports of one position.
//
// created_output is the file the worker created for the position (its path
// may differ from output_path when that name was taken); it is written
// before output_created becomes true and not changed after. failure says
// why the position failed; it is written before file_status becomes
// kFileFailed. left_out lists the streams a done position does not carry;
// it is written before file_status becomes kFileDone. Read each only after
// seeing its flag.
struct PositionReport {
    CreatedFile created_output;
    std::atomic<bool> output_created{false};
    Failure failure;
    std::vector<LeftOutStream> left_out;
    std::atomic<std::uint8_t> file_status{kFilePending};
};

// The one description of a batch that a front end (through its session)
// fills and the rotation worker reads, with the worker's reports. Each
// batch has a record of its own, sized to it: the caller fills files and
// the settings, starts the worker (which sizes reports to files once,
// before it begins) and afterwards only writes cancel_requested; the
// worker reports through current_index, progress_percent and reports.
// Every field that both threads touch while a worker runs is atomic. The
// worker stores a file's status before it moves current_index past that
// file.
struct ConversionJob {
    // Written before the worker starts, not changed while it runs.
    std::vector<JobFile> files;
    int pre_file_wait_ms = 500;  // pause before each file
    // MP4, MOV and 3GP files are copied byte for byte with their track
    // matrices turned; false remuxes every file (tests of that way).
    bool copy_iso_files = true;
    // A done output's data is synced to the disk before it is called done;
    // false only for benches that price the sync.
    bool sync_outputs = true;

    // Optional: the name to try when the worker finds a position's output
    // name taken on disk as it creates the file (the caller's free-name
    // rule, given the taken name). Unset: the file fails instead. Called on
    // the worker thread.
    std::function<std::string(const std::string& taken)> next_output_name;
    // Optional: called on the worker thread right after the worker created
    // a position's output file, before anything is written into it, with
    // the file's identity (a journal records it here). Paths are UTF-8.
    std::function<void(int index, const CreatedFile& file)> output_created_hook;
    // Optional, for tests: called on the worker thread after every chunk of
    // a byte copy, while the input is being read.
    std::function<void(int index)> between_chunks_hook;
    // Optional: chooses the writer of a position instead of the worker's
    // own choice from what the file is (tests use writers that do no media
    // work). Called on the worker thread.
    std::function<std::unique_ptr<FileWriter>(const PositionWork& work)> choose_writer;

    std::atomic<bool> cancel_requested{false};

    // Worker reports: one per file, sized when the worker starts.
    std::vector<PositionReport> reports;
    std::atomic<int> progress_percent{0};
    std::atomic<int> current_index{-1};
    // True from StartRotationWorker until the worker's last store; lets the
    // caller notice a worker that ended before the last file.
    std::atomic<bool> worker_active{false};
    std::atomic<int> worker_exit_code{0};

    int FileCount() const { return static_cast<int>(files.size()); }
    // Gives every file a fresh report and clears what a run before left;
    // only while no worker runs.
    void ResetReports();
};
