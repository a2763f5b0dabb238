#include "engine/remux/TimedTextConverter.h"

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

// Room for one encoded cue: grown while the encoder says it is too small,
// up to a bound no real cue reaches.
constexpr std::size_t kFirstBufferSize = 64 * 1024;
constexpr std::size_t kLargestBufferSize = 16 * 1024 * 1024;

struct SubtitleFree {
    AVSubtitle* subtitle;
    ~SubtitleFree() { avsubtitle_free(subtitle); }
};

}  // namespace

TimedTextConverter::~TimedTextConverter()
{
    avcodec_free_context(&decoder_);
    avcodec_free_context(&encoder_);
}

bool TimedTextConverter::Converts(const AVStream* input)
{
    const AVCodecParameters* par = input->codecpar;
    if (par->codec_type != AVMEDIA_TYPE_SUBTITLE || par->codec_id == AV_CODEC_ID_MOV_TEXT)
        return false;
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(par->codec_id);
    return descriptor && (descriptor->props & AV_CODEC_PROP_TEXT_SUB) &&
           !(descriptor->props & AV_CODEC_PROP_BITMAP_SUB) && avcodec_find_decoder(par->codec_id);
}

int TimedTextConverter::Open(const AVStream* input, AVCodecParameters* output, int picture_width,
                             int picture_height)
{
    const AVCodec* decoderCodec = avcodec_find_decoder(input->codecpar->codec_id);
    const AVCodec* encoderCodec = avcodec_find_encoder(AV_CODEC_ID_MOV_TEXT);
    if (!decoderCodec || !encoderCodec)
        return AVERROR_DECODER_NOT_FOUND;
    decoder_ = avcodec_alloc_context3(decoderCodec);
    if (!decoder_)
        return AVERROR(ENOMEM);
    int ret = avcodec_parameters_to_context(decoder_, input->codecpar);
    if (ret < 0)
        return ret;
    // The decoder works out each cue's end from the packet's duration.
    decoder_->pkt_timebase = input->time_base;
    if ((ret = avcodec_open2(decoder_, decoderCodec, nullptr)) < 0)
        return ret;

    encoder_ = avcodec_alloc_context3(encoderCodec);
    if (!encoder_)
        return AVERROR(ENOMEM);
    encoder_->time_base = input->time_base;
    encoder_->width = input->codecpar->width > 0 ? input->codecpar->width : picture_width;
    encoder_->height = input->codecpar->height > 0 ? input->codecpar->height : picture_height;
    // The decoder's script header (styles, fonts, the script's size) sets
    // the encoder's default style.
    if (decoder_->subtitle_header && decoder_->subtitle_header_size > 0) {
        const auto size = static_cast<std::size_t>(decoder_->subtitle_header_size);
        encoder_->subtitle_header = static_cast<std::uint8_t*>(av_mallocz(size + 1));
        if (!encoder_->subtitle_header)
            return AVERROR(ENOMEM);
        std::memcpy(encoder_->subtitle_header, decoder_->subtitle_header, size);
        encoder_->subtitle_header_size = decoder_->subtitle_header_size;
    }
    if ((ret = avcodec_open2(encoder_, encoderCodec, nullptr)) < 0)
        return ret;
    if ((ret = avcodec_parameters_from_context(output, encoder_)) < 0)
        return ret;
    output->codec_tag = 0;
    buffer_.resize(kFirstBufferSize);
    return 0;
}

int TimedTextConverter::Convert(AVPacket* packet)
{
    AVSubtitle cue{};
    int got = 0;
    int ret = avcodec_decode_subtitle2(decoder_, &cue, &got, packet);
    if (ret < 0)
        return ret;
    if (!got)
        return 0;
    SubtitleFree release{&cue};
    if (cue.num_rects == 0 || packet->pts == AV_NOPTS_VALUE)
        return 0;

    int size = 0;
    for (;;) {
        size = avcodec_encode_subtitle(encoder_, buffer_.data(), static_cast<int>(buffer_.size()),
                                       &cue);
        if (size != AVERROR_BUFFER_TOO_SMALL || buffer_.size() >= kLargestBufferSize)
            break;
        buffer_.resize(buffer_.size() * 2);
    }
    if (size < 0)
        return size;

    const AVRational ms{1, 1000};
    const std::int64_t delay = av_rescale_q(cue.start_display_time, ms, decoder_->pkt_timebase);
    const std::int64_t pts = packet->pts + delay;
    const std::int64_t dts = packet->dts == AV_NOPTS_VALUE ? pts : packet->dts + delay;
    std::int64_t duration = packet->duration > 0 ? packet->duration - delay : 0;
    if (duration <= 0 && cue.end_display_time > cue.start_display_time)
        duration =
            av_rescale_q(cue.end_display_time - cue.start_display_time, ms, decoder_->pkt_timebase);
    const int stream = packet->stream_index;
    av_packet_unref(packet);
    if ((ret = av_new_packet(packet, size)) < 0)
        return ret;
    std::memcpy(packet->data, buffer_.data(), static_cast<std::size_t>(size));
    packet->pts = pts;
    packet->dts = dts;
    packet->duration = duration;
    packet->stream_index = stream;
    packet->flags |= AV_PKT_FLAG_KEY;
    return 1;
}
