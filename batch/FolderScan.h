#pragma once

#include "batch/InputCheck.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// One file a folder scan checked, with the check's verdict.
struct ScannedFile {
    std::string path;
    InputVerdict verdict;
};

// Where a running scan stands; handed to the progress callback.
struct FolderScanProgress {
    std::size_t folders = 0;  // folders read so far
    std::size_t checked = 0;  // candidates checked so far
    std::size_t videos = 0;   // of them accepted
    std::size_t refused = 0;  // of them refused
    std::size_t skipped = 0;  // files that are not videos by their name
    std::string current;      // the file being checked next
};

// What a scan found.
struct FolderScanResult {
    std::vector<ScannedFile> videos;   // accepted, in the order found
    std::vector<ScannedFile> refused;  // videos by name that the check refused
    std::size_t skipped = 0;           // files that are plainly not videos, and links: only counted
    std::size_t folders = 0;           // folders read, the root included
    int rootError = 0;                 // errno when the root itself could not be read
    bool cancelled = false;            // stopped before the end; what was found so far is kept
};

// Finds the videos in a folder and its sub-folders. Names starting with '.'
// (hidden files and folders) are passed over; symbolic links are never
// followed (so nothing outside the tree and no loop is reached), and a
// folder reached twice (a bind mount) is read once; FIFOs, sockets and
// devices are never opened. A regular file whose extension names a video
// container is checked as a dropped file is; any other file is only counted.
// Within a folder, files come in name order before the sub-folders.
class FolderScan
{
public:
    using Check = std::function<InputVerdict(const std::string& path)>;
    using Progress = std::function<void(const FolderScanProgress&)>;

    explicit FolderScan(Check check = CheckInput);

    // Scans root. cancel (may be null) is looked at between files; progress
    // (may be empty) is called before each candidate is checked and once at
    // the end, on the calling thread.
    FolderScanResult Scan(const std::string& root, const std::atomic<bool>* cancel = nullptr,
                          const Progress& progress = {}) const;

    // Whether a file name's extension (case ignored) names a video container.
    static bool HasVideoExtension(const std::string& name);

private:
    Check m_check;
};
