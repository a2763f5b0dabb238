#include "engine/remux/LeadingPictures.h"

extern "C" {
#include <libavutil/avutil.h>
}

void LeadingPictures::Offer(std::int64_t pts, std::int64_t dts)
{
    if (pts != AV_NOPTS_VALUE && (!known_ || pts < earliest_)) {
        known_ = true;
        earliest_ = pts;
    }
    if (known_ && dts != AV_NOPTS_VALUE && dts >= earliest_)
        settled_ = true;
}
