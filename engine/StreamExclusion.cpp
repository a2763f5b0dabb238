#include "engine/StreamExclusion.h"

extern "C" {
#include <libavformat/avformat.h>
}

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
