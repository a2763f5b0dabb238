#include "engine/preview/FirstPicture.h"

#include "engine/BoundedInput.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/StreamExclusion.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace {

// Frees what one look at the file holds, on every way out.
struct DecodeState {
    BoundedInput source;  // opened as a file, judged and bounded as the probe opens it
    AVFormatContext* input = nullptr;
    AVCodecContext* decoder = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    SwsContext* scaler = nullptr;

    ~DecodeState()
    {
        sws_freeContext(scaler);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&decoder);
    }
};

// The first video stream that is not a cover picture, or -1.
int VideoStream(const AVFormatContext* input)
{
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* stream = input->streams[i];
        if (stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO)
            continue;
        if ((stream->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0)
            continue;
        if (ExclusionOf(stream, input->nb_streams) != StreamExclusion::kKept)
            continue;
        return static_cast<int>(i);
    }
    return -1;
}

// The size that fits the box with the picture's shape (its sample aspect
// ratio included), at least one pixel each way.
void FitBox(int width, int height, AVRational sar, const PictureSearch& search, int& outWidth,
            int& outHeight)
{
    double shownWidth = width;
    if (sar.num > 0 && sar.den > 0)
        shownWidth = width * av_q2d(sar);
    const double scale =
        std::min(search.box_width / shownWidth, search.box_height / static_cast<double>(height));
    outWidth = std::max(1, static_cast<int>(std::lround(shownWidth * scale)));
    outHeight = std::max(1, static_cast<int>(std::lround(height * scale)));
}

// Scales a decoded frame into an RGB picture fitting the box; false when
// the scaler refuses the frame's format.
bool ScaleFrame(DecodeState& state, const AVFrame* frame, const PictureSearch& search,
                RgbPicture& picture)
{
    int width = 0, height = 0;
    FitBox(frame->width, frame->height, frame->sample_aspect_ratio, search, width, height);
    state.scaler = sws_getCachedContext(state.scaler, frame->width, frame->height,
                                        static_cast<AVPixelFormat>(frame->format), width, height,
                                        AV_PIX_FMT_RGB24, SWS_AREA, nullptr, nullptr, nullptr);
    if (!state.scaler)
        return false;
    picture.width = width;
    picture.height = height;
    const int stride = width * 3;
    // The scaler may write a little past a row's end: room for it.
    picture.pixels.assign(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height) + 64,
                          0);
    std::uint8_t* planes[4] = {picture.pixels.data(), nullptr, nullptr, nullptr};
    int strides[4] = {stride, 0, 0, 0};
    if (sws_scale(state.scaler, frame->data, frame->linesize, 0, frame->height, planes, strides) !=
        height)
        return false;
    picture.pixels.resize(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
    return true;
}

enum class Pass {
    kKeyFrames,
    kAllFrames
};

struct PassResult {
    bool opened = false;
    int decoded = 0;
};

// Opens the file, finds its video and decoder (filling what the result
// says about the file on the first pass), then decodes one pass: key
// frames only, or every frame. Keeps the brightest picture in `best` and
// stops at the first that clears the threshold.
PassResult DecodePass(const std::string& path, const PictureSearch& search, Pass pass,
                      VideoPicture& result, double& bestBrightness)
{
    PassResult outcome;
    DecodeState state;
    if (state.source.Open(path) < 0 || state.source.FindStreamInfo() < 0) {
        result.failure = PictureFailure::kCannotOpen;
        return outcome;
    }
    state.input = state.source.context();
    const int index = VideoStream(state.input);
    if (index < 0) {
        result.failure = PictureFailure::kNoVideo;
        return outcome;
    }
    AVStream* stream = state.input->streams[index];
    result.codec = avcodec_get_name(stream->codecpar->codec_id);
    result.stored_width = stream->codecpar->width;
    result.stored_height = stream->codecpar->height;
    std::size_t size = 0;
    const std::uint8_t* side = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (side && size >= sizeof(DisplayMatrix))
        std::memcpy(result.matrix.data(), side, sizeof(DisplayMatrix));
    else
        result.matrix = RotationMatrix(0);

    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) {
        result.failure = PictureFailure::kNoDecoder;
        return outcome;
    }
    state.decoder = avcodec_alloc_context3(codec);
    state.packet = av_packet_alloc();
    state.frame = av_frame_alloc();
    if (!state.decoder || !state.packet || !state.frame ||
        avcodec_parameters_to_context(state.decoder, stream->codecpar) < 0) {
        result.failure = PictureFailure::kUndecodable;
        return outcome;
    }
    // Several files are looked at side by side; one thread each keeps that bounded.
    state.decoder->thread_count = 1;
    state.decoder->skip_frame = pass == Pass::kKeyFrames ? AVDISCARD_NONKEY : AVDISCARD_DEFAULT;
    if (avcodec_open2(state.decoder, codec, nullptr) < 0) {
        result.failure = PictureFailure::kNoDecoder;
        return outcome;
    }
    outcome.opened = true;
    for (unsigned i = 0; i < state.input->nb_streams; ++i)
        if (static_cast<int>(i) != index)
            state.input->streams[i]->discard = AVDISCARD_ALL;

    const std::int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    const std::int64_t span = av_rescale_q(static_cast<std::int64_t>(search.seconds * AV_TIME_BASE),
                                           AVRational{1, AV_TIME_BASE}, stream->time_base);
    // Packets to read before giving up on a pass: enough for ten seconds of
    // 60 pictures a second, whatever the timestamps say.
    int packetsLeft = std::max(search.max_decoded * 2, 1200);
    bool beyond = false;
    bool draining = false;
    while (!beyond && outcome.decoded < search.max_decoded) {
        if (!draining) {
            const int read = av_read_frame(state.input, state.packet);
            if (read < 0 || --packetsLeft < 0) {
                draining = true;
                avcodec_send_packet(state.decoder, nullptr);
            } else {
                if (state.packet->stream_index == index)
                    avcodec_send_packet(state.decoder, state.packet);
                av_packet_unref(state.packet);
            }
        }
        for (;;) {
            const int got = avcodec_receive_frame(state.decoder, state.frame);
            if (got == AVERROR(EAGAIN)) {
                if (draining)
                    return outcome;
                break;
            }
            if (got < 0)
                return outcome;  // drained, or the decoder gave up
            const std::int64_t ts = state.frame->best_effort_timestamp;
            if (ts != AV_NOPTS_VALUE && ts - start > span) {
                beyond = true;
                av_frame_unref(state.frame);
                break;
            }
            ++outcome.decoded;
            RgbPicture picture;
            const bool scaled = ScaleFrame(state, state.frame, search, picture);
            av_frame_unref(state.frame);
            if (!scaled)
                continue;
            const double brightness = MeanBrightness(picture);
            if (brightness > bestBrightness || result.stored.empty()) {
                bestBrightness = brightness;
                result.stored = std::move(picture);
            }
            if (brightness >= search.black_threshold)
                return outcome;
        }
    }
    return outcome;
}

}  // namespace

VideoPicture FirstPicture(const std::string& path, const PictureSearch& search)
{
    VideoPicture result;
    double best = -1.0;
    const PassResult keys = DecodePass(path, search, Pass::kKeyFrames, result, best);
    if (!keys.opened)
        return result;
    if (result.stored.empty() || best < search.black_threshold) {
        // Every key frame was black (a fade-in), or none decoded: look at
        // every picture of the first seconds, the file opened afresh.
        DecodePass(path, search, Pass::kAllFrames, result, best);
    }
    result.failure = result.stored.empty() ? PictureFailure::kUndecodable : PictureFailure::kNone;
    result.brightness = result.stored.empty() ? 0.0 : best;
    return result;
}
