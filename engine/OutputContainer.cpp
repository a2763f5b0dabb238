#include "engine/OutputContainer.h"

#include "engine/BoundedInput.h"
#include "engine/StreamExclusion.h"
#include "engine/iso/IsoInspection.h"
#include "engine/remux/StreamCarriage.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

bool IsStereo(const AVStream* stream)
{
    return stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
           av_stream_get_side_data(stream, AV_PKT_DATA_STEREO3D, nullptr) != nullptr;
}

bool IsMp4(const AVOutputFormat* format)
{
    return format && std::strcmp(format->name, "mp4") == 0;
}

}  // namespace

int OpenRegularFile(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return -1;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool TakesByteExactWay(const IsoInspection& inspection)
{
    // A file refused for what it declares is refused by the byte copy, in
    // the words of what the box reader found.
    return inspection.verdict == IsoInspection::Verdict::kRewritable ||
           inspection.verdict == IsoInspection::Verdict::kCutShort ||
           inspection.verdict == IsoInspection::Verdict::kOverclaimed;
}

const char* OutputContainer::extension() const
{
    if (!format)
        return "";
    return IsMp4(format) ? "mp4" : "mov";
}

OutputContainer OutputContainerFor(const AVFormatContext* input)
{
    std::vector<const AVStream*> copied;
    OutputContainer result;
    for (unsigned s = 0; s < input->nb_streams; ++s) {
        const AVStream* stream = input->streams[s];
        if (!CopiedStream(input, s))
            continue;
        copied.push_back(stream);
        if (!result.stereo && IsStereo(stream)) {
            result.stereo = true;
            result.stereo_codec_id = stream->codecpar->codec_id;
        }
    }
    const int cover = CoverStream(input);
    ContainerChoice choice = ChooseContainer(copied, result.stereo || cover >= 0);
    result.format = choice.format;
    result.refusal = std::move(choice.refusal);
    const bool mp4 = IsMp4(result.format);
    result.stereo_lost = result.stereo && result.format && !mp4;
    (mp4 ? result.cover_stream : result.lost_cover) = cover;
    return result;
}

std::string OutputExtensionFor(const std::string& path, bool copy_iso_files)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
        return "mov";
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return "";
    const bool byteExact = copy_iso_files && TakesByteExactWay(InspectIsoFile(fd));
    ::close(fd);
    if (byteExact)
        return "";
    BoundedInput input;
    std::string extension;
    if (input.Open(path) == 0 && input.FindStreamInfo() == 0) {
        const OutputContainer container = OutputContainerFor(input.context());
        if (container.format)
            extension = container.extension();
    }
    return extension;
}
