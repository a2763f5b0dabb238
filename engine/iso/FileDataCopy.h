#pragma once

#include <cstdint>
#include <functional>

// Copies the bytes of one open file into another, the fastest way the
// filesystems allow: a reflink (the output shares the input's blocks until
// either is written), else a copy inside the kernel, else reads and writes
// through a small buffer. Holes of a sparse input stay holes in the output.
// Neither file's position is used or moved, and the data is as durable as
// that of any ordinary copy (nothing is synced to the disk).

enum class CopyWay {
    kNone,           // nothing was copied yet
    kReflink,        // ioctl FICLONE: the whole file at once
    kCopyFileRange,  // copy_file_range, chunk by chunk
    kReadWrite,      // pread/pwrite through a buffer of at most 1 MiB
};

// "reflink", "copy_file_range", "read/write" ("none").
const char* CopyWayName(CopyWay way);

struct CopyOptions {
    // The first way to try; the later ones follow where it is refused.
    // Tests start further down the list.
    CopyWay first_way = CopyWay::kReflink;
    // Bytes per copy_file_range step: progress is published and a cancel is
    // seen after each step (read/write does both after every buffer).
    std::uint64_t chunk_bytes = std::uint64_t{32} << 20;
};

struct CopyOutcome {
    enum class Result {
        kDone,       // `size` bytes copied
        kFailed,     // error holds the errno
        kCancelled,  // cancelled() said so between two chunks
    };
    enum class Side {
        kUnknown,  // copy_file_range does not say which file failed
        kInput,
        kOutput,
    };
    Result result = Result::kDone;
    CopyWay way = CopyWay::kNone;  // the way that copied the last bytes
    int error = 0;                 // ENODATA when the input ended before `size` bytes
    Side failed_side = Side::kUnknown;
    std::uint64_t bytes_done = 0;
};

// Copies the first `size` bytes of `in_fd` to the start of `out_fd`, a new
// empty file open for writing (not O_APPEND). A reflink is tried only when
// the input is exactly `size` bytes long. `progress(bytes_done)` is called
// after every chunk; `cancelled()`, before every chunk, stops the copy
// when it returns true. Either may be empty. On failure or cancel the
// output holds part of the data: removing it is the caller's business.
CopyOutcome CopyFileData(int in_fd, int out_fd, std::uint64_t size,
                         const std::function<void(std::uint64_t)>& progress,
                         const std::function<bool()>& cancelled, const CopyOptions& options = {});
