#include <gtest/gtest.h>

#include "engine/ProgressSink.h"

#include <algorithm>
#include <climits>

#include "tests/engine/EngineTestSupport.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/display.h>
}

namespace {

struct ContainerCase {
    std::string ext;
    std::string video;
    std::string audio;
    // From AVI and TS, H.264 is stored with start codes that the MOV muxer
    // converts; there the pictures must decode the same instead.
    bool compare_pictures;
};

std::string CaseName(const ::testing::TestParamInfo<ContainerCase>& info)
{
    return info.param.ext + "_" + info.param.video + "_" + info.param.audio;
}

class ContainerTest : public ::testing::TestWithParam<ContainerCase>
{};

}  // namespace

TEST_P(ContainerTest, CopiesEveryPacketAndTurnsThePicture)
{
    const ContainerCase& c = GetParam();
    TempFolder folder("container");
    MediaRecipe recipe;
    recipe.video_codec = c.video;
    recipe.audio_codec = c.audio;
    const std::string input = folder / ("in." + c.ext);
    ASSERT_EQ(MakeMediaFile(input, recipe), "");
    const std::string before = ReadWholeFile(input);

    auto job = MakeJob(90);
    AddFile(*job, input, folder / "out.mov");
    ASSERT_EQ(RunBatch(*job), 0);
    EXPECT_EQ(job->reports[0].file_status.load(), kFileDone);
    EXPECT_EQ(job->current_index.load(), 1);
    EXPECT_FALSE(job->worker_active.load());
    EXPECT_EQ(ReadRotationCw(folder / "out.mov"), 90);
    EXPECT_EQ(ReadWholeFile(input), before) << "the input must never change";

    const FixtureInfo info = ReadInfo(folder / "out.mov");
    ASSERT_EQ(info.streams.size(), 2u);
    EXPECT_EQ(info.streams[0].media_type, AVMEDIA_TYPE_VIDEO);
    EXPECT_EQ(info.streams[1].media_type, AVMEDIA_TYPE_AUDIO);
    std::string why;
    if (c.compare_pictures) {
        const auto pictures = DecodedPictureHashes(input);
        EXPECT_FALSE(pictures.empty());
        EXPECT_EQ(DecodedPictureHashes(folder / "out.mov"), pictures);
        EXPECT_TRUE(SamePayloads(PacketsByStream(input, {1}),
                                 PacketsByStream(folder / "out.mov", {1}), &why))
            << why;
    } else {
        EXPECT_TRUE(SamePayloads(PacketsByStream(input, {0, 1}),
                                 PacketsByStream(folder / "out.mov", {0, 1}), &why))
            << why;
    }
}

INSTANTIATE_TEST_SUITE_P(Containers, ContainerTest,
                         ::testing::Values(ContainerCase{"mp4", "h264", "aac", false},
                                           ContainerCase{"mov", "h264", "aac", false},
                                           ContainerCase{"mkv", "h264", "mp3", false},
                                           ContainerCase{"mp4", "mpeg4", "mp3", false},
                                           ContainerCase{"mkv", "mpeg4", "aac", false},
                                           ContainerCase{"avi", "mpeg4", "mp3", false},
                                           ContainerCase{"ts", "mpeg4", "mp3", false},
                                           ContainerCase{"avi", "h264", "mp3", true},
                                           ContainerCase{"ts", "h264", "mp3", true}),
                         CaseName);

TEST(RotationMatrix, OldRotationPlusTheChosenOneModulo360)
{
    TempFolder folder("matrix");
    struct Case {
        int old_cw, add, expected;
    } cases[] = {{90, 180, 270}, {270, 180, 90}, {90, 270, 0}, {0, 270, 270}};
    for (const Case& c : cases) {
        MediaRecipe recipe;
        recipe.rotation_cw = c.old_cw;
        const std::string name = std::to_string(c.old_cw) + "_" + std::to_string(c.add);
        const std::string out = RotateFixture(folder, recipe, c.add, name + ".mp4", name + ".mov");
        EXPECT_EQ(ReadRotationCw(out), c.expected) << name;
    }
}

TEST(RotationMatrix, ZeroRotationKeepsTheInputMatrixAsItIs)
{
    TempFolder folder("zero");
    MediaRecipe recipe;
    recipe.rotation_cw = 90;
    recipe.mirror = true;
    const std::string out = RotateFixture(folder, recipe, 0, "in.mov", "out.mov");
    std::array<std::int32_t, 9> in{}, got{};
    ASSERT_TRUE(ReadDisplayMatrix(folder / "in.mov", in));
    ASSERT_TRUE(ReadDisplayMatrix(out, got));
    EXPECT_EQ(got, in);
}

TEST(RotationMatrix, MirroredVideoStaysMirrored)
{
    TempFolder folder("mirror");
    MediaRecipe recipe;
    recipe.mirror = true;
    const std::string out = RotateFixture(folder, recipe, 90, "in.mp4", "out.mov");
    std::array<std::int32_t, 9> m{};
    ASSERT_TRUE(ReadDisplayMatrix(out, m));
    EXPECT_TRUE(MatrixMirrors(m));
    // Mirrored first, then turned: diag(-1, 1, 1) times the 90 degree turn.
    std::array<std::int32_t, 9> expected{};
    av_display_rotation_set(expected.data(), 90);
    expected[0] = -expected[0];
    expected[1] = -expected[1];
    expected[2] = -expected[2];
    EXPECT_EQ(m, expected);
}

TEST(RotationMatrix, ExiftoolSeesTheClockwiseRotation)
{
    if (!ProgramAvailable("exiftool"))
        GTEST_SKIP() << "exiftool is not installed";
    TempFolder folder("exif");
    MediaRecipe recipe;
    recipe.rotation_cw = 270;
    const std::string once = RotateFixture(folder, MediaRecipe{}, 90, "a.mp4", "a.mov");
    const std::string twice = RotateFixture(folder, recipe, 270, "b.mov", "b(0).mov");
    std::string out;
    ASSERT_EQ(RunProgram({"exiftool", "-s3", "-Rotation", once}, &out), 0);
    EXPECT_EQ(out, "90\n");
    ASSERT_EQ(RunProgram({"exiftool", "-s3", "-Rotation", twice}, &out), 0);
    EXPECT_EQ(out, "180\n");
}

TEST(RotationTag, TagOnlyRotationIsTurnedIntoAMatrix)
{
    TempFolder folder("tag");
    MediaRecipe recipe;
    recipe.rotate_tag = "90";
    EXPECT_EQ(ReadRotationCw(RotateFixture(folder, recipe, 90, "a.mkv", "a.mov")), 180);
    // The old value plus the rotation, reduced.
    recipe.rotate_tag = "270";
    EXPECT_EQ(ReadRotationCw(RotateFixture(folder, recipe, 180, "b.mkv", "b.mov")), 90);
}

TEST(RotationMetadata, SideDataAndContainerDatesTravelWithTheFile)
{
    TempFolder folder("meta");
    MediaRecipe recipe;
    recipe.video_codec = "h264";
    recipe.hdr_side_data = true;
    recipe.rotation_cw = 90;
    recipe.container_metadata = {{"creation_time", "2020-01-02T03:04:05Z"},
                                 {"location", "+48.8577+002.2950/"}};
    const std::string out = RotateFixture(folder, recipe, 90, "in.mov", "out.mov");
    const FixtureInfo in = ReadInfo(folder / "in.mov");
    const FixtureInfo got = ReadInfo(out);
    ASSERT_FALSE(got.streams.empty());
    for (int type : {AV_PKT_DATA_MASTERING_DISPLAY_METADATA, AV_PKT_DATA_CONTENT_LIGHT_LEVEL,
                     AV_PKT_DATA_DISPLAYMATRIX}) {
        const auto& types = got.streams[0].side_data_types;
        EXPECT_NE(std::find(types.begin(), types.end(), type), types.end()) << "side data " << type;
    }
    EXPECT_EQ(ReadRotationCw(out), 180);
    EXPECT_EQ(MetadataValue(got.metadata, "creation_time"),
              MetadataValue(in.metadata, "creation_time"));
    EXPECT_EQ(MetadataValue(got.metadata, "location"), "+48.8577+002.2950/");
}

TEST(RotationMetadata, TheSoundTrackKeepsItsLanguage)
{
    TempFolder folder("lang");
    MediaRecipe recipe;
    recipe.audio_language = "jpn";
    const std::string out = RotateFixture(folder, recipe, 90, "in.mp4", "out.mov");
    const FixtureInfo got = ReadInfo(out);
    ASSERT_EQ(got.streams.size(), 2u);
    EXPECT_EQ(got.streams[1].media_type, AVMEDIA_TYPE_AUDIO);
    EXPECT_EQ(MetadataValue(got.streams[1].metadata, "language"), "jpn");
}

TEST(RotationStreams, TwoVideoStreamsAreCopiedAndStartTogetherNearZero)
{
    TempFolder folder("two");
    MediaRecipe recipe;
    recipe.second_video = true;
    recipe.start_offset_s = 10.0;
    const std::string out = RotateFixture(folder, recipe, 90, "in.mkv", "out.mov");
    std::string why;
    const auto got = PacketsByStream(out, {0, 1, 2});
    EXPECT_TRUE(SamePayloads(PacketsByStream(folder / "in.mkv", {0, 1, 2}), got, &why)) << why;
    const std::vector<double> starts = StreamStartSeconds(out);
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_DOUBLE_EQ(starts[0], starts[1]);
    // The sound's encoder delay makes it the earliest, by a frame of samples.
    EXPECT_NEAR(*std::min_element(starts.begin(), starts.end()), 0.0, 0.001);
    EXPECT_NEAR(starts[0], 0.0, 0.05);
}

// The cover stays the file's cover (no video track of its own), beside the
// subtitles as timed text.
TEST(RotationStreams, CoverPictureStaysTheCoverAndSubtitlesStayTimedText)
{
    TempFolder folder("cover");
    MediaRecipe recipe;
    recipe.cover_picture = true;
    recipe.subtitle = true;
    const std::string out = RotateFixture(folder, recipe, 180, "in.mp4", "out.mp4");
    const FixtureInfo info = ReadInfo(out);
    ASSERT_EQ(info.streams.size(), 4u);
    EXPECT_EQ(info.streams[0].codec_id, AV_CODEC_ID_MPEG4);
    EXPECT_EQ(info.streams[1].codec_id, AV_CODEC_ID_AAC);
    EXPECT_EQ(info.streams[2].codec_id, AV_CODEC_ID_MOV_TEXT);
    EXPECT_EQ(info.streams[3].codec_id, AV_CODEC_ID_MJPEG);
    EXPECT_TRUE(info.streams[3].attached_picture);
    EXPECT_EQ(ReadPackets(out).size(), ReadPackets(folder / "in.mp4").size());
    std::string why;
    EXPECT_TRUE(SamePayloads(PacketsByStream(folder / "in.mp4", {0, 1}),
                             PacketsByStream(out, {0, 1}), &why))
        << why;
}

TEST(RotationStreams, AudioOnlyFileIsCopiedWithoutAMatrix)
{
    TempFolder folder("audio");
    MediaRecipe recipe;
    recipe.video_codec = "";
    recipe.audio_codec = "mp3";
    const std::string out = RotateFixture(folder, recipe, 90, "in.mkv", "out.mov");
    const FixtureInfo info = ReadInfo(out);
    ASSERT_EQ(info.streams.size(), 1u);
    EXPECT_TRUE(info.streams[0].side_data_types.empty());
    std::string why;
    EXPECT_TRUE(
        SamePayloads(PacketsByStream(folder / "in.mkv", {0}), PacketsByStream(out, {0}), &why))
        << why;
}

TEST(RotationProgress, PercentIsCappedAndAZeroDurationGivesTheIgnoredValue)
{
    TempFolder folder("progress");
    MediaRecipe recipe;
    ASSERT_EQ(MakeMediaFile(folder / "in.mp4", recipe), "");
    auto job = MakeJob(90);
    AddFile(*job, folder / "in.mp4", folder / "short.mov", 0.1);
    ASSERT_EQ(RunBatch(*job), 0);
    EXPECT_EQ(job->progress_percent.load(), 100);

    auto zero = MakeJob(90);
    AddFile(*zero, folder / "in.mp4", folder / "zero.mov", 0.0);
    ASSERT_EQ(RunBatch(*zero), 0);
    // Nothing to measure by during the copy, yet a done file ends at 100.
    EXPECT_EQ(zero->progress_percent.load(), 100);
    std::atomic<int> percent{0};
    ProgressSink(percent).Publish(5.0, 0.0);
    EXPECT_EQ(percent.load(), INT_MIN);
    EXPECT_EQ(zero->reports[0].file_status.load(), kFileDone);
}

TEST(RotationBatch, EveryFileOfABatchIsDoneInTurn)
{
    TempFolder folder("batch");
    ASSERT_EQ(MakeMediaFile(folder / "a.mp4", MediaRecipe{}), "");
    auto job = MakeJob(270);
    for (const char* name : {"a.mov", "a(0).mov", "a(1).mov"})
        AddFile(*job, folder / "a.mp4", folder / name);
    ASSERT_EQ(RunBatch(*job), 0);
    EXPECT_EQ(job->current_index.load(), 3);
    ASSERT_EQ(job->reports.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(job->reports[i].file_status.load(), kFileDone) << i;
    EXPECT_EQ(ReadRotationCw(folder / "a(1).mov"), 270);
}

TEST(RotationStreams, StreamAppearingDuringTheCopyIsLeftOut)
{
    TempFolder folder("late-stream");
    MediaRecipe first;  // longer than what the stream analysis reads
    first.audio_codec = "mp3";
    first.seconds = 8.0;
    ASSERT_EQ(MakeMediaFile(folder / "a.ts", first), "");
    // A second programme table with one more audio stream, as in a
    // broadcast that changes programme.
    std::string log;
    ASSERT_EQ(RunProgram({"ffmpeg",
                          "-nostdin",
                          "-loglevel",
                          "error",
                          "-y",
                          "-f",
                          "lavfi",
                          "-i",
                          "testsrc=size=160x120:rate=25:duration=2",
                          "-f",
                          "lavfi",
                          "-i",
                          "sine=duration=2",
                          "-f",
                          "lavfi",
                          "-i",
                          "sine=frequency=880:duration=2",
                          "-map",
                          "0",
                          "-map",
                          "1",
                          "-map",
                          "2",
                          "-c:v",
                          "mpeg4",
                          "-c:a",
                          "libmp3lame",
                          "-mpegts_pmt_start_pid",
                          "0x1100",
                          "-output_ts_offset",
                          "9",
                          folder / "b.ts"},
                         &log),
              0)
        << log;
    ASSERT_TRUE(WriteBytes(folder / "ab.ts",
                           ReadWholeFile(folder / "a.ts") + ReadWholeFile(folder / "b.ts")));

    auto job = MakeJob(90);
    AddFile(*job, folder / "ab.ts", folder / "out.mov", 10.0);
    ASSERT_EQ(RunBatch(*job), 0);
    EXPECT_EQ(job->reports[0].file_status.load(), kFileDone);
    const FixtureInfo info = ReadInfo(folder / "out.mov");
    EXPECT_EQ(info.streams.size(), 2u);
    std::string why;
    EXPECT_TRUE(SamePayloads(PacketsByStream(folder / "ab.ts", {0}),
                             PacketsByStream(folder / "out.mov", {0}), &why))
        << why;
}

TEST(RotationTimestamps, RepeatedDecodingTimesKeepEveryPacket)
{
    // Matroska keeps milliseconds: at 2000 pictures a second, pairs of
    // pictures share a decoding time, which the MOV muxer refuses as is.
    TempFolder folder("dts");
    MediaRecipe recipe;
    recipe.audio_codec = "";
    recipe.fps_num = 2000;
    recipe.seconds = 0.05;
    const std::string out = RotateFixture(folder, recipe, 90, "in.mkv", "out.mov");
    std::string why;
    EXPECT_TRUE(
        SamePayloads(PacketsByStream(folder / "in.mkv", {0}), PacketsByStream(out, {0}), &why))
        << why;
    const auto packets = ReadPackets(out);
    for (std::size_t k = 1; k < packets.size(); ++k)
        EXPECT_GT(packets[k].dts, packets[k - 1].dts) << k;
}
