#include "engine/remux/TimestampShift.h"

#include <algorithm>
#include <iterator>

extern "C" {
#include <libavutil/avutil.h>
}

namespace {

// Two's-complement subtraction that wraps instead of overflowing.
std::int64_t WrappingSub(std::int64_t a, std::int64_t b)
{
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}

}  // namespace

void TimestampShift::ShiftVideo(std::int64_t& pts, std::int64_t& dts)
{
    if (pts != AV_NOPTS_VALUE)
        pts = WrappingSub(pts, base_);
    if (dts != AV_NOPTS_VALUE) {
        if (dts < kLowestPlausibleDts || dts > kHighestPlausibleDts)
            dts = WrappingSub(base_, dts);
        else
            dts = WrappingSub(dts, base_);
    }
}

void TimestampShift::ShiftAudio(std::int64_t& pts, std::int64_t& dts)
{
    if (pts != AV_NOPTS_VALUE)
        pts = WrappingSub(pts, base_);
    if (dts != AV_NOPTS_VALUE)
        dts = WrappingSub(dts, base_);
}

void MonotonicDts::Fix(std::int64_t& pts, std::int64_t& dts)
{
    if (dts == AV_NOPTS_VALUE)
        return;
    // A presentation time before the decoding time: take the median of the
    // two and the next free decoding time, as the command line does.
    if (pts != AV_NOPTS_VALUE && pts < dts) {
        const std::int64_t next = seen_ ? last_dts_ + 1 : dts;
        std::int64_t three[] = {pts, dts, next};
        std::sort(std::begin(three), std::end(three));
        pts = dts = three[1];
    }
    if (seen_ && dts <= last_dts_) {
        const std::int64_t raised = last_dts_ + 1;
        if (pts != AV_NOPTS_VALUE && pts >= dts)
            pts = std::max(pts, raised);
        dts = raised;
    }
    seen_ = true;
    last_dts_ = dts;
}
