#pragma once

#include "engine/Failure.h"
#include "engine/LeftOutStream.h"
#include "files/CreatedFile.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Number of positions of every per-file table of a batch.
inline constexpr int kMaxJobFiles = 9999;

// Values of ConversionJob::file_status.
enum FileStatus : std::uint8_t {
    kFileDone = 1,
    kFileFailed = 2,
    kFilePending = 255,
};

// The one record through which the window (or the command line) and the
// rotation worker talk. The caller fills the batch description, starts the
// worker and afterwards only writes cancel_requested; the worker reports
// through current_index, progress_percent and file_status. Every field that
// both threads touch while a worker runs is atomic. The worker stores a
// file's status before it moves current_index past that file.
//
// The record is large (it holds the per-file tables); create your own on the
// heap in tests, the program uses Instance().
struct ConversionJob {
    static ConversionJob& Instance();

    std::atomic<bool> cancel_requested{false};

    // Probe input (UTF-8 path) and results.
    std::string probe_path;
    std::int64_t probe_duration_us = 0;
    int probe_video_profile = 0;
    int probe_bit_rate = 0;
    int probe_height = 0;
    int probe_width = 0;
    int probe_fps_den = 0;
    int probe_fps_num = 0;

    // Batch description, written before the worker starts.
    std::array<std::string, kMaxJobFiles> input_path;   // UTF-8
    std::array<std::string, kMaxJobFiles> output_path;  // UTF-8
    std::array<double, kMaxJobFiles> duration_s{};
    int file_count = 0;
    int rotation_deg = 0;        // clockwise degrees added to each file's rotation
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

    // Worker reports.
    //
    // created_output[i] is the file the worker created for position i (its
    // path may differ from output_path[i] when that name was taken); it is
    // written before output_created[i] becomes true and not changed after.
    // failure[i] says why position i failed; it is written before
    // file_status[i] becomes kFileFailed. left_out[i] lists the streams a
    // done position i does not carry; it is written before file_status[i]
    // becomes kFileDone. Read each only after seeing its flag.
    std::array<CreatedFile, kMaxJobFiles> created_output;
    std::array<std::atomic<bool>, kMaxJobFiles> output_created{};
    std::array<Failure, kMaxJobFiles> failure;
    std::array<std::vector<LeftOutStream>, kMaxJobFiles> left_out;
    std::array<std::atomic<std::uint8_t>, kMaxJobFiles> file_status{};
    std::atomic<int> progress_percent{0};
    std::atomic<int> current_index{-1};
    std::atomic<int> display_count{0};
    // True from StartRotationWorker until the worker's last store; lets the
    // window notice a worker that ended before the last file.
    std::atomic<bool> worker_active{false};
    std::atomic<int> worker_exit_code{0};
};
