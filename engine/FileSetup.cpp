// Per-file set-up: input, decoder check, output streams and header.
#include "FileRotation.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "ConversionJob.h"
#include "DisplayRotation.h"
#include "StreamExclusion.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
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
    std::uint8_t* data = av_stream_new_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, sizeof(DisplayMatrix));
    if (!data)
        return false;
    std::memcpy(data, matrix.data(), sizeof(DisplayMatrix));
    return true;
}

// True when both paths name one existing file (also through links).
bool SameFile(const std::string& a, const std::string& b)
{
    struct stat sa {}, sb {};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

FileRotation::FileRotation(ConversionJob& job, int index) : job_(job), index_(index) {}

FileRotation::~FileRotation()
{
    av_packet_free(&packet_);
    for (StreamSlot& slot : slots_)
        avcodec_free_context(&slot.decoder);
    avformat_close_input(&input_);
    if (output_) {
        if (!(output_->oformat->flags & AVFMT_NOFILE))
            avio_closep(&output_->pb);
        avformat_free_context(output_);
    }
    if (remove_output_ && output_created_) {
        const std::string& path = job_.output_path[static_cast<std::size_t>(index_)];
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0 && info.st_dev == output_device_ && info.st_ino == output_inode_)
            std::remove(path.c_str());
    }
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

    if (avformat_open_input(&input_, inputPath.c_str(), nullptr, nullptr) < 0) {
        Fail("cannot open the input");
        return Setup::kEndBatch;
    }
    if (avformat_find_stream_info(input_, nullptr) < 0) {
        Fail("cannot read the input's streams");
        return Setup::kEndBatch;
    }
    slots_.assign(input_->nb_streams, StreamSlot {});
    if (!OpenDecoders()) {
        Fail("a stream's decoder cannot be opened");
        return Setup::kEndBatch;
    }
    av_dump_format(input_, 0, inputPath.c_str(), 0);

    if (avformat_alloc_output_context2(&output_, nullptr, nullptr, outputPath.c_str()) < 0 || !output_) {
        Fail("cannot create an output of this kind");
        return Setup::kNextFile;
    }
    if (!CreateOutputStreams()) {
        Fail("cannot set up the output streams");
        return Setup::kNextFile;
    }
    av_dump_format(output_, 0, outputPath.c_str(), 1);

    if (!(output_->oformat->flags & AVFMT_NOFILE)) {
        // Opening for writing truncates: never do it to the input.
        if (SameFile(inputPath, outputPath)) {
            Fail("the output would replace the input");
            return Setup::kNextFile;
        }
        if (avio_open(&output_->pb, outputPath.c_str(), AVIO_FLAG_WRITE) < 0) {
            Fail("cannot create the output file");
            return Setup::kEndBatch;
        }
        struct stat info {};
        if (::lstat(outputPath.c_str(), &info) == 0) {
            output_created_ = true;
            output_device_ = info.st_dev;
            output_inode_ = info.st_ino;
        }
    }
    if (avformat_write_header(output_, nullptr) < 0) {
        Fail("cannot write the output's header");
        return Setup::kNextFileAfterWait;
    }
    output_dts_.assign(output_->nb_streams, MonotonicDts {});
    packet_ = av_packet_alloc();
    if (!packet_) {
        Fail("out of memory");
        return Setup::kNextFile;
    }
    return Setup::kReady;
}

// The copy never decodes; the decoders are opened only so that a usable
// stream whose decoder cannot be set up fails the file up front.
bool FileRotation::OpenDecoders()
{
    for (unsigned s = 0; s < input_->nb_streams; ++s) {
        const AVCodecParameters* par = input_->streams[s]->codecpar;
        if (Excluded(input_->streams[s], input_->nb_streams) || par->codec_type == AVMEDIA_TYPE_DATA)
            continue;
        const AVCodec* codec = avcodec_find_decoder(par->codec_id);
        if (!codec)
            continue;
        AVCodecContext*& decoder = slots_[s].decoder;
        decoder = avcodec_alloc_context3(codec);
        if (!decoder || avcodec_parameters_to_context(decoder, par) < 0)
            return false;
        if (IsVideoOrAudio(par) && avcodec_open2(decoder, codec, nullptr) < 0)
            return false;
    }
    return true;
}

bool FileRotation::CreateOutputStreams()
{
    av_dict_copy(&output_->metadata, input_->metadata, 0);
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
            return false;
        const bool video = in->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
        if (video) {
            av_dict_copy(&out->metadata, in->metadata, 0);
        } else if (const AVDictionaryEntry* language = av_dict_get(in->metadata, "language", nullptr, 0)) {
            // Of an audio stream's tags only its language is kept: players
            // choose and name the sound track by it.
            if (av_dict_set(&out->metadata, "language", language->value, 0) < 0)
                return false;
        }
        // Default and forced flags keep the player's choice of track; a
        // picture stream that is copied is written as a video track, not
        // as the container's cover.
        out->disposition = in->disposition & ~AV_DISPOSITION_ATTACHED_PIC;

        const AVDictionaryEntry* tag = av_dict_get(in->metadata, "rotate", nullptr, 0);
        const long long tagValue = tag ? RotateTagValue(tag->value) : 0;
        if (job_.rotation_deg != 0) {
            const std::string text = std::to_string(ReduceDegrees(tagValue + job_.rotation_deg));
            if (av_dict_set(&out->metadata, "rotate", text.c_str(), 0) < 0)
                return false;
        }

        if (avcodec_parameters_copy(out->codecpar, in->codecpar) < 0)
            return false;
        out->codecpar->codec_tag = 0;
        out->time_base = in->time_base;
        out->avg_frame_rate = in->avg_frame_rate;
        if (!CopyStreamSideData(static_cast<int>(s), n))
            return false;

        if (video) {
            // Players turn the picture by the display matrix alone; the
            // "rotate" tag is only informative in these containers.
            DisplayMatrix matrix {};
            const bool hasMatrix = InputMatrix(in, matrix);
            if (hasMatrix && job_.rotation_deg != 0) {
                if (!SetOutputMatrix(out, TurnMatrix(matrix, job_.rotation_deg)))
                    return false;
            } else if (!hasMatrix) {
                const int total = ReduceDegrees(tagValue + job_.rotation_deg);
                if (total != 0 && !SetOutputMatrix(out, RotationMatrix(total)))
                    return false;
            }
        }
        slots_[s].media_type = in->codecpar->codec_type;
        ++n;
    }
    AssignShifts();
    return true;
}

// Video streams share one shift and each moves the progress, except when
// the input's first two streams are both copied video: then each of them
// has its own shift, only the first moves the progress, and any further
// video stream is copied unshifted. Audio streams share the audio shift.
void FileRotation::AssignShifts()
{
    auto copiedVideo = [this](std::size_t s) {
        return s < slots_.size() && slots_[s].output_index >= 0 && slots_[s].media_type == AVMEDIA_TYPE_VIDEO;
    };
    const bool twoStreams = copiedVideo(0) && copiedVideo(1);
    for (std::size_t s = 0; s < slots_.size(); ++s) {
        StreamSlot& slot = slots_[s];
        if (slot.output_index < 0)
            continue;
        if (slot.media_type == AVMEDIA_TYPE_AUDIO) {
            slot.shift = &audio_shift_;
            slot.drives_progress = true;
        } else if (!twoStreams || s == 0) {
            slot.shift = &video_shift_a_;
            slot.drives_progress = true;
        } else if (s == 1) {
            slot.shift = &video_shift_b_;
        }
    }
}

// Every side data travels with its stream (HDR mastering and light level,
// stereo and spherical information, Dolby Vision configuration ...). The
// display matrix is set separately for video and never given to audio.
bool FileRotation::CopyStreamSideData(int input_index, int output_index)
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
            return false;
        std::memcpy(data, sd.data, sd.size);
    }
    return true;
}
