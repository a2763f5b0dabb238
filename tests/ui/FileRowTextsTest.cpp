#include "ui/FileRowTexts.h"
#include "ui/ProgressTexts.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>

namespace {

ProbeFigures Figures(std::int64_t duration_us, int width, int height, int bit_rate, int fps_num,
                     int fps_den, int profile = 0)
{
    ProbeFigures f;
    f.duration_us = duration_us;
    f.width = width;
    f.height = height;
    f.bit_rate = bit_rate;
    f.fps_num = fps_num;
    f.fps_den = fps_den;
    f.video_profile = profile;
    return f;
}

}  // namespace

TEST(FileRowTexts, FullHdFileGivesTheListedColumns)
{
    const FileRowTexts t =
        MakeFileRowTexts("/v/a.mp4", Figures(62'500'000, 1920, 1080, 2'500'000, 25, 1, 100));
    EXPECT_EQ(t.extension, "mp4");
    EXPECT_EQ(t.duration, "00:01:02.500");
    EXPECT_EQ(t.size, "1920*1080");
    EXPECT_EQ(t.bit_rate, "2500kbps");
    EXPECT_EQ(t.frame_rate, "25.00fps");
    EXPECT_EQ(t.profile, "100");
}

TEST(FileRowTexts, FrameRatesAreRoundedToTwoPlacesInFiveCharacters)
{
    EXPECT_EQ(FrameRateText(30000, 1001), "29.97fps");
    EXPECT_EQ(FrameRateText(8, 1), " 8.00fps");
    EXPECT_EQ(FrameRateText(120, 1), "120.00fps");
    // No denominator: a number, not "inf" or "nan".
    EXPECT_EQ(FrameRateText(25, 0), " 0.00fps");
    EXPECT_EQ(FrameRateText(0, 0), " 0.00fps");
}

TEST(FileRowTexts, DurationKeepsTheLow32BitsOfTheMilliseconds)
{
    // A container without a duration reports the minimum 64-bit value.
    const std::int64_t unknown = std::numeric_limits<std::int64_t>::min();
    EXPECT_EQ(MakeFileRowTexts("/a.ts", Figures(unknown, 1, 1, 0, 1, 1)).duration, "419:57:08.489");
    EXPECT_EQ(DurationMilliseconds(1'999), 1);  // truncated toward zero
    EXPECT_EQ(DurationMilliseconds(-1'999), -1);
    EXPECT_EQ(DurationMilliseconds(3'725'042'000), 3'725'042);
}

TEST(FileRowTexts, BitRateTruncatesAndExtensionFollowsTheLastDot)
{
    const FileRowTexts t = MakeFileRowTexts("/v.d/clip", Figures(0, 0, 0, 999, 1, 1));
    EXPECT_EQ(t.bit_rate, "0kbps");
    EXPECT_EQ(t.extension, "d/clip");
    EXPECT_EQ(t.duration, "00:00:00.000");
    EXPECT_EQ(MakeFileRowTexts("/v/Clip.MOV", Figures(0, 0, 0, 0, 1, 1)).extension, "MOV");
}

TEST(ProgressTexts, FileAndBatchLines)
{
    EXPECT_EQ(FileLabelText("/v/a.mp4", 37, "done"), "/v/a.mp4   37% done");
    EXPECT_EQ(BatchLabelText(0, 3, "of", "files"), "0 of 3 files");
}
