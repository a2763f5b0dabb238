#include "engine/remux/EarliestStart.h"

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/mathematics.h>
}

void EarliestStart::Offer(std::int64_t time, int num, int den)
{
    if (time == AV_NOPTS_VALUE || num <= 0 || den <= 0)
        return;
    if (known_ && av_compare_ts(time, AVRational{num, den}, time_, AVRational{num_, den_}) >= 0)
        return;
    known_ = true;
    time_ = time;
    num_ = num;
    den_ = den;
}

std::int64_t EarliestStart::ShiftIn(int num, int den) const
{
    if (!known_ || time_ == 0 || num <= 0 || den <= 0)
        return 0;
    return av_rescale_q_rnd(time_, AVRational{num_, den_}, AVRational{num, den},
                            static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
}
