#include "engine/ProbeMedia.h"

#include <vector>

#include "engine/BoundedInput.h"
#include "engine/StreamExclusion.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

// Frees the decoder contexts and closes the input on every way out.
struct ProbeState {
    BoundedInput source;
    AVFormatContext* input = nullptr;  // source's
    std::vector<AVCodecContext*> decoders;

    ~ProbeState()
    {
        for (AVCodecContext*& decoder : decoders)
            avcodec_free_context(&decoder);
    }
};

// The container's duration, or the longest stream duration when the
// container reports none, or 0 when nothing is known.
std::int64_t DurationUs(const AVFormatContext* input)
{
    if (input->duration != AV_NOPTS_VALUE && input->duration > 0)
        return input->duration;
    std::int64_t longest = 0;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* st = input->streams[i];
        if (st->duration == AV_NOPTS_VALUE || st->duration <= 0)
            continue;
        const std::int64_t us =
            av_rescale_q(st->duration, st->time_base, AVRational{1, AV_TIME_BASE});
        if (us > longest)
            longest = us;
    }
    return longest;
}

// Opens the decoder of one checked stream and, for video, notes its facts.
// Returns 0 or an FFmpeg error.
int OpenDecoder(ProbeState& state, unsigned i, MediaProbe& facts)
{
    AVFormatContext* input = state.input;
    AVStream* stream = input->streams[i];
    const AVCodecParameters* par = stream->codecpar;
    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    if (!codec)
        return 0;
    AVCodecContext* decoder = avcodec_alloc_context3(codec);
    if (!decoder)
        return AVERROR(ENOMEM);
    state.decoders[i] = decoder;
    int ret = avcodec_parameters_to_context(decoder, par);
    if (ret < 0)
        return ret;
    if (decoder->codec_type == AVMEDIA_TYPE_VIDEO || decoder->codec_type == AVMEDIA_TYPE_AUDIO) {
        if (decoder->codec_type == AVMEDIA_TYPE_VIDEO)
            decoder->framerate = av_guess_frame_rate(input, stream, nullptr);
        if ((ret = avcodec_open2(decoder, codec, nullptr)) < 0)
            return ret;
    }
    if (decoder->codec_type == AVMEDIA_TYPE_VIDEO) {
        const AVRational rate =
            stream->avg_frame_rate.den != 0 ? stream->avg_frame_rate : decoder->framerate;
        facts.fps_num = rate.num;
        facts.fps_den = rate.den;
        facts.width = decoder->width;
        facts.height = decoder->height;
        facts.bit_rate = static_cast<int>(decoder->bit_rate);
    }
    // Reported once a stream has got as far as its decoder.
    facts.duration_us = DurationUs(input);
    return 0;
}

// Opens the input and reads its stream information; returns 0 or the
// probe's result.
int OpenInput(const std::string& path, ProbeState& state)
{
    // A file refused for what it declares (too many samples or streams)
    // answers with the opener's own code.
    int opened = state.source.Open(path);
    if (opened == kInputSamplesOverclaimed || opened == kInputTooManyStreams)
        return opened;
    if (opened < 0)
        return -1;
    opened = state.source.FindStreamInfo();
    if (opened == kInputTooManyStreams)
        return opened;
    if (opened < 0)
        return -2;
    state.input = state.source.context();
    state.decoders.assign(state.input->nb_streams, nullptr);
    return 0;
}

// Fills facts (all zero on entry) and returns the probe's result.
int ProbeInto(const std::string& path, MediaProbe& facts)
{
    ProbeState state;
    if (const int opened = OpenInput(path, state); opened != 0)
        return opened;
    AVFormatContext* input = state.input;

    int selectedVideo = -1;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const StreamExclusion exclusion = ExclusionOf(input->streams[i], input->nb_streams);
        if (exclusion == StreamExclusion::kNotMedia)
            continue;
        if (input->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            selectedVideo = static_cast<int>(i);
        // Cover art counts as a picture of the file but is not checked.
        if (exclusion == StreamExclusion::kCoverArt)
            continue;
        if (const int ret = OpenDecoder(state, i, facts); ret < 0)
            return ret;
    }
    if (facts.bit_rate == 0)
        facts.bit_rate = static_cast<int>(input->bit_rate);
    av_dump_format(input, 0, path.c_str(), 0);
    if (selectedVideo >= 0)
        facts.video_profile = input->streams[selectedVideo]->codecpar->profile;
    return selectedVideo < 0 ? -1 : 0;
}

}  // namespace

MediaProbe ProbeMedia(const std::string& path)
{
    MediaProbe facts;
    facts.result = ProbeInto(path, facts);
    return facts;
}
