#include "engine/ReadableNames.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
}

std::string ReadableName(const char* long_name)
{
    if (!long_name)
        return "";
    std::string name = long_name;
    for (const char* cut : {" / ", " ("}) {
        const std::size_t at = name.find(cut);
        if (at != std::string::npos && at > 0)
            name.erase(at);
    }
    return name;
}

std::string CodecName(int codec_id)
{
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(static_cast<AVCodecID>(codec_id));
    if (!descriptor || codec_id == AV_CODEC_ID_NONE)
        return "";
    const std::string name = ReadableName(descriptor->long_name);
    return name.empty() ? descriptor->name : name;
}

std::string ErrorText(int av_error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(av_error, text, sizeof text);
    return text;
}
