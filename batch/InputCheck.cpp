#include "batch/InputCheck.h"

#include "engine/BoundedInput.h"
#include "engine/ProbeMedia.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The probe answers -1 both for a file the demuxer cannot open and for one
// without a video stream; opening it once more tells the two apart.
bool DemuxerOpens(const std::string& path)
{
    BoundedInput input;
    return input.Open(path) == 0;
}

InputVerdict Rejected(InputVerdict::Rejection rejection, int error = 0)
{
    InputVerdict verdict;
    verdict.rejection = rejection;
    verdict.error = error;
    return verdict;
}

InputVerdict ProbeRejection(const std::string& path, int probeResult)
{
    switch (probeResult) {
    case -1:
        return Rejected(DemuxerOpens(path) ? InputVerdict::kNoVideo : InputVerdict::kNotMedia);
    case -2:
        return Rejected(InputVerdict::kNoStreamInfo);
    case -12:
        return Rejected(InputVerdict::kOutOfMemory);
    case kInputSamplesOverclaimed:
        return Rejected(InputVerdict::kSamplesOverclaimed);
    case kInputTooManyStreams:
        return Rejected(InputVerdict::kTooManyStreams);
    default:
        return Rejected(InputVerdict::kDecoderFailed, probeResult);
    }
}

}  // namespace

InputVerdict CheckInput(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return Rejected(InputVerdict::kCannotOpen, errno);
    if (S_ISDIR(info.st_mode))
        return Rejected(InputVerdict::kFolder);
    if (!S_ISREG(info.st_mode))
        return Rejected(InputVerdict::kNotRegularFile);
    // Opened without blocking, should a FIFO have taken the name since.
    const int fd = OpenRegularInput(path);
    if (fd < 0)
        return errno == EINVAL ? Rejected(InputVerdict::kNotRegularFile)
                               : Rejected(InputVerdict::kCannotOpen, errno);
    ::close(fd);
    if (info.st_size == 0)
        return Rejected(InputVerdict::kEmpty);

    const MediaProbe facts = ProbeMedia(path);
    if (facts.result < 0) {
        InputVerdict rejected = ProbeRejection(path, facts.result);
        rejected.facts = facts;
        return rejected;
    }
    InputVerdict verdict;
    verdict.facts = facts;
    // Whole milliseconds, as the window's list keeps the duration.
    verdict.duration_s = static_cast<double>(facts.duration_us / 1000) / 1000.0;
    return verdict;
}
