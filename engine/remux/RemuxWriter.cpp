#include "engine/remux/RemuxWriter.h"

#include "engine/remux/ContainerMetadata.h"
#include "engine/remux/LeadingPictures.h"
#include "engine/DisplayRotation.h"
#include "engine/InputCompleteness.h"
#include "engine/OutputContainer.h"
#include "engine/PositionWork.h"
#include "engine/remux/StreamCarriage.h"
#include "engine/StreamExclusion.h"
#include "engine/remux/TimedTextConverter.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/intreadwrite.h>
#include <libavutil/opt.h>
}

namespace {

// Streams that are never copied (the probe's rule).
bool Excluded(const AVStream* stream, unsigned stream_count)
{
    return ExclusionOf(stream, stream_count) != StreamExclusion::kKept;
}

bool IsVideoOrAudio(const AVCodecParameters* par)
{
    return par->codec_type == AVMEDIA_TYPE_VIDEO || par->codec_type == AVMEDIA_TYPE_AUDIO;
}

// Of a sound or subtitle stream's tags only its language and its title
// ("Deutsch", "Director's comments", "Forced") are kept: players choose and
// name the track by them.
int CopyLanguageAndTitle(const AVStream* in, AVStream* out)
{
    for (const char* key : {"language", "title"}) {
        const AVDictionaryEntry* tag = av_dict_get(in->metadata, key, nullptr, 0);
        if (!tag)
            continue;
        if (const int ret = av_dict_set(&out->metadata, key, tag->value, 0); ret < 0)
            return ret;
    }
    return 0;
}

bool InputMatrix(const AVStream* stream, DisplayMatrix& matrix)
{
    std::size_t size = 0;
    const std::uint8_t* data = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!data || size < sizeof(DisplayMatrix))
        return false;
    std::memcpy(matrix.data(), data, sizeof(DisplayMatrix));
    return true;
}

bool SetOutputMatrix(AVStream* stream, const DisplayMatrix& matrix)
{
    std::uint8_t* data =
        av_stream_new_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, sizeof(DisplayMatrix));
    if (!data)
        return false;
    std::memcpy(data, matrix.data(), sizeof(DisplayMatrix));
    return true;
}

Failure WithCode(Failure::Step step, int code)
{
    return Failure(step, code);
}

Failure DecoderFailure(Failure::Step step, int code, int codec_id)
{
    Failure failure(step, code);
    failure.codec_id = codec_id;
    return failure;
}

// A cue shown before the output's start is cut to it, or dropped when it
// is over by then. Returns whether the cue is still shown.
bool KeepCue(AVPacket* packet)
{
    if (packet->pts == AV_NOPTS_VALUE || packet->pts >= 0)
        return true;
    if (packet->duration <= 0 || packet->pts + packet->duration <= 0)
        return false;
    packet->duration += packet->pts;
    packet->pts = 0;
    packet->dts = 0;
    return true;
}

// The samples a sound packet's decoder is to drop from the end of its
// frame (Matroska's DiscardPadding, an MP4 edit list's end), 0 for none.
int EndTrim(const AVPacket* packet)
{
    std::size_t size = 0;
    const std::uint8_t* skip = av_packet_get_side_data(packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
    if (!skip || size < 8)
        return 0;
    const std::uint32_t end = AV_RL32(skip + 4);
    return end <= INT32_MAX ? static_cast<int>(end) : 0;
}

double Seconds(std::int64_t ts, AVRational tb)
{
    return static_cast<double>(ts) * tb.num / tb.den;
}

}  // namespace

RemuxWriter::~RemuxWriter()
{
    av_packet_free(&packet_);
    for (AVPacket*& ahead : ahead_)
        av_packet_free(&ahead);
    for (StreamSlot& slot : slots_)
        avcodec_free_context(&slot.decoder);
    input_ = nullptr;  // source_'s
    if (output_) {
        output_->pb = nullptr;  // io_'s
        avformat_free_context(output_);
    }
}

WriteResult RemuxWriter::Write(PositionWork& work)
{
    work_ = &work;
    if (Failure why = OpenInput(); why.failed())
        return WriteResult::Failed(std::move(why));
    if (Failure why = PrepareOutput(); why.failed())
        return WriteResult::Failed(std::move(why));
    if (Failure why = CopyPackets(); why.failed())
        return WriteResult::Failed(std::move(why));
    // Whatever was written stops here; the output is not made to play.
    if (work.CancelRequested())
        return WriteResult::Cancelled();
    if (Failure why = CompleteOutput(); why.failed())
        return WriteResult::Failed(std::move(why));
    return work.Finish(std::move(left_out_));
}

Failure RemuxWriter::OpenInput()
{
    const std::string& inputPath = work_->InputPath();
    int ret = source_.OpenAlsoPipe(inputPath, [this] { return work_->CancelRequested(); });
    if (ret == 0)
        ret = source_.FindStreamInfo();
    input_ = source_.context();
    if (ret == kInputSamplesOverclaimed)
        return Failure(Failure::kSamplesOverclaimed);
    if (ret == kInputTooManyStreams)
        return Failure(Failure::kTooManyStreams);
    if (ret == kInputNotRegularFile)
        return WithCode(Failure::kOpenInput, AVERROR(EINVAL));
    if (ret < 0)
        return WithCode(input_ ? Failure::kReadStreams : Failure::kOpenInput, ret);
    slots_.clear();
    slots_.resize(input_->nb_streams);
    if (Failure why = OpenDecoders(); why.failed())
        return why;
    av_dump_format(input_, 0, inputPath.c_str(), 0);
    return Failure{};
}

Failure RemuxWriter::PrepareOutput()
{
    PositionWork& work = *work_;

    // The container follows what the video and sound need, whatever the
    // output's name; decided before the output file exists.
    OutputContainer choice = OutputContainerFor(input_);
    if (choice.refusal.failed())
        return std::move(choice.refusal);
    if (choice.stereo_lost)
        left_out_.push_back({choice.stereo_codec_id, AVMEDIA_TYPE_VIDEO, LeftOutStream::kStereoMode});
    if (choice.lost_cover >= 0)  // said as a picture attached to the file, not as a video
        left_out_.push_back({input_->streams[choice.lost_cover]->codecpar->codec_id,
                             AVMEDIA_TYPE_ATTACHMENT});
    cover_stream_ = choice.cover_stream;
    int ret = avformat_alloc_output_context2(&output_, choice.format, nullptr, nullptr);
    if (ret < 0 || !output_)
        return WithCode(Failure::kSetUpOutput, ret < 0 ? ret : AVERROR(ENOMEM));
    if (Failure why = CreateOutputStreams(); why.failed())
        return why;
    AllowCheckedExperiments(output_);

    if (Failure notCreated = work.CreateOutput(O_RDWR); notCreated.failed())
        return notCreated;
    av_dump_format(output_, 0, work.Output().path.c_str(), 1);
    if (!io_.Open(work.OutputFd()))
        return Failure(Failure::kOutOfMemory);
    output_->pb = io_.io();
    output_->flags |= AVFMT_FLAG_CUSTOM_IO;
    if ((ret = avformat_write_header(output_, nullptr)) < 0)
        return WithCode(Failure::kWriteHeader, ret);
    if (writes_keys_)
        DropHeaderOnlyMetadata(&output_->metadata);
    output_dts_.assign(output_->nb_streams, MonotonicDts{});
    track_starts_.assign(output_->nb_streams, LeadingTrack{});
    packet_ = av_packet_alloc();
    if (!packet_)
        return Failure(Failure::kOutOfMemory);
    return Failure{};
}

// The copy never decodes; the decoders are opened only so that a usable
// stream whose decoder cannot be set up fails the file up front.
Failure RemuxWriter::OpenDecoders()
{
    for (unsigned s = 0; s < input_->nb_streams; ++s) {
        const AVCodecParameters* par = input_->streams[s]->codecpar;
        if (Excluded(input_->streams[s], input_->nb_streams) ||
            par->codec_type == AVMEDIA_TYPE_DATA)
            continue;
        const AVCodec* codec = avcodec_find_decoder(par->codec_id);
        if (!codec)
            continue;
        AVCodecContext*& decoder = slots_[s].decoder;
        decoder = avcodec_alloc_context3(codec);
        if (!decoder)
            return DecoderFailure(Failure::kSetUpDecoder, AVERROR(ENOMEM), par->codec_id);
        if (const int ret = avcodec_parameters_to_context(decoder, par); ret < 0)
            return DecoderFailure(Failure::kSetUpDecoder, ret, par->codec_id);
        if (IsVideoOrAudio(par)) {
            if (const int ret = avcodec_open2(decoder, codec, nullptr); ret < 0)
                return DecoderFailure(Failure::kOpenDecoder, ret, par->codec_id);
        }
    }
    return Failure{};
}

Failure RemuxWriter::CreateOutputStreams()
{
    for (unsigned s = 0; s < input_->nb_streams; ++s) {
        slots_[s].output_index = -1;
        const AVStream* in = input_->streams[s];
        Failure why;
        if (in->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE)
            why = CreateSubtitleStream(s);
        else if (CopiedStream(input_, s))
            why = CreateCopiedStream(s);
        if (why.failed())
            return why;
    }
    if (Failure why = CreateCoverStream(static_cast<int>(output_->nb_streams)); why.failed())
        return why;
    shifts_.assign(output_->nb_streams, TimestampShift{});
    AssignProgress();
    ReadAhead();
    if (Failure why = CopyContainerMetadata(); why.failed())
        return why;
    return CopyChapters();
}

// The output stream of video or sound stream s: its parameters, its tags
// and side data, and for video the display matrix turned by the file's turn.
Failure RemuxWriter::CreateCopiedStream(unsigned s)
{
    const auto failed = [](int ret) { return WithCode(Failure::kSetUpOutput, ret); };
    const int rotation = work_->RotationDeg();
    AVStream* in = input_->streams[s];
    const int n = static_cast<int>(output_->nb_streams);
    AVStream* out = avformat_new_stream(output_, nullptr);
    if (!out)
        return failed(AVERROR(ENOMEM));
    slots_[s].output_index = n;
    const bool video = in->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
    if (video) {
        if (const int ret = av_dict_copy(&out->metadata, in->metadata, 0); ret < 0)
            return failed(ret);
    } else if (const int ret = CopyLanguageAndTitle(in, out); ret < 0) {
        return failed(ret);
    }
    // Default and forced flags keep the player's choice of track; a
    // picture stream that is copied is written as a video track, not
    // as the container's cover.
    out->disposition = in->disposition & ~AV_DISPOSITION_ATTACHED_PIC;

    const AVDictionaryEntry* tag = av_dict_get(in->metadata, "rotate", nullptr, 0);
    const long long tagValue = tag ? RotateTagValue(tag->value) : 0;
    if (rotation != 0) {
        const std::string text = std::to_string(ReduceDegrees(tagValue + rotation));
        if (const int ret = av_dict_set(&out->metadata, "rotate", text.c_str(), 0); ret < 0)
            return failed(ret);
    }

    if (const int ret = avcodec_parameters_copy(out->codecpar, in->codecpar); ret < 0)
        return failed(ret);
    out->codecpar->codec_tag = OutputCodecTag(output_->oformat, in->codecpar);
    out->time_base = in->time_base;
    out->avg_frame_rate = in->avg_frame_rate;
    if (Failure why = CopyStreamSideData(static_cast<int>(s), n); why.failed())
        return why;

    if (video) {
        // Players turn the picture by the display matrix alone; the
        // "rotate" tag is only informative in these containers.
        DisplayMatrix matrix{};
        const bool hasMatrix = InputMatrix(in, matrix);
        bool set = true;
        if (hasMatrix && rotation != 0) {
            set = SetOutputMatrix(out, TurnMatrix(matrix, rotation));
        } else if (!hasMatrix) {
            const int total = ReduceDegrees(tagValue + rotation);
            set = total == 0 || SetOutputMatrix(out, RotationMatrix(total));
        }
        if (!set)
            return failed(AVERROR(ENOMEM));
    }
    slots_[s].media_type = in->codecpar->codec_type;
    start_.Offer(in->start_time, in->time_base.num, in->time_base.den);
    return Failure{};
}

// Text subtitles become timed text; other subtitles are copied when the
// container holds them as they are, and left out (and noted) otherwise.
// Closed captions go as they are where QuickTime holds them (c608), as
// timed text elsewhere.
Failure RemuxWriter::CreateSubtitleStream(unsigned s)
{
    const auto failed = [](int ret) { return WithCode(Failure::kSetUpOutput, ret); };
    const AVStream* in = input_->streams[s];
    StreamSlot& slot = slots_[s];

    AVCodecParameters* par = avcodec_parameters_alloc();
    if (!par)
        return failed(AVERROR(ENOMEM));
    const std::unique_ptr<AVCodecParameters*, void (*)(AVCodecParameters**)> release(
        &par, avcodec_parameters_free);
    const auto convert = [&]() { return OpenTimedText(s, par); };
    const bool converts = TimedTextConverter::Converts(in);
    const bool captions = in->codecpar->codec_id == AV_CODEC_ID_EIA_608;
    int ret = 0;
    if (converts && !captions) {
        ret = convert();
    } else {
        Failure why = CarriageRefusal(output_->oformat, in);
        if (why.step == Failure::kCheckOutputStreams)
            return why;
        if (!why.failed()) {
            ret = avcodec_parameters_copy(par, in->codecpar);
            if (ret < 0)
                return failed(ret);
            par->codec_tag = OutputCodecTag(output_->oformat, in->codecpar);
        } else {
            ret = converts ? convert() : AVERROR_PATCHWELCOME;
        }
    }
    if (ret == AVERROR(ENOMEM))
        return failed(ret);
    if (ret < 0) {
        left_out_.push_back({in->codecpar->codec_id, in->codecpar->codec_type});
        return Failure{};
    }

    const int n = static_cast<int>(output_->nb_streams);
    AVStream* out = avformat_new_stream(output_, nullptr);
    if (!out)
        return failed(AVERROR(ENOMEM));
    slot.output_index = n;
    if ((ret = avcodec_parameters_copy(out->codecpar, par)) < 0)
        return failed(ret);
    out->time_base = in->time_base;
    // Forced and default flags keep the player's choice of subtitles.
    out->disposition = in->disposition;
    if ((ret = CopyLanguageAndTitle(in, out)) < 0)
        return failed(ret);
    slot.media_type = AVMEDIA_TYPE_SUBTITLE;
    return Failure{};
}

// Sets up the conversion of subtitle stream s into timed text, sized to the
// first copied video, and fills par with the output stream's parameters.
// Returns FFmpeg's result: below 0 the stream cannot be converted (and is
// left out, unless memory ran out).
int RemuxWriter::OpenTimedText(unsigned s, AVCodecParameters* par)
{
    int width = 0;
    int height = 0;
    for (unsigned k = 0; k < input_->nb_streams && width == 0; ++k) {
        const AVCodecParameters* video = input_->streams[k]->codecpar;
        if (video->codec_type == AVMEDIA_TYPE_VIDEO &&
            CopiedStream(input_, k)) {
            width = video->width;
            height = video->height;
        }
    }
    StreamSlot& slot = slots_[s];
    slot.timed_text = std::make_unique<TimedTextConverter>();
    const int opened = slot.timed_text->Open(input_->streams[s], par, width, height);
    if (opened < 0)
        slot.timed_text.reset();  // a script the converter cannot read
    return opened;
}

Failure RemuxWriter::CreateCoverStream(int output_index)
{
    const int s = cover_stream_;
    if (s < 0)
        return Failure{};
    const AVStream* in = input_->streams[s];
    AVStream* out = avformat_new_stream(output_, nullptr);
    if (!out)
        return WithCode(Failure::kSetUpOutput, AVERROR(ENOMEM));
    if (const int ret = avcodec_parameters_copy(out->codecpar, in->codecpar); ret < 0)
        return WithCode(Failure::kSetUpOutput, ret);
    out->codecpar->codec_tag = 0;
    out->time_base = in->time_base;
    // The muxer writes a picture stream so marked into the item list's
    // covr instead of a track.
    out->disposition = AV_DISPOSITION_ATTACHED_PIC;
    StreamSlot& slot = slots_[static_cast<std::size_t>(s)];
    slot.output_index = output_index;
    slot.media_type = AVMEDIA_TYPE_VIDEO;
    slot.cover = true;
    return Failure{};
}

// Every audio stream and every video stream moves the progress, except
// that when the input's first two streams are both copied video, only the
// first of those does and no further video stream.
void RemuxWriter::AssignProgress()
{
    auto copiedVideo = [this](std::size_t s) {
        return s < slots_.size() && slots_[s].output_index >= 0 &&
               slots_[s].media_type == AVMEDIA_TYPE_VIDEO && !slots_[s].cover;
    };
    const bool twoStreams = copiedVideo(0) && copiedVideo(1);
    for (std::size_t s = 0; s < slots_.size(); ++s) {
        StreamSlot& slot = slots_[s];
        if (slot.output_index >= 0 && !slot.cover)
            slot.drives_progress = slot.media_type == AVMEDIA_TYPE_AUDIO || !twoStreams || s == 0;
    }
}

void RemuxWriter::ReadAhead()
{
    // Leading pictures come right after their key frame: a camera's open
    // GOP has a few. The bounds keep a stream with unset times from
    // holding much of the file in memory.
    constexpr std::size_t kMostPackets = 600;
    constexpr std::size_t kMostBytes = 16u << 20;
    std::size_t bytes = 0;
    std::vector<LeadingPictures> leading(slots_.size());
    auto unsettled = [&] {
        for (std::size_t s = 0; s < slots_.size(); ++s) {
            const StreamSlot& slot = slots_[s];
            if (slot.output_index >= 0 && !slot.cover && slot.media_type == AVMEDIA_TYPE_VIDEO &&
                !leading[s].settled())
                return true;
        }
        return false;
    };
    while (ahead_.size() < kMostPackets && bytes < kMostBytes && unsettled()) {
        AVPacket* packet = av_packet_alloc();
        if (!packet)
            return;  // the copy reads on without it
        const int read = av_read_frame(input_, packet);
        if (read < 0) {
            av_packet_free(&packet);
            ahead_end_ = read;
            break;
        }
        ahead_.push_back(packet);
        bytes += static_cast<std::size_t>(packet->size);
        const auto s = static_cast<std::size_t>(packet->stream_index);
        if (s < slots_.size())
            leading[s].Offer(packet->pts, packet->dts);
    }
    for (std::size_t s = 0; s < slots_.size(); ++s) {
        const StreamSlot& slot = slots_[s];
        if (slot.output_index >= 0 && !slot.cover && slot.media_type == AVMEDIA_TYPE_VIDEO &&
            leading[s].known()) {
            const AVRational tb = input_->streams[s]->time_base;
            start_.Offer(leading[s].earliest(), tb.num, tb.den);
        }
    }
}

int RemuxWriter::NextPacket()
{
    if (!ahead_.empty()) {
        AVPacket* ahead = ahead_.front();
        ahead_.pop_front();
        av_packet_move_ref(packet_, ahead);
        av_packet_free(&ahead);
        return 0;
    }
    if (ahead_end_ < 0)
        return ahead_end_;
    return av_read_frame(input_, packet_);
}

void RemuxWriter::SetShifts()
{
    for (unsigned k = 0; k < output_->nb_streams && k < shifts_.size(); ++k) {
        const AVRational tb = output_->streams[k]->time_base;
        shifts_[k].SetBase(start_.ShiftIn(tb.num, tb.den));
    }
    shifts_set_ = true;
}

Failure RemuxWriter::CopyContainerMetadata()
{
    // Keys are written only where the muxer can write them.
    writes_keys_ = HasQuickTimeKeys(input_->metadata) && output_->priv_data &&
                   av_opt_set(output_->priv_data, "movflags", "+use_metadata_tags", 0) >= 0;
    if (const int ret = FillContainerMetadata(input_->metadata, writes_keys_, &output_->metadata);
        ret < 0)
        return WithCode(Failure::kSetUpOutput, ret);
    return Failure{};
}

// Chapters keep their titles, and their times move with the streams'.
Failure RemuxWriter::CopyChapters()
{
    const auto failed = [](int ret) { return WithCode(Failure::kSetUpOutput, ret); };
    for (unsigned c = 0; c < input_->nb_chapters; ++c) {
        const AVChapter* in = input_->chapters[c];
        const std::int64_t shift = start_.ShiftIn(in->time_base.num, in->time_base.den);
        if (shift > 0 && in->end <= shift)
            continue;  // over before the copy starts
        AVChapter** grown = static_cast<AVChapter**>(
            av_realloc_array(output_->chapters, output_->nb_chapters + 1, sizeof(AVChapter*)));
        if (!grown)
            return failed(AVERROR(ENOMEM));
        output_->chapters = grown;
        auto* out = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
        if (!out)
            return failed(AVERROR(ENOMEM));
        // Owned by the output context from here on.
        grown[output_->nb_chapters++] = out;
        out->id = in->id;
        out->time_base = in->time_base;
        // A chapter from the very start still starts there when the streams
        // move later (a start before zero).
        out->start = in->start <= 0 ? 0 : std::max<std::int64_t>(0, in->start - shift);
        out->end = in->end - shift;
        if (const int ret = av_dict_copy(&out->metadata, in->metadata, 0); ret < 0)
            return failed(ret);
    }
    return Failure{};
}

// Every side data travels with its stream (HDR mastering and light level,
// stereo and spherical information, Dolby Vision configuration ...). The
// display matrix is set separately for video and never given to audio.
Failure RemuxWriter::CopyStreamSideData(int input_index, int output_index)
{
    const AVStream* in = input_->streams[input_index];
    AVStream* out = output_->streams[output_index];
    const bool video = in->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
    for (int k = 0; k < in->nb_side_data; ++k) {
        const AVPacketSideData& sd = in->side_data[k];
        if (sd.type == AV_PKT_DATA_DISPLAYMATRIX && (!video || work_->RotationDeg() != 0))
            continue;
        std::uint8_t* data = av_stream_new_side_data(out, sd.type, sd.size);
        if (!data)
            return WithCode(Failure::kSetUpOutput, AVERROR(ENOMEM));
        std::memcpy(data, sd.data, sd.size);
    }
    return Failure{};
}

void RemuxWriter::PublishProgress()
{
    work_->Progress().Publish(std::max(video_position_s_, audio_position_s_), work_->DurationS());
}

void RemuxWriter::RescaleTimes(AVPacket* packet, StreamSlot& slot, const AVStream* in,
                               const AVStream* out)
{

    const auto rounding = static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX);
    const int sample_rate = in->codecpar->sample_rate;
    int frame_samples = 0;
    if (slot.media_type == AVMEDIA_TYPE_AUDIO && sample_rate > 0 && packet->dts != AV_NOPTS_VALUE &&
        packet->pts == packet->dts) {
        frame_samples = av_get_audio_frame_duration2(in->codecpar, packet->size);
        if (frame_samples <= 0)
            frame_samples = in->codecpar->frame_size;
        // Opus tells its frame's length only in the packet's duration,
        // whole milliseconds in Matroska, as its frames are (but 2.5 ms).
        if (frame_samples <= 0 && in->codecpar->codec_id == AV_CODEC_ID_OPUS &&
            packet->duration > 0)
            frame_samples = static_cast<int>(
                av_rescale_q(packet->duration, in->time_base, AVRational{1, sample_rate}));
    }
    if (frame_samples > 0) {
        // Sound stored with coarse times (Matroska's milliseconds) gets the
        // times of its samples, as FFmpeg's own copy gives it: 1024 samples
        // a frame stay 1024 in the output, not 1014 and 1058 by turns.
        packet->dts = av_rescale_delta(in->time_base, packet->dts, AVRational{1, sample_rate},
                                       frame_samples, &slot.next_sample, out->time_base);
        packet->pts = packet->dts;
        packet->duration = av_rescale_q(frame_samples, AVRational{1, sample_rate}, out->time_base);
    } else {
        packet->pts = av_rescale_q_rnd(packet->pts, in->time_base, out->time_base, rounding);
        packet->dts = av_rescale_q_rnd(packet->dts, in->time_base, out->time_base, rounding);
        packet->duration = av_rescale_q(packet->duration, in->time_base, out->time_base);
    }
    if (slot.media_type == AVMEDIA_TYPE_AUDIO && sample_rate > 0 && packet->duration > 0) {
        // The samples the input trims from the end of the sound (the
        // encoder's padding) end the output's last sample early, and so
        // its edit list.
        const std::int64_t trim = av_rescale_q(EndTrim(packet), AVRational{1, sample_rate},
                                               out->time_base);
        if (trim > 0 && trim < packet->duration)
            packet->duration -= trim;
    }
}

bool RemuxWriter::AdjustPacket(AVPacket* packet, StreamSlot& slot)
{
    const AVStream* in = input_->streams[packet->stream_index];
    const AVStream* out = output_->streams[slot.output_index];
    RescaleTimes(packet, slot, in, out);
    packet->pos = -1;
    return ShiftTimes(packet, slot, out);
}

bool RemuxWriter::ShiftTimes(AVPacket* packet, StreamSlot& slot, const AVStream* out)
{
    if (!shifts_set_) {
        // No stream told its start at set-up: the first packet copied does.
        if (!start_.known())
            start_.Offer(packet->pts, out->time_base.num, out->time_base.den);
        SetShifts();
    }
    TimestampShift& shift = shifts_[static_cast<std::size_t>(slot.output_index)];
    if (slot.media_type == AVMEDIA_TYPE_VIDEO) {
        shift.ShiftVideo(packet->pts, packet->dts);
        output_dts_[static_cast<std::size_t>(slot.output_index)].Fix(packet->pts, packet->dts);
        LeadingTrack& track = track_starts_[static_cast<std::size_t>(slot.output_index)];
        if (packet->pts != AV_NOPTS_VALUE && packet->dts != AV_NOPTS_VALUE) {
            if (track.timescale == 0 && out->time_base.num == 1) {
                track.timescale = out->time_base.den;
                track.first_pts = track.earliest_pts = packet->pts;
                track.first_dts = packet->dts;
            }
            track.earliest_pts = std::min(track.earliest_pts, packet->pts);
        }
        if (slot.drives_progress && packet->pts != AV_NOPTS_VALUE)
            video_position_s_ = Seconds(packet->pts, out->time_base);
    } else if (slot.media_type == AVMEDIA_TYPE_AUDIO) {
        shift.ShiftAudio(packet->pts, packet->dts);
        if (packet->pts != AV_NOPTS_VALUE)
            audio_position_s_ = Seconds(packet->pts, out->time_base);
    } else {
        shift.ShiftAudio(packet->pts, packet->dts);
        if (!KeepCue(packet))
            return false;
    }
    if (slot.media_type != AVMEDIA_TYPE_VIDEO)
        output_dts_[static_cast<std::size_t>(slot.output_index)].Fix(packet->pts, packet->dts);
    return true;
}

Failure RemuxWriter::CopyPackets()
{
    InputCompleteness completeness(input_->nb_streams);
    while (!work_->CancelRequested()) {
        const int read = NextPacket();
        if (read < 0) {
            // The end of the input, or data the demuxer cannot go on with,
            // ends the copy as it ends FFmpeg's own; an input that cannot
            // be read any more leaves the output incomplete.
            if (read != AVERROR_EOF && input_->pb && input_->pb->error < 0)
                return WithCode(Failure::kReadInput, input_->pb->error);
            // An input cut short is never done, however well the rest went.
            return completeness.Shortfall(input_, work_->DurationS());
        }
        completeness.Count(input_, packet_);
        Failure why = CopyPacket();
        av_packet_unref(packet_);
        if (why.failed())
            return why;
    }
    return Failure{};
}

Failure RemuxWriter::CopyPacket()
{
    const int s = packet_->stream_index;
    // Streams that a demuxer adds during the copy (a transport stream
    // may) were not there at set-up and have no output; nor does a
    // stream whose type the demuxer changed since.
    if (s < 0 || static_cast<std::size_t>(s) >= slots_.size() ||
        slots_[static_cast<std::size_t>(s)].output_index < 0 ||
        input_->streams[s]->codecpar->codec_type != slots_[static_cast<std::size_t>(s)].media_type)
        return Failure{};
    StreamSlot& slot = slots_[static_cast<std::size_t>(s)];
    // A cue the decoder cannot read is skipped, as FFmpeg's own
    // conversion skips it; the pictures and sound go on.
    if (slot.timed_text) {
        const int converted = slot.timed_text->Convert(packet_);
        if (converted == AVERROR(ENOMEM))
            return Failure(Failure::kOutOfMemory);
        if (converted <= 0)
            return Failure{};
    }
    PublishProgress();
    if (slot.cover) {
        packet_->pts = packet_->dts = 0;
        packet_->duration = 0;
        packet_->pos = -1;
    } else if (!AdjustPacket(packet_, slot)) {
        return Failure{};
    }
    packet_->stream_index = slot.output_index;
    // A packet the muxer or the disk does not take leaves the output
    // incomplete: the file fails instead of counting as done.
    if (const int written = av_interleaved_write_frame(output_, packet_); written < 0)
        return WithCode(Failure::kWriteOutput, written);
    return Failure{};
}

Failure RemuxWriter::CompleteOutput()
{
    if (const int ret = av_write_trailer(output_); ret < 0)
        return WithCode(Failure::kCompleteOutput, ret);
    // The last bytes go out now; a full disk may show only here.
    output_->pb = nullptr;
    if (const int ret = io_.Finish(); ret < 0)
        return WithCode(Failure::kCompleteOutput, ret);
    // The muxer's edit lists hide a video track's leading pictures.
    std::vector<LeadingTrack> leading;
    for (const LeadingTrack& track : track_starts_) {
        if (track.timescale > 0 && track.earliest_pts < track.first_pts)
            leading.push_back(track);
    }
    if (const int ret = ShowLeadingPictures(work_->OutputFd(), leading); ret < 0)
        return WithCode(Failure::kCompleteOutput, ret);
    return Failure{};
}
