#include "engine/FailureReason.h"

#include <cerrno>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
}

std::string ErrorText(int av_error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(av_error, text, sizeof text);
    return text;
}

std::string StepFailure(const std::string& step, int av_error)
{
    return step + ": " + ErrorText(av_error);
}

std::string OutputFailure(const std::string& step, int av_error)
{
    if (av_error == AVERROR(ENOSPC))
        return "no space left on the output disk";
    return StepFailure(step, av_error);
}

std::string InputFailure(const std::string& step, int av_error)
{
    if (av_error == AVERROR_INVALIDDATA)
        return "the input is damaged: " + ErrorText(av_error);
    return StepFailure(step, av_error);
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
        return "an unknown codec";
    const std::string name = ReadableName(descriptor->long_name);
    return name.empty() ? descriptor->name : name;
}
