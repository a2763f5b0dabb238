#include "engine/remux/StreamCarriage.h"

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

// Codecs FFmpeg's QuickTime muxer lists but writes only into MP4 files. Its
// own set-up would refuse them too; known here, the trial does not log a
// refusal for a file that MP4 then holds.
constexpr AVCodecID kOnlyInMp4[] = {AV_CODEC_ID_VP9, AV_CODEC_ID_AV1, AV_CODEC_ID_OPUS,
                                    AV_CODEC_ID_FLAC, AV_CODEC_ID_TRUEHD};

// Codecs the MP4 muxer of FFmpeg 5.1 writes only when told that
// experiments are allowed, written so, read back and decoded the same.
constexpr AVCodecID kCheckedMp4Experiments[] = {AV_CODEC_ID_FLAC};

// The containers the remux way writes, in the order it prefers them.
constexpr const char* kContainers[] = {"mov", "mp4"};

bool IsQuickTime(const AVOutputFormat* format)
{
    return std::strcmp(format->name, "mov") == 0;
}

bool IsMp4(const AVOutputFormat* format)
{
    return std::strcmp(format->name, "mp4") == 0;
}

bool CheckedExperiment(const AVOutputFormat* format, int codec_id)
{
    return IsMp4(format) &&
           std::find(std::begin(kCheckedMp4Experiments), std::end(kCheckedMp4Experiments),
                     codec_id) != std::end(kCheckedMp4Experiments);
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
        copy->codecpar->codec_tag = OutputCodecTag(format, stream->codecpar);
        copy->time_base = stream->time_base;
        AllowCheckedExperiments(trial);
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

Failure CarriageRefusal(const AVOutputFormat* format, const AVStream* stream)
{
    const AVCodecParameters* par = stream->codecpar;
    if (IsQuickTime(format)) {
        unsigned int tag = 0;
        const bool listed =
            format->codec_tag && av_codec_get_tag2(format->codec_tag, par->codec_id, &tag);
        if (!listed && std::find(std::begin(kCheckedFallbacks), std::end(kCheckedFallbacks),
                                 par->codec_id) == std::end(kCheckedFallbacks))
            return Refusal(format, par);
        if (std::find(std::begin(kOnlyInMp4), std::end(kOnlyInMp4), par->codec_id) !=
            std::end(kOnlyInMp4))
            return Refusal(format, par);
    }
    const int ret = TryMuxerSetUp(format, stream);
    if (ret == AVERROR(ENOMEM))
        return Failure(Failure::kCheckOutputStreams, ret);
    return ret < 0 ? Refusal(format, par) : Failure{};
}

ContainerChoice ChooseContainer(const std::vector<const AVStream*>& streams, bool mp4_first)
{
    constexpr std::size_t kCount = std::size(kContainers);
    const AVOutputFormat* formats[kCount] = {};
    // Per container, per stream: its refusal.
    std::vector<Failure> refusals[kCount];
    for (std::size_t k = 0; k < kCount; ++k) {
        const std::size_t c = mp4_first ? kCount - 1 - k : k;
        formats[c] = av_guess_format(kContainers[c], nullptr, nullptr);
        if (!formats[c])
            continue;
        bool holdsAll = true;
        for (const AVStream* stream : streams) {
            Failure why = CarriageRefusal(formats[c], stream);
            if (why.step == Failure::kCheckOutputStreams)
                return {nullptr, std::move(why)};
            holdsAll = holdsAll && !why.failed();
            refusals[c].push_back(std::move(why));
        }
        if (holdsAll)
            return {formats[c], Failure{}};
    }
    // Refused: a stream that no container holds, else QuickTime's first.
    for (std::size_t s = 0; s < streams.size(); ++s) {
        bool heldSomewhere = false;
        for (std::size_t c = 0; c < kCount; ++c)
            heldSomewhere = heldSomewhere || (formats[c] && !refusals[c][s].failed());
        if (!heldSomewhere && formats[0])
            return {nullptr, refusals[0][s]};
    }
    for (const Failure& why : refusals[0]) {
        if (why.failed())
            return {nullptr, why};
    }
    return {nullptr, Failure(Failure::kSetUpOutput, AVERROR_MUXER_NOT_FOUND)};
}

void AllowCheckedExperiments(AVFormatContext* output)
{
    for (unsigned k = 0; k < output->nb_streams; ++k) {
        const AVStream* stream = output->streams[k];
        if (CheckedExperiment(output->oformat, stream->codecpar->codec_id))
            output->strict_std_compliance =
                std::min(output->strict_std_compliance, FF_COMPLIANCE_EXPERIMENTAL);
        if (IsMp4(output->oformat) &&
            av_stream_get_side_data(stream, AV_PKT_DATA_STEREO3D, nullptr) != nullptr)
            output->strict_std_compliance =
                std::min(output->strict_std_compliance, FF_COMPLIANCE_UNOFFICIAL);
    }
}
