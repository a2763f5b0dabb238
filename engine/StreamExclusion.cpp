#include "engine/StreamExclusion.h"

#include <strings.h>

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

bool IsAttachedPicture(const AVStream* stream)
{
    return (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0;
}

bool IsVideoOrAudio(const AVCodecParameters* par)
{
    return par->codec_type == AVMEDIA_TYPE_VIDEO || par->codec_type == AVMEDIA_TYPE_AUDIO;
}

bool KeptMedia(const AVFormatContext* input, unsigned s)
{
    const AVStream* stream = input->streams[s];
    return IsVideoOrAudio(stream->codecpar) &&
           ExclusionOf(stream, input->nb_streams) == StreamExclusion::kKept;
}

// Some kept video of the input is not an attached picture.
bool HasMovingVideo(const AVFormatContext* input)
{
    for (unsigned s = 0; s < input->nb_streams; ++s) {
        const AVStream* stream = input->streams[s];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && KeptMedia(input, s) &&
            !IsAttachedPicture(stream))
            return true;
    }
    return false;
}

}  // namespace

StreamExclusion ExclusionOf(const AVStream* stream, unsigned streamCount)
{
    const AVCodecParameters* par = stream->codecpar;
    if (par->codec_id == AV_CODEC_ID_PNG || par->codec_id == AV_CODEC_ID_DVD_NAV ||
        par->codec_type == AVMEDIA_TYPE_SUBTITLE)
        return StreamExclusion::kNotMedia;
    if (par->codec_id == AV_CODEC_ID_MJPEG && streamCount > 2)
        return StreamExclusion::kCoverArt;
    return StreamExclusion::kKept;
}

bool CopiedStream(const AVFormatContext* input, unsigned s)
{
    if (!KeptMedia(input, s))
        return false;
    return !IsAttachedPicture(input->streams[s]) || !HasMovingVideo(input);
}

int CoverStream(const AVFormatContext* input)
{
    int first = -1;
    for (unsigned s = 0; s < input->nb_streams; ++s) {
        const AVStream* stream = input->streams[s];
        const AVCodecID id = stream->codecpar->codec_id;
        if (!IsAttachedPicture(stream) || stream->attached_pic.size <= 0 ||
            CopiedStream(input, s) ||
            (id != AV_CODEC_ID_MJPEG && id != AV_CODEC_ID_PNG && id != AV_CODEC_ID_BMP))
            continue;
        const AVDictionaryEntry* name = av_dict_get(stream->metadata, "filename", nullptr, 0);
        if (name && ::strncasecmp(name->value, "cover", 5) == 0)
            return static_cast<int>(s);
        if (first < 0)
            first = static_cast<int>(s);
    }
    return first;
}
