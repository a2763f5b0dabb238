#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "engine/remux/EarliestStart.h"
#include "engine/remux/TimestampShift.h"

extern "C" {
#include <libavutil/avutil.h>
}

TEST(EarliestStart, TheEarliestStreamGivesEveryStreamTheSameShiftInItsOwnUnits)
{
    // A camcorder's transport stream: picture from 1.4 s, sound from 1.9 s.
    EarliestStart start;
    EXPECT_FALSE(start.known());
    EXPECT_EQ(start.ShiftIn(1, 90000), 0);
    start.Offer(83790, 1, 44100);  // 1.9 s
    start.Offer(AV_NOPTS_VALUE, 1, 1000);
    start.Offer(126000, 1, 90000);  // 1.4 s
    EXPECT_TRUE(start.known());
    EXPECT_EQ(start.ShiftIn(1, 90000), 126000);
    EXPECT_EQ(start.ShiftIn(1, 44100), 61740);
    EXPECT_EQ(start.ShiftIn(1, 1000), 1400);

    // Sound whose priming starts before zero moves every stream later by
    // as much; a start at zero moves nothing.
    EarliestStart early;
    early.Offer(500, 1, 1000);
    early.Offer(-1024, 1, 48000);
    EXPECT_TRUE(early.known());
    EXPECT_EQ(early.ShiftIn(1, 1000), -21);
    EXPECT_EQ(early.ShiftIn(1, 48000), -1024);
    EarliestStart atZero;
    atZero.Offer(0, 1, 44100);
    atZero.Offer(3600, 1, 90000);
    EXPECT_TRUE(atZero.known());
    EXPECT_EQ(atZero.ShiftIn(1, 90000), 0);
}

TEST(TimestampShift, TheBaseIsSubtractedFromBothTimes)
{
    TimestampShift shift;
    shift.SetBase(1000);
    std::int64_t pts = 1000, dts = 990;
    shift.ShiftVideo(pts, dts);
    EXPECT_EQ(pts, 0);
    EXPECT_EQ(dts, -10);
    pts = 1512, dts = 1500;
    shift.ShiftAudio(pts, dts);
    EXPECT_EQ(pts, 512);
    EXPECT_EQ(dts, 500);
}

TEST(TimestampShift, UnsetTimestampsStayUnset)
{
    TimestampShift based;
    based.SetBase(5000);
    std::int64_t pts = AV_NOPTS_VALUE, dts = AV_NOPTS_VALUE;
    based.ShiftVideo(pts, dts);
    EXPECT_EQ(pts, AV_NOPTS_VALUE);
    EXPECT_EQ(dts, AV_NOPTS_VALUE);
    pts = AV_NOPTS_VALUE, dts = 6000;
    based.ShiftAudio(pts, dts);
    EXPECT_EQ(pts, AV_NOPTS_VALUE);
    EXPECT_EQ(dts, 1000);
}

TEST(TimestampShift, ImplausibleVideoDecodingTimeIsMirroredAroundTheBase)
{
    TimestampShift shift;
    shift.SetBase(100);
    std::int64_t pts = 200, dts = 2000000000000LL;
    shift.ShiftVideo(pts, dts);
    EXPECT_EQ(dts, 100 - 2000000000000LL);
    // Audio has no such test.
    pts = 200, dts = 2000000000000LL;
    shift.ShiftAudio(pts, dts);
    EXPECT_EQ(dts, 2000000000000LL - 100);
}

TEST(MonotonicDts, NonIncreasingDecodingTimesAreRaisedJustPastThePrevious)
{
    MonotonicDts fix;
    std::int64_t pts = 0, dts = 0;
    fix.Fix(pts, dts);
    pts = 40, dts = 0;  // repeated dts
    fix.Fix(pts, dts);
    EXPECT_EQ(dts, 1);
    EXPECT_EQ(pts, 40);
    pts = 20, dts = -5;  // going back
    fix.Fix(pts, dts);
    EXPECT_EQ(dts, 2);
    EXPECT_EQ(pts, 20);
    pts = 100, dts = 80;  // increasing: untouched
    fix.Fix(pts, dts);
    EXPECT_EQ(dts, 80);
    EXPECT_EQ(pts, 100);
}

TEST(MonotonicDts, PresentationBeforeDecodingIsRepairedAndUnsetIsLeftAlone)
{
    MonotonicDts fix;
    std::int64_t pts = 100, dts = 100;
    fix.Fix(pts, dts);
    pts = 50, dts = 200;  // median of 50, 200 and 101
    fix.Fix(pts, dts);
    EXPECT_EQ(pts, 101);
    EXPECT_EQ(dts, 101);
    pts = AV_NOPTS_VALUE, dts = AV_NOPTS_VALUE;
    fix.Fix(pts, dts);
    EXPECT_EQ(pts, AV_NOPTS_VALUE);
    EXPECT_EQ(dts, AV_NOPTS_VALUE);
    pts = AV_NOPTS_VALUE, dts = 90;
    fix.Fix(pts, dts);
    EXPECT_EQ(pts, AV_NOPTS_VALUE);
    EXPECT_EQ(dts, 102);
}
