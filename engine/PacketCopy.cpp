// Packet copy and completion of one file.
#include "engine/FileRotation.h"

#include <climits>
#include <cmath>
#include <string>

#include "engine/ConversionJob.h"
#include "engine/FailureReason.h"
#include "engine/InputCompleteness.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

// p * 100 / duration truncated toward zero, at most 100. A quotient that
// is not finite (a duration of 0) or below the int range gives INT_MIN,
// which the window ignores; converting it directly would be undefined.
int ProgressPercent(double position_s, double duration_s)
{
    const double percent = position_s * 100.0 / duration_s;
    if (!std::isfinite(percent) || percent <= static_cast<double>(INT_MIN))
        return INT_MIN;
    if (percent > 100.0)
        return 100;
    return static_cast<int>(percent);
}

double Seconds(std::int64_t ts, const ConversionJob::TimeBase& tb)
{
    return static_cast<double>(ts) * tb.num / tb.den;
}

}  // namespace

void FileRotation::PublishProgress()
{
    const double p = job_.video_position_s > job_.audio_position_s ? job_.video_position_s
                                                                   : job_.audio_position_s;
    job_.progress_percent.store(
        ProgressPercent(p, job_.duration_s[static_cast<std::size_t>(index_)]));
}

void FileRotation::AdjustPacket(AVPacket* packet, const StreamSlot& slot)
{
    const AVStream* in = input_->streams[packet->stream_index];
    const AVStream* out = output_->streams[slot.output_index];

    const auto rounding = static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX);
    packet->pts = av_rescale_q_rnd(packet->pts, in->time_base, out->time_base, rounding);
    packet->dts = av_rescale_q_rnd(packet->dts, in->time_base, out->time_base, rounding);
    packet->duration = av_rescale_q(packet->duration, in->time_base, out->time_base);
    packet->pos = -1;

    if (!shifts_set_) {
        // No stream told its start at set-up: the first packet copied does.
        if (!start_.known())
            start_.Offer(packet->pts, out->time_base.num, out->time_base.den);
        SetShifts();
    }
    TimestampShift& shift = shifts_[static_cast<std::size_t>(slot.output_index)];
    if (slot.media_type == AVMEDIA_TYPE_VIDEO) {
        job_.video_time_base = {out->time_base.num, out->time_base.den};
        shift.ShiftVideo(packet->pts, packet->dts);
        if (slot.drives_progress && packet->pts != AV_NOPTS_VALUE)
            job_.video_position_s = Seconds(packet->pts, job_.video_time_base);
    } else {
        job_.audio_time_base = {out->time_base.num, out->time_base.den};
        shift.ShiftAudio(packet->pts, packet->dts);
        if (packet->pts != AV_NOPTS_VALUE)
            job_.audio_position_s = Seconds(packet->pts, job_.audio_time_base);
    }
    output_dts_[static_cast<std::size_t>(slot.output_index)].Fix(packet->pts, packet->dts);
}

void FileRotation::CopyAndComplete()
{
    bool failed = false;
    std::string failure;
    InputCompleteness completeness(input_->nb_streams);
    bool input_ended = false;
    while (!job_.cancel_requested.load()) {
        const int read = av_read_frame(input_, packet_);
        if (read < 0) {
            input_ended = true;
            // The end of the input, or data the demuxer cannot go on with,
            // ends the copy as it ends FFmpeg's own; an input that cannot
            // be read any more leaves the output incomplete.
            failed = read != AVERROR_EOF && input_->pb && input_->pb->error < 0;
            if (failed)
                failure = InputFailure("cannot read the input", input_->pb->error);
            break;
        }
        completeness.Count(input_, packet_);
        const int s = packet_->stream_index;
        // Streams that a demuxer adds during the copy (a transport stream
        // may) were not there at set-up and have no output; nor does a
        // stream whose type the demuxer changed since.
        if (s < 0 || static_cast<std::size_t>(s) >= slots_.size() ||
            slots_[static_cast<std::size_t>(s)].output_index < 0 ||
            input_->streams[s]->codecpar->codec_type !=
                slots_[static_cast<std::size_t>(s)].media_type) {
            av_packet_unref(packet_);
            continue;
        }
        const StreamSlot& slot = slots_[static_cast<std::size_t>(s)];
        PublishProgress();
        AdjustPacket(packet_, slot);
        packet_->stream_index = slot.output_index;
        // A packet the muxer or the disk does not take leaves the output
        // incomplete: the file fails instead of counting as done.
        const int written = av_interleaved_write_frame(output_, packet_);
        av_packet_unref(packet_);
        if (written < 0) {
            failed = true;
            failure = OutputFailure("cannot write the output", written);
            break;
        }
    }

    if (!failed && input_ended) {
        // An input cut short is never done, however well the rest went.
        failure = completeness.Shortfall(input_, job_.duration_s[static_cast<std::size_t>(index_)]);
        failed = !failure.empty();
    }
    if (!failed) {
        if (const int ret = av_write_trailer(output_); ret < 0) {
            failed = true;
            failure = OutputFailure("cannot complete the output", ret);
        }
    }
    if (!failed && output_file_.created()) {
        // Closing flushes the last bytes; a full disk may show only here.
        output_->pb = nullptr;
        if (const int ret = output_file_.Close(input_times_known_ ? input_times_ : nullptr);
            ret < 0) {
            failed = true;
            failure = OutputFailure("cannot complete the output", ret);
        }
    }

    if (failed)
        Fail(failure);
    else if (!job_.cancel_requested.load())
        job_.file_status[static_cast<std::size_t>(index_)].store(kFileDone);
}
