#include <gtest/gtest.h>

#include "engine/ProbeMedia.h"
#include "tests/engine/EngineTestSupport.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

class ProbeMediaTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        folder_ = new TempFolder("probe");
        MediaRecipe h264;
        h264.video_codec = "h264";
        h264.width = 176;
        h264.height = 144;
        h264.fps_num = 30000;
        h264.fps_den = 1001;
        ASSERT_EQ(MakeMediaFile(*folder_ / "h264.mp4", h264), "");
        MediaRecipe audioOnly;
        audioOnly.video_codec = "";
        ASSERT_EQ(MakeMediaFile(*folder_ / "audio.m4a", audioOnly, "mp4"), "");
        MediaRecipe coverOnly;  // audio, subtitle and an MJPEG cover: three streams
        coverOnly.video_codec = "";
        coverOnly.cover_picture = true;
        coverOnly.subtitle = true;
        ASSERT_EQ(MakeMediaFile(*folder_ / "cover.mp4", coverOnly), "");
        MediaRecipe twoVideos;
        twoVideos.second_video = true;
        ASSERT_EQ(MakeMediaFile(*folder_ / "two.mkv", twoVideos), "");
        MediaRecipe raw;  // an elementary stream: no duration anywhere
        raw.video_codec = "h264";
        raw.audio_codec = "";
        ASSERT_EQ(MakeMediaFile(*folder_ / "raw.h264", raw), "");
        ASSERT_TRUE(WriteBytes(*folder_ / "empty.mp4", ""));
        ASSERT_TRUE(WriteBytes(*folder_ / "garbage.mp4", std::string(4096, '\x5a')));
        ASSERT_TRUE(CopyPrefix(*folder_ / "h264.mp4", *folder_ / "truncated.mp4",
                               FileSize(*folder_ / "h264.mp4") / 2));
    }
    static void TearDownTestSuite()
    {
        delete folder_;
        folder_ = nullptr;
    }

    int Probe(const std::string& name)
    {
        probe_ = ProbeMedia(*folder_ / name);
        return probe_.result;
    }

    static TempFolder* folder_;
    MediaProbe probe_;
};

TempFolder* ProbeMediaTest::folder_ = nullptr;

}  // namespace

TEST_F(ProbeMediaTest, VideoFileReportsItsFigures)
{
    ASSERT_EQ(Probe("h264.mp4"), 0);
    EXPECT_EQ(probe_.width, 176);
    EXPECT_EQ(probe_.height, 144);
    EXPECT_EQ(probe_.fps_num, 30000);
    EXPECT_EQ(probe_.fps_den, 1001);
    EXPECT_NEAR(static_cast<double>(probe_.duration_us), 1000000.0, 100000.0);
    EXPECT_GT(probe_.bit_rate, 0);
    // libx264 with default settings writes High profile.
    EXPECT_EQ(probe_.video_profile, FF_PROFILE_H264_HIGH);
}

TEST_F(ProbeMediaTest, FilesWithoutUsableVideoAreRejected)
{
    EXPECT_EQ(Probe("audio.m4a"), -1);
    EXPECT_EQ(Probe("empty.mp4"), -1);
    EXPECT_EQ(Probe("garbage.mp4"), -1);
    EXPECT_EQ(Probe("no-such-file.mp4"), -1);
    // Cut in the middle, the index at the end of the file is missing.
    EXPECT_LT(Probe("truncated.mp4"), 0);
}

TEST_F(ProbeMediaTest, NoFigureOfThePreviousFileSurvivesTheNextProbe)
{
    ASSERT_EQ(Probe("h264.mp4"), 0);
    ASSERT_EQ(Probe("garbage.mp4"), -1);
    EXPECT_EQ(probe_.width, 0);
    EXPECT_EQ(probe_.height, 0);
    EXPECT_EQ(probe_.fps_num, 0);
    EXPECT_EQ(probe_.fps_den, 0);
    EXPECT_EQ(probe_.duration_us, 0);
    EXPECT_EQ(probe_.bit_rate, 0);
    EXPECT_EQ(probe_.video_profile, 0);

    // An audio-only file reports its duration but no picture figures.
    ASSERT_EQ(Probe("h264.mp4"), 0);
    ASSERT_EQ(Probe("audio.m4a"), -1);
    EXPECT_EQ(probe_.width, 0);
    EXPECT_EQ(probe_.fps_num, 0);
    EXPECT_GT(probe_.duration_us, 0);
}

TEST_F(ProbeMediaTest, CoverPictureCountsAsVideoButGivesNoSizeOrRate)
{
    ASSERT_EQ(Probe("h264.mp4"), 0);
    ASSERT_EQ(Probe("cover.mp4"), 0);
    EXPECT_EQ(probe_.width, 0);
    EXPECT_EQ(probe_.height, 0);
    EXPECT_EQ(probe_.fps_num, 0);
    EXPECT_EQ(probe_.video_profile, FF_PROFILE_MJPEG_HUFFMAN_BASELINE_DCT);
}

TEST_F(ProbeMediaTest, TwoVideoStreamsAreAccepted)
{
    ASSERT_EQ(Probe("two.mkv"), 0);
    EXPECT_EQ(probe_.width, 160);
    EXPECT_EQ(probe_.fps_num, 25);
}

TEST_F(ProbeMediaTest, UnknownDurationIsReportedAsZero)
{
    ASSERT_EQ(Probe("h264.mp4"), 0);
    ASSERT_EQ(Probe("raw.h264"), 0);
    EXPECT_EQ(probe_.duration_us, 0);
    EXPECT_EQ(probe_.width, 160);
}
