// Per-file set-up: input, decoder check, output streams and header.
#include "engine/FileRotation.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/ContainerMetadata.h"
#include "engine/ConversionJob.h"
#include "engine/DisplayRotation.h"
#include "engine/FailureReason.h"
#include "engine/StreamCarriage.h"
#include "engine/StreamExclusion.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
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

}  // namespace

FileRotation::FileRotation(ConversionJob& job, int index) : job_(job), index_(index)
{
    RememberInputTimes();
}

FileRotation::~FileRotation()
{
    av_packet_free(&packet_);
    for (StreamSlot& slot : slots_)
        avcodec_free_context(&slot.decoder);
    avformat_close_input(&input_);
    if (output_) {
        output_->pb = nullptr;  // output_file_'s
        avformat_free_context(output_);
    }
    output_file_.Close();
    if (remove_output_)
        output_file_.RemoveIfOurs();
}

void FileRotation::Fail(const std::string& reason)
{
    job_.failure_reason[static_cast<std::size_t>(index_)] = reason;
    job_.file_status[static_cast<std::size_t>(index_)].store(kFileFailed);
    remove_output_ = true;
}

FileRotation::Setup FileRotation::Prepare()
{
    const std::string& inputPath = job_.input_path[static_cast<std::size_t>(index_)];
    const std::string& outputPath = job_.output_path[static_cast<std::size_t>(index_)];

    int ret = avformat_open_input(&input_, inputPath.c_str(), nullptr, nullptr);
    if (ret < 0) {
        Fail(InputFailure("cannot open the input", ret));
        return Setup::kEndBatch;
    }
    if ((ret = avformat_find_stream_info(input_, nullptr)) < 0) {
        Fail(InputFailure("cannot read the input's streams", ret));
        return Setup::kEndBatch;
    }
    slots_.assign(input_->nb_streams, StreamSlot{});
    if (const std::string why = OpenDecoders(); !why.empty()) {
        Fail(why);
        return Setup::kEndBatch;
    }
    av_dump_format(input_, 0, inputPath.c_str(), 0);

    ret = avformat_alloc_output_context2(&output_, nullptr, nullptr, outputPath.c_str());
    if (ret < 0 || !output_) {
        Fail(ret == AVERROR(EINVAL) ? "no container is known for the output's extension"
                                    : StepFailure("cannot create the output", ret));
        return Setup::kNextFile;
    }
    if (const std::string why = CreateOutputStreams(); !why.empty()) {
        Fail(why);
        return Setup::kNextFile;
    }
    // Decided before the output file exists.
    if (const std::string why = RefusedStream(); !why.empty()) {
        Fail(why);
        return Setup::kNextFile;
    }
    av_dump_format(output_, 0, outputPath.c_str(), 1);

    if (!(output_->oformat->flags & AVFMT_NOFILE)) {
        const Setup created = CreateOutputFile();
        if (created != Setup::kReady)
            return created;
        output_->pb = output_file_.io();
        output_->flags |= AVFMT_FLAG_CUSTOM_IO;
    }
    if ((ret = avformat_write_header(output_, nullptr)) < 0) {
        Fail(OutputFailure("cannot write the output's header", ret));
        return Setup::kNextFileAfterWait;
    }
    if (writes_keys_)
        DropHeaderOnlyMetadata(&output_->metadata);
    output_dts_.assign(output_->nb_streams, MonotonicDts{});
    packet_ = av_packet_alloc();
    if (!packet_) {
        Fail("out of memory");
        return Setup::kNextFile;
    }
    return Setup::kReady;
}

// The copy never decodes; the decoders are opened only so that a usable
// stream whose decoder cannot be set up fails the file up front.
std::string FileRotation::OpenDecoders()
{
    for (unsigned s = 0; s < input_->nb_streams; ++s) {
        const AVCodecParameters* par = input_->streams[s]->codecpar;
        if (Excluded(input_->streams[s], input_->nb_streams) ||
            par->codec_type == AVMEDIA_TYPE_DATA)
            continue;
        const AVCodec* codec = avcodec_find_decoder(par->codec_id);
        if (!codec)
            continue;
        const std::string what = "the " + CodecName(par->codec_id) + " decoder";
        AVCodecContext*& decoder = slots_[s].decoder;
        decoder = avcodec_alloc_context3(codec);
        if (!decoder)
            return StepFailure("cannot set up " + what, AVERROR(ENOMEM));
        if (const int ret = avcodec_parameters_to_context(decoder, par); ret < 0)
            return StepFailure("cannot set up " + what, ret);
        if (IsVideoOrAudio(par)) {
            if (const int ret = avcodec_open2(decoder, codec, nullptr); ret < 0)
                return StepFailure("cannot open " + what, ret);
        }
    }
    return "";
}

std::string FileRotation::CreateOutputStreams()
{
    const auto failed = [](int ret) {
        return StepFailure("cannot set up the output streams", ret);
    };
    int n = 0;
    for (unsigned s = 0; s < input_->nb_streams; ++s) {
        AVStream* in = input_->streams[s];
        if (!IsVideoOrAudio(in->codecpar) || Excluded(in, input_->nb_streams)) {
            slots_[s].output_index = -1;
            continue;
        }
        slots_[s].output_index = n;
        AVStream* out = avformat_new_stream(output_, nullptr);
        if (!out)
            return failed(AVERROR(ENOMEM));
        const bool video = in->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
        if (video) {
            if (const int ret = av_dict_copy(&out->metadata, in->metadata, 0); ret < 0)
                return failed(ret);
        } else {
            // Of an audio stream's tags only its language and its title
            // ("Deutsch", "Director's comments") are kept: players choose and
            // name the sound track by them.
            for (const char* key : {"language", "title"}) {
                const AVDictionaryEntry* tag = av_dict_get(in->metadata, key, nullptr, 0);
                if (!tag)
                    continue;
                if (const int ret = av_dict_set(&out->metadata, key, tag->value, 0); ret < 0)
                    return failed(ret);
            }
        }
        // Default and forced flags keep the player's choice of track; a
        // picture stream that is copied is written as a video track, not
        // as the container's cover.
        out->disposition = in->disposition & ~AV_DISPOSITION_ATTACHED_PIC;

        const AVDictionaryEntry* tag = av_dict_get(in->metadata, "rotate", nullptr, 0);
        const long long tagValue = tag ? RotateTagValue(tag->value) : 0;
        if (job_.rotation_deg != 0) {
            const std::string text = std::to_string(ReduceDegrees(tagValue + job_.rotation_deg));
            if (const int ret = av_dict_set(&out->metadata, "rotate", text.c_str(), 0); ret < 0)
                return failed(ret);
        }

        if (const int ret = avcodec_parameters_copy(out->codecpar, in->codecpar); ret < 0)
            return failed(ret);
        out->codecpar->codec_tag = OutputCodecTag(output_->oformat, in->codecpar);
        out->time_base = in->time_base;
        out->avg_frame_rate = in->avg_frame_rate;
        if (const int ret = CopyStreamSideData(static_cast<int>(s), n); ret < 0)
            return failed(ret);

        if (video) {
            // Players turn the picture by the display matrix alone; the
            // "rotate" tag is only informative in these containers.
            DisplayMatrix matrix{};
            const bool hasMatrix = InputMatrix(in, matrix);
            bool set = true;
            if (hasMatrix && job_.rotation_deg != 0) {
                set = SetOutputMatrix(out, TurnMatrix(matrix, job_.rotation_deg));
            } else if (!hasMatrix) {
                const int total = ReduceDegrees(tagValue + job_.rotation_deg);
                set = total == 0 || SetOutputMatrix(out, RotationMatrix(total));
            }
            if (!set)
                return failed(AVERROR(ENOMEM));
        }
        slots_[s].media_type = in->codecpar->codec_type;
        start_.Offer(in->start_time, in->time_base.num, in->time_base.den);
        ++n;
    }
    shifts_.assign(static_cast<std::size_t>(n), TimestampShift{});
    AssignProgress();
    if (const int ret = CopyContainerMetadata(); ret < 0)
        return failed(ret);
    if (const int ret = CopyChapters(); ret < 0)
        return failed(ret);
    return "";
}

std::string FileRotation::RefusedStream() const
{
    for (unsigned k = 0; k < output_->nb_streams; ++k) {
        if (std::string why = CarriageRefusal(output_->oformat, output_->streams[k]); !why.empty())
            return why;
    }
    return "";
}

// Every audio stream and every video stream moves the progress, except
// that when the input's first two streams are both copied video, only the
// first of those does and no further video stream.
void FileRotation::AssignProgress()
{
    auto copiedVideo = [this](std::size_t s) {
        return s < slots_.size() && slots_[s].output_index >= 0 &&
               slots_[s].media_type == AVMEDIA_TYPE_VIDEO;
    };
    const bool twoStreams = copiedVideo(0) && copiedVideo(1);
    for (std::size_t s = 0; s < slots_.size(); ++s) {
        StreamSlot& slot = slots_[s];
        if (slot.output_index >= 0)
            slot.drives_progress = slot.media_type == AVMEDIA_TYPE_AUDIO || !twoStreams || s == 0;
    }
}

void FileRotation::SetShifts()
{
    for (unsigned k = 0; k < output_->nb_streams && k < shifts_.size(); ++k) {
        const AVRational tb = output_->streams[k]->time_base;
        shifts_[k].SetBase(start_.ShiftIn(tb.num, tb.den));
    }
    shifts_set_ = true;
}

int FileRotation::CopyContainerMetadata()
{
    // Keys are written only where the muxer can write them.
    writes_keys_ = HasQuickTimeKeys(input_->metadata) && output_->priv_data &&
                   av_opt_set(output_->priv_data, "movflags", "+use_metadata_tags", 0) >= 0;
    return FillContainerMetadata(input_->metadata, writes_keys_, &output_->metadata);
}

// Chapters keep their titles, and their times move with the streams'.
int FileRotation::CopyChapters()
{
    for (unsigned c = 0; c < input_->nb_chapters; ++c) {
        const AVChapter* in = input_->chapters[c];
        const std::int64_t shift = start_.ShiftIn(in->time_base.num, in->time_base.den);
        if (shift > 0 && in->end <= shift)
            continue;  // over before the copy starts
        AVChapter** grown = static_cast<AVChapter**>(
            av_realloc_array(output_->chapters, output_->nb_chapters + 1, sizeof(AVChapter*)));
        if (!grown)
            return AVERROR(ENOMEM);
        output_->chapters = grown;
        auto* out = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
        if (!out)
            return AVERROR(ENOMEM);
        // Owned by the output context from here on.
        grown[output_->nb_chapters++] = out;
        out->id = in->id;
        out->time_base = in->time_base;
        out->start = std::max<std::int64_t>(0, in->start - shift);
        out->end = in->end - shift;
        if (const int ret = av_dict_copy(&out->metadata, in->metadata, 0); ret < 0)
            return ret;
    }
    return 0;
}

// Every side data travels with its stream (HDR mastering and light level,
// stereo and spherical information, Dolby Vision configuration ...). The
// display matrix is set separately for video and never given to audio.
int FileRotation::CopyStreamSideData(int input_index, int output_index)
{
    const AVStream* in = input_->streams[input_index];
    AVStream* out = output_->streams[output_index];
    const bool video = in->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
    for (int k = 0; k < in->nb_side_data; ++k) {
        const AVPacketSideData& sd = in->side_data[k];
        if (sd.type == AV_PKT_DATA_DISPLAYMATRIX && (!video || job_.rotation_deg != 0))
            continue;
        std::uint8_t* data = av_stream_new_side_data(out, sd.type, sd.size);
        if (!data)
            return AVERROR(ENOMEM);
        std::memcpy(data, sd.data, sd.size);
    }
    return 0;
}
