#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "TimestampShift.h"

extern "C" {
#include <libavutil/avutil.h>
}

TEST(TimestampShift, FirstPositivePresentationTimeBecomesTheBase)
{
    TimestampShift shift;
    std::int64_t pts = 1000, dts = 990;
    shift.ShiftVideo(pts, dts);
    EXPECT_EQ(pts, 0);
    EXPECT_EQ(dts, -10);
    pts = 1512, dts = 1500;
    shift.ShiftVideo(pts, dts);
    EXPECT_EQ(pts, 512);
    EXPECT_EQ(dts, 500);

    // A first packet at 0 or before leaves the stream unshifted for good.
    TimestampShift zero;
    pts = -20, dts = -40;
    zero.ShiftAudio(pts, dts);
    pts = 3000, dts = 3000;
    zero.ShiftAudio(pts, dts);
    EXPECT_EQ(pts, 3000);
    EXPECT_EQ(dts, 3000);
}

TEST(TimestampShift, UnsetTimestampsStayUnset)
{
    TimestampShift shift;
    std::int64_t pts = AV_NOPTS_VALUE, dts = AV_NOPTS_VALUE;
    shift.ShiftVideo(pts, dts);  // unset first pts: no base
    EXPECT_EQ(shift.base(), 0);

    TimestampShift based;
    pts = 5000, dts = 5000;
    based.ShiftVideo(pts, dts);
    pts = AV_NOPTS_VALUE, dts = AV_NOPTS_VALUE;
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
    std::int64_t pts = 100, dts = 100;
    shift.ShiftVideo(pts, dts);
    pts = 200, dts = 2000000000000LL;
    shift.ShiftVideo(pts, dts);
    EXPECT_EQ(dts, 100 - 2000000000000LL);
    // Audio has no such test.
    TimestampShift audio;
    pts = 100, dts = 100;
    audio.ShiftAudio(pts, dts);
    pts = 200, dts = 2000000000000LL;
    audio.ShiftAudio(pts, dts);
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
