#include "engine/StreamCarriage.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "engine/ReadableNames.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

// Codecs QuickTime's tables do not list whose fallback fourcc was written,
// read back and decoded to the same pictures.
constexpr AVCodecID kCheckedFallbacks[] = {AV_CODEC_ID_WMV1, AV_CODEC_ID_WMV2,
                                           AV_CODEC_ID_MSMPEG4V2};

bool IsQuickTime(const AVOutputFormat* format)
{
    return std::strcmp(format->name, "mov") == 0;
}

Failure Refusal(const AVOutputFormat* format, const AVCodecParameters* par)
{
    Failure failure(Failure::kStreamRefused);
    failure.container = ReadableName(format->long_name ? format->long_name : format->name);
    failure.codec_id = par->codec_id;
    failure.media_type = par->codec_type;
    return failure;
}

// Lets the muxer set itself up for this one stream, writing into memory.
// Returns FFmpeg's result.
int TryMuxerSetUp(const AVOutputFormat* format, const AVStream* stream)
{
    AVFormatContext* trial = nullptr;
    int ret = avformat_alloc_output_context2(&trial, format, nullptr, nullptr);
    if (ret < 0)
        return ret;
    AVStream* copy = avformat_new_stream(trial, nullptr);
    ret = copy ? avcodec_parameters_copy(copy->codecpar, stream->codecpar) : AVERROR(ENOMEM);
    if (ret >= 0) {
        copy->time_base = stream->time_base;
        ret = avio_open_dyn_buf(&trial->pb);
    }
    if (ret >= 0)
        ret = avformat_init_output(trial, nullptr);
    AVIOContext* memory = trial->pb;
    trial->pb = nullptr;
    avformat_free_context(trial);
    if (memory) {
        std::uint8_t* bytes = nullptr;
        avio_close_dyn_buf(memory, &bytes);
        av_free(bytes);
    }
    return ret;
}

}  // namespace

std::uint32_t OutputCodecTag(const AVOutputFormat* format, const AVCodecParameters* input)
{
    unsigned int listed = 0;
    if (!format->codec_tag ||
        av_codec_get_id(format->codec_tag, input->codec_tag) == input->codec_id ||
        !av_codec_get_tag2(format->codec_tag, input->codec_id, &listed))
        return input->codec_tag;
    return 0;
}

Failure CarriageRefusal(const AVOutputFormat* format, const AVStream* output_stream)
{
    const AVCodecParameters* par = output_stream->codecpar;
    if (IsQuickTime(format)) {
        unsigned int tag = 0;
        const bool listed =
            format->codec_tag && av_codec_get_tag2(format->codec_tag, par->codec_id, &tag);
        if (!listed && std::find(std::begin(kCheckedFallbacks), std::end(kCheckedFallbacks),
                                 par->codec_id) == std::end(kCheckedFallbacks))
            return Refusal(format, par);
    }
    const int ret = TryMuxerSetUp(format, output_stream);
    if (ret == AVERROR(ENOMEM))
        return Failure(Failure::kCheckOutputStreams, ret);
    return ret < 0 ? Refusal(format, par) : Failure{};
}
