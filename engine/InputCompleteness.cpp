#include "engine/InputCompleteness.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

// The QuickTime/MP4 demuxer's index is built from the sample tables.
bool IndexListsEverySample(const AVFormatContext* input)
{
    return input->iformat && std::strcmp(input->iformat->name, "mov,mp4,m4a,3gp,3g2,mj2") == 0;
}

}  // namespace

InputCompleteness::InputCompleteness(unsigned stream_count)
    : whole_packets_(stream_count, 0), seen_(stream_count, false)
{}

void InputCompleteness::Count(const AVFormatContext* input, const AVPacket* packet)
{
    const int s = packet->stream_index;
    if (s < 0 || static_cast<unsigned>(s) >= input->nb_streams)
        return;
    const auto k = static_cast<std::size_t>(s);
    if (k >= whole_packets_.size()) {
        // A stream the demuxer added during the copy.
        whole_packets_.resize(k + 1, 0);
        seen_.resize(k + 1, false);
    }
    seen_[k] = true;
    if (!(packet->flags & AV_PKT_FLAG_CORRUPT))
        ++whole_packets_[k];

    std::int64_t t = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (t == AV_NOPTS_VALUE)
        return;
    if (packet->duration > 0 && t < std::numeric_limits<std::int64_t>::max() - packet->duration)
        t += packet->duration;
    const std::int64_t end =
        av_rescale_q(t, input->streams[s]->time_base, AVRational{1, AV_TIME_BASE});
    if (!any_time_ || end > end_us_)
        end_us_ = end;
    any_time_ = true;
}

Failure InputCompleteness::Shortfall(const AVFormatContext* input, double probed_duration_s) const
{
    // A duration FFmpeg measured from the timestamps runs from the first
    // one; one the container declares (Matroska, QuickTime) may run from 0
    // of the file's timeline instead. Against the latter the end read is
    // taken on whichever reading is the longer.
    const std::int64_t start = input->start_time != AV_NOPTS_VALUE ? input->start_time : 0;
    double read_s = 0;
    if (any_time_) {
        read_s = static_cast<double>(end_us_ - start) / AV_TIME_BASE;
        if (input->duration_estimation_method != AVFMT_DURATION_FROM_PTS)
            read_s = std::max(read_s, static_cast<double>(end_us_) / AV_TIME_BASE);
    }
    if (read_s < 0)
        read_s = 0;

    double expected_s = 0;
    if (input->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE) {
        if (input->duration != AV_NOPTS_VALUE && input->duration > 0)
            expected_s = static_cast<double>(input->duration) / AV_TIME_BASE;
        if (std::isfinite(probed_duration_s) && probed_duration_s > expected_s)
            expected_s = probed_duration_s;
    }

    Failure failure(Failure::kCutShort);
    if (IndexListsEverySample(input)) {
        for (unsigned s = 0; s < input->nb_streams && failure.units_listed < 0; ++s) {
            const AVStream* stream = input->streams[s];
            if (s >= seen_.size() || !seen_[s] || stream->discard >= AVDISCARD_ALL)
                continue;
            const int listed = avformat_index_get_entries_count(stream);
            if (whole_packets_[s] < listed) {
                failure.units_read = whole_packets_[s];
                failure.units_listed = listed;
                failure.unit_kind = stream->codecpar->codec_type;
            }
        }
    }
    const bool short_in_time = expected_s > 0 && read_s < expected_s - kTolerance_s;
    if (failure.units_listed < 0 && !short_in_time)
        return Failure{};
    failure.ends_at_s = read_s;
    failure.duration_s = expected_s;
    return failure;
}

std::string ClockText(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    const auto whole = static_cast<long long>(std::floor(seconds));
    const long long h = whole / 3600;
    const long long m = whole / 60 % 60;
    const long long s = whole % 60;
    char text[48];
    if (h > 0)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", h, m, s);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", m, s);
    return text;
}
