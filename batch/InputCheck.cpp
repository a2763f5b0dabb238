#include "batch/InputCheck.h"

#include "engine/ConversionJob.h"
#include "engine/ProbeMedia.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ErrnoText(int error)
{
    return std::strerror(error);
}

// The probe answers -1 both for a file the demuxer cannot open and for one
// without a video stream; opening it once more tells the two apart.
bool DemuxerOpens(const std::string& path)
{
    AVFormatContext* context = nullptr;
    if (avformat_open_input(&context, path.c_str(), nullptr, nullptr) < 0)
        return false;
    avformat_close_input(&context);
    return true;
}

}  // namespace

std::string ProbeRejectionReason(const std::string& path, int probeResult)
{
    switch (probeResult) {
    case -1:
        return DemuxerOpens(path) ? "no video stream" : "not a media file we can read";
    case -2:
        return "its stream information cannot be read";
    case -12:
        return "out of memory while reading it";
    default:
        break;
    }
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(probeResult, text, sizeof text);
    return std::string("a decoder for one of its streams cannot be opened (") + text + ")";
}

InputVerdict CheckInput(const std::string& path, ConversionJob& job)
{
    InputVerdict verdict;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        verdict.reason = "cannot open: " + ErrnoText(errno);
        return verdict;
    }
    if (S_ISDIR(info.st_mode)) {
        verdict.reason = "is a folder, not a file";
        return verdict;
    }
    if (!S_ISREG(info.st_mode)) {
        verdict.reason = "not a regular file";
        return verdict;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        verdict.reason = "cannot open: " + ErrnoText(errno);
        return verdict;
    }
    ::close(fd);
    if (info.st_size == 0) {
        verdict.reason = "empty file";
        return verdict;
    }

    job.probe_path = path;
    const int result = ProbeMedia(job);
    if (result < 0) {
        verdict.reason = ProbeRejectionReason(path, result);
        return verdict;
    }
    verdict.accepted = true;
    // Whole milliseconds, as the window's list keeps the duration.
    verdict.duration_s = static_cast<double>(job.probe_duration_us / 1000) / 1000.0;
    return verdict;
}
