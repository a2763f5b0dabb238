#include "engine/iso/FileDataCopy.h"

#include "files/FileWrite.h"

#include <algorithm>
#include <cerrno>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kBuffer = 1 << 20;

// Errors with which a filesystem or kernel refuses a way of copying, not
// the copy: the next way is tried.
bool Refused(int error)
{
    return error == EOPNOTSUPP || error == ENOTSUP || error == EXDEV || error == EINVAL ||
           error == ENOSYS || error == ENOTTY || error == ETXTBSY || error == EBADF;
}

bool SideIsOutput(int error)
{
    return error == ENOSPC || error == EFBIG || error == EDQUOT || error == EROFS;
}

class Copier
{
public:
    Copier(int in_fd, int out_fd, std::uint64_t size,
           const std::function<void(std::uint64_t)>& progress,
           const std::function<bool()>& cancelled)
        : in_(in_fd), out_(out_fd), size_(size), progress_(progress), cancelled_(cancelled)
    {}

    CopyOutcome Run(const CopyOptions& options)
    {
        struct stat info {};
        if (::fstat(in_, &info) == 0 && S_ISREG(info.st_mode))
            in_size_ = static_cast<std::uint64_t>(info.st_size);
        else
            sparse_ = false;
        if (Cancelled())
            return outcome_;
        if (options.first_way == CopyWay::kReflink && TryReflink())
            return outcome_;
        if (options.first_way != CopyWay::kReadWrite && TryCopyFileRange(options.chunk_bytes))
            return outcome_;
        ReadWrite();
        return outcome_;
    }

private:
    bool Cancelled()
    {
        if (!cancelled_ || !cancelled_())
            return false;
        outcome_.result = CopyOutcome::Result::kCancelled;
        return true;
    }

    void Done(std::uint64_t bytes)
    {
        outcome_.bytes_done = bytes;
        if (progress_)
            progress_(bytes);
    }

    bool Fail(int error, CopyOutcome::Side side)
    {
        outcome_.result = CopyOutcome::Result::kFailed;
        outcome_.error = error;
        outcome_.failed_side = side;
        return true;
    }

    // True when the copy is over (done or failed); false to go on with the
    // next way.
    bool TryReflink()
    {
        struct stat in_info {};
        if (::fstat(in_, &in_info) != 0 || static_cast<std::uint64_t>(in_info.st_size) != size_)
            return false;
        if (::ioctl(out_, FICLONE, in_) == 0) {
            outcome_.way = CopyWay::kReflink;
            Done(size_);
            return true;
        }
        // A refused clone leaves the output as it was; should a filesystem
        // have left part of one, the next way starts on an empty file.
        struct stat out_info {};
        if (::fstat(out_, &out_info) == 0 && out_info.st_size != 0 && ::ftruncate(out_, 0) != 0)
            return Fail(errno, CopyOutcome::Side::kOutput);
        return false;
    }

    // The next range of data at or after `at` and before `end`: [start,
    // stop). Holes of a sparse input are skipped, so they stay holes in the
    // output; where the file system cannot tell, everything is data.
    void DataRange(std::uint64_t at, std::uint64_t end, std::uint64_t& start, std::uint64_t& stop)
    {
        start = at;
        stop = end;
        // Past the input's end nothing is a hole: reading there fails.
        if (!sparse_ || at >= in_size_)
            return;
        const off_t data = ::lseek(in_, static_cast<off_t>(at), SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO)
                start = std::min(end, in_size_);  // a hole up to the end of the file
            else
                sparse_ = false;
            return;
        }
        start = std::min<std::uint64_t>(static_cast<std::uint64_t>(data), end);
        const off_t hole = ::lseek(in_, data, SEEK_HOLE);
        if (hole >= 0)
            stop = std::clamp<std::uint64_t>(static_cast<std::uint64_t>(hole), start, end);
    }

    // The output reaches its full size also where the input ends in a hole.
    bool SizeOutput()
    {
        struct stat info {};
        if (::fstat(out_, &info) == 0 && static_cast<std::uint64_t>(info.st_size) >= size_)
            return true;
        if (::ftruncate(out_, static_cast<off_t>(size_)) == 0)
            return true;
        Fail(errno, CopyOutcome::Side::kOutput);
        return false;
    }

    bool TryCopyFileRange(std::uint64_t chunk)
    {
        chunk = std::max<std::uint64_t>(chunk, 1);
        while (outcome_.bytes_done < size_) {
            if (Cancelled())
                return true;
            const std::uint64_t step_end =
                outcome_.bytes_done + std::min(chunk, size_ - outcome_.bytes_done);
            std::uint64_t at = outcome_.bytes_done;
            std::uint64_t data_end = at;
            while (at < step_end) {
                if (at >= data_end) {
                    DataRange(at, step_end, at, data_end);
                    if (at >= step_end)
                        break;
                }
                loff_t in_offset = static_cast<loff_t>(at);
                loff_t out_offset = static_cast<loff_t>(at);
                const std::uint64_t want = std::min<std::uint64_t>(data_end - at, 1u << 30);
                const ssize_t n = ::copy_file_range(in_, &in_offset, out_, &out_offset,
                                                    static_cast<std::size_t>(want), 0);
                if (n < 0) {
                    const int error = errno;
                    if (error == EINTR)
                        continue;
                    if (Refused(error)) {
                        // Go on from the last whole step with reads and writes.
                        return false;
                    }
                    return Fail(error, SideIsOutput(error) ? CopyOutcome::Side::kOutput
                                                           : CopyOutcome::Side::kUnknown);
                }
                if (n == 0)
                    return Fail(ENODATA, CopyOutcome::Side::kInput);
                outcome_.way = CopyWay::kCopyFileRange;
                at += static_cast<std::uint64_t>(n);
            }
            Done(step_end);
        }
        outcome_.way = CopyWay::kCopyFileRange;
        SizeOutput();
        return true;
    }

    void ReadWrite()
    {
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(
            std::min<std::uint64_t>(kBuffer, std::max<std::uint64_t>(size_, 1))));
        outcome_.way = CopyWay::kReadWrite;
        while (outcome_.bytes_done < size_) {
            if (Cancelled())
                return;
            std::uint64_t at = outcome_.bytes_done;
            std::uint64_t data_end = size_;
            DataRange(at, size_, at, data_end);
            if (at >= size_) {
                if (SizeOutput())
                    Done(size_);
                return;
            }
            const auto want =
                static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), data_end - at));
            std::size_t got = 0;
            while (got < want) {
                const ssize_t n =
                    ::pread(in_, buffer.data() + got, want - got, static_cast<off_t>(at + got));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0) {
                    Fail(errno, CopyOutcome::Side::kInput);
                    return;
                }
                if (n == 0) {
                    Fail(ENODATA, CopyOutcome::Side::kInput);
                    return;
                }
                got += static_cast<std::size_t>(n);
            }
            if (const int error = WriteAllAt(out_, buffer.data(), want, at); error != 0) {
                Fail(error, CopyOutcome::Side::kOutput);
                return;
            }
            Done(at + want);
        }
        SizeOutput();
    }

    int in_, out_;
    std::uint64_t size_;
    const std::function<void(std::uint64_t)>& progress_;
    const std::function<bool()>& cancelled_;
    CopyOutcome outcome_;
    bool sparse_ = true;  // until the file system says it cannot tell holes
    std::uint64_t in_size_ = 0;
};

}  // namespace

const char* CopyWayName(CopyWay way)
{
    switch (way) {
    case CopyWay::kReflink:
        return "reflink";
    case CopyWay::kCopyFileRange:
        return "copy_file_range";
    case CopyWay::kReadWrite:
        return "read/write";
    case CopyWay::kNone:
        break;
    }
    return "none";
}

CopyOutcome CopyFileData(int in_fd, int out_fd, std::uint64_t size,
                         const std::function<void(std::uint64_t)>& progress,
                         const std::function<bool()>& cancelled, const CopyOptions& options)
{
    return Copier(in_fd, out_fd, size, progress, cancelled).Run(options);
}
