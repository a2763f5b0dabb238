// Files other programs wrote (Matroska, WebM, transport streams) go the
// remux way: the container follows their streams, and every packet and
// every sound sample arrives, the encoder's priming included.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/engine/EngineTestSupport.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

int IndexOf(const FixtureInfo& info, int media_type)
{
    for (std::size_t k = 0; k < info.streams.size(); ++k) {
        if (info.streams[k].media_type == media_type)
            return static_cast<int>(k);
    }
    return -1;
}

// Runs a program that makes a fixture; its log on failure.
::testing::AssertionResult Made(const std::vector<std::string>& argv)
{
    std::string log;
    const int status = RunProgram(argv, &log);
    if (status == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << argv[0] << " failed (" << status << "): " << log;
}

// The size of the first picture a player shows, the display matrix
// applied (FFmpeg's command line turns decoded pictures by it).
std::pair<int, int> ShownPictureSize(const std::string& path)
{
    const std::string picture = path + ".first.png";
    if (RunProgram({"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", path, "-frames:v", "1",
                    picture}) != 0)
        return {0, 0};
    const FixtureInfo info = ReadInfo(picture);
    std::remove(picture.c_str());
    if (info.streams.empty())
        return {0, 0};
    return {info.streams[0].width, info.streams[0].height};
}

bool WrittenAsMp4(const std::string& path)
{
    // FFmpeg's MP4 muxer writes the brand isom, its QuickTime muxer "qt  ".
    return MetadataValue(ReadInfo(path).metadata, "major_brand") == "isom";
}

std::string ExiftoolRotation(const std::string& path)
{
    std::string out;
    if (RunProgram({"exiftool", "-s3", "-Rotation", path}, &out) != 0)
        return "";
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

// What every rotated file of this suite shows: the rotation (by FFmpeg and
// by exiftool), the same packets of every stream, the same pictures.
void ExpectRotatedCopy(const std::string& input, const std::string& output, int rotation_cw)
{
    EXPECT_EQ(ReadRotationCw(output), rotation_cw);
    if (ProgramAvailable("exiftool")) {
        EXPECT_EQ(ExiftoolRotation(output), std::to_string(rotation_cw));
    }
    const FixtureInfo in = ReadInfo(input);
    const int video = IndexOf(in, AVMEDIA_TYPE_VIDEO);
    ASSERT_GE(video, 0);
    const std::pair<int, int> stored{in.streams[static_cast<std::size_t>(video)].width,
                                     in.streams[static_cast<std::size_t>(video)].height};
    const std::pair<int, int> turned{stored.second, stored.first};
    EXPECT_EQ(ShownPictureSize(output), rotation_cw % 180 == 0 ? stored : turned);

    std::vector<int> streams;  // the video and sound, first in either file
    for (std::size_t k = 0; k < in.streams.size(); ++k) {
        if (in.streams[k].media_type == AVMEDIA_TYPE_VIDEO ||
            in.streams[k].media_type == AVMEDIA_TYPE_AUDIO)
            streams.push_back(static_cast<int>(k));
    }
    std::string why;
    EXPECT_TRUE(
        SamePayloads(PacketsByStream(input, streams), PacketsByStream(output, streams), &why))
        << why;
    const auto pictures = DecodedPictureHashes(input);
    EXPECT_FALSE(pictures.empty());
    EXPECT_EQ(DecodedPictureHashes(output), pictures);
}

}  // namespace

// AAC encoders put a frame of priming before the sound. Matroska and
// transport streams written with it before zero (FFmpeg with
// -avoid_negative_ts disabled) used to lose that frame behind an edit
// list; what mkvmerge and GStreamer write keeps it at zero already.
TEST(SoundPriming, EveryPacketAndSampleOfPrimedAacArrives)
{
    TempFolder folder("priming");
    MediaRecipe recipe;
    recipe.video_codec = "h264";
    const std::string source = folder / "source.mp4";
    ASSERT_EQ(MakeMediaFile(source, recipe), "");
    const std::string negMkv = folder / "before-zero.mkv";
    const std::string negTs = folder / "before-zero.ts";
    const std::string merged = folder / "mkvmerge.mkv";
    const std::string gstMkv = folder / "gstreamer.mkv";
    const std::string gstTs = folder / "gstreamer.ts";
    auto gst = [&](const std::string& muxer, const std::string& out) {
        return std::vector<std::string>{"gst-launch-1.0",
                                        "-q",
                                        "filesrc",
                                        "location=" + source,
                                        "!",
                                        "qtdemux",
                                        "name=d",
                                        "d.video_0",
                                        "!",
                                        "queue",
                                        "!",
                                        "h264parse",
                                        "!",
                                        muxer,
                                        "name=m",
                                        "!",
                                        "filesink",
                                        "location=" + out,
                                        "d.audio_0",
                                        "!",
                                        "queue",
                                        "!",
                                        "aacparse",
                                        "!",
                                        "m."};
    };
    struct Producer {
        std::string file;
        std::vector<std::string> argv;
        bool before_zero;
    } producers[] = {
        {negMkv,
         {"ffmpeg", "-nostdin", "-v", "error", "-i", source, "-map", "0", "-c", "copy",
          "-avoid_negative_ts", "disabled", negMkv},
         true},
        {negTs,
         {"ffmpeg", "-nostdin", "-v", "error", "-i", source, "-map", "0", "-c", "copy", "-muxdelay",
          "0", "-muxpreload", "0", "-avoid_negative_ts", "disabled", negTs},
         true},
        {merged, {"mkvmerge", "-q", "-o", merged, source}, false},
        {gstMkv, gst("matroskamux", gstMkv), false},
        {gstTs, gst("mpegtsmux", gstTs), false},
    };
    std::string missing;
    for (const Producer& p : producers) {
        SCOPED_TRACE(p.file);
        if (!ProgramAvailable(p.argv[0])) {
            missing += " " + p.argv[0];
            continue;
        }
        ASSERT_TRUE(Made(p.argv));
        const FixtureInfo in = ReadInfo(p.file);
        const int video = IndexOf(in, AVMEDIA_TYPE_VIDEO);
        const int sound = IndexOf(in, AVMEDIA_TYPE_AUDIO);
        ASSERT_GE(video, 0);
        ASSERT_GE(sound, 0);
        const std::vector<double> inStarts = StreamStartSeconds(p.file);
        const double lead =
            inStarts[static_cast<std::size_t>(video)] - inStarts[static_cast<std::size_t>(sound)];
        if (p.before_zero) {
            ASSERT_LT(inStarts[static_cast<std::size_t>(sound)], -0.02) << "fixture";
        }

        const std::string out = RotateFile(p.file, p.file + ".mov", 90);
        const auto sounds = DecodedSoundHashes(p.file);
        ASSERT_FALSE(sounds.empty());
        EXPECT_EQ(DecodedSoundHashes(out), sounds);
        EXPECT_EQ(PacketsByStream(out, {sound})[0].size(),
                  PacketsByStream(p.file, {sound})[0].size());
        EXPECT_EQ(DecodedPictureHashes(out), DecodedPictureHashes(p.file));
        // The sound still leads the picture by its priming, from zero.
        const std::vector<double> starts = StreamStartSeconds(out);
        ASSERT_EQ(starts.size(), in.streams.size());
        EXPECT_NEAR(starts[static_cast<std::size_t>(video)] -
                        starts[static_cast<std::size_t>(sound)],
                    lead, 0.002);
        EXPECT_NEAR(std::min(starts[0], starts[1]), 0.0, 0.001);
    }
    if (!missing.empty())
        GTEST_SKIP() << "not installed:" << missing;
}

// An MP4 holds what QuickTime refuses (VP9, AV1, Opus, FLAC): such files are
// written as MP4, with the same rotation, packets and pictures.
TEST(RemuxContainer, WebmWithVp9AndOpusBecomesAnMp4File)
{
    TempFolder folder("webm");
    MediaRecipe recipe;
    recipe.video_codec = "vp9";
    recipe.audio_codec = "opus";
    const std::string ffmpegWebm = folder / "ffmpeg.webm";
    ASSERT_EQ(MakeMediaFile(ffmpegWebm, recipe), "");
    std::vector<std::string> inputs = {ffmpegWebm};
    const std::string gstWebm = folder / "gstreamer.webm";
    if (ProgramAvailable("gst-launch-1.0")) {
        ASSERT_TRUE(Made({"gst-launch-1.0",
                          "-q",
                          "videotestsrc",
                          "num-buffers=25",
                          "!",
                          "video/x-raw,width=160,height=120,framerate=25/1",
                          "!",
                          "vp9enc",
                          "deadline=1",
                          "!",
                          "webmmux",
                          "name=m",
                          "!",
                          "filesink",
                          "location=" + gstWebm,
                          "audiotestsrc",
                          "num-buffers=50",
                          "samplesperbuffer=960",
                          "!",
                          "audio/x-raw,rate=48000",
                          "!",
                          "opusenc",
                          "!",
                          "m."}));
        inputs.push_back(gstWebm);
    }
    for (const std::string& input : inputs) {
        SCOPED_TRACE(input);
        const std::string out = RotateFile(input, input + ".mov", 90);
        EXPECT_TRUE(WrittenAsMp4(out));
        ExpectRotatedCopy(input, out, 90);
        // Sample for sample but the last frame: Matroska trims the end of the
        // sound, which FFmpeg 5.1's MP4 muxer has no place for.
        auto sounds = DecodedSoundHashes(input);
        auto got = DecodedSoundHashes(out);
        ASSERT_EQ(got.size(), sounds.size());
        ASSERT_FALSE(sounds.empty());
        sounds.pop_back();
        got.pop_back();
        EXPECT_EQ(got, sounds);
    }
}

TEST(RemuxContainer, MatroskaWithAv1OrFlacBecomesAnMp4File)
{
    TempFolder folder("mp4way");
    MediaRecipe av1;
    av1.video_codec = "av1";
    MediaRecipe flac;
    flac.video_codec = "h264";
    flac.audio_codec = "flac";
    for (const auto& [name, recipe] : {std::pair{"av1.mkv", av1}, std::pair{"flac.mkv", flac}}) {
        SCOPED_TRACE(name);
        const std::string input = folder / name;
        ASSERT_EQ(MakeMediaFile(input, recipe), "");
        const std::string out = RotateFile(input, input + ".mov", 270);
        EXPECT_TRUE(WrittenAsMp4(out));
        ExpectRotatedCopy(input, out, 270);
        const auto sounds = DecodedSoundHashes(input);
        ASSERT_FALSE(sounds.empty());
        EXPECT_EQ(DecodedSoundHashes(out), sounds);
    }
}

TEST(RemuxContainer, WhatQuickTimeHoldsStaysQuickTime)
{
    TempFolder folder("stay");
    MediaRecipe recipe;
    recipe.video_codec = "h264";
    const std::string out = RotateFixture(folder, recipe, 90, "in.mkv", "out.mov");
    EXPECT_EQ(MetadataValue(ReadInfo(out).metadata, "major_brand").rfind("qt", 0), 0u);
}

// Bitmap subtitles go where the container holds them as they are (DVD
// subtitles in an MP4 file) and are left out, and said so, elsewhere.
TEST(RemuxContainer, DvdSubtitlesAreLeftOutOfQuickTimeAndKeptInMp4)
{
    TempFolder folder("dvd");
    MediaRecipe recipe;
    recipe.video_codec = "h264";
    recipe.dvd_subtitle = true;
    const std::string mov = folder / "mov.mkv";
    ASSERT_EQ(MakeMediaFile(mov, recipe), "");
    ASSERT_EQ(ReadInfo(mov).streams.size(), 3u) << "fixture";
    std::vector<LeftOutStream> leftOut;
    const std::string movOut = RotateFile(mov, folder / "mov.mov", 90, &leftOut);
    EXPECT_EQ(leftOut,
              (std::vector<LeftOutStream>{{AV_CODEC_ID_DVD_SUBTITLE, AVMEDIA_TYPE_SUBTITLE}}));
    EXPECT_EQ(LeftOutNote(leftOut),
              "DVD subtitles left out: the output container cannot hold them");
    EXPECT_EQ(ReadInfo(movOut).streams.size(), 2u);
    ExpectRotatedCopy(mov, movOut, 90);

    recipe.video_codec = "vp9";
    recipe.audio_codec = "opus";
    const std::string mp4 = folder / "mp4.mkv";
    ASSERT_EQ(MakeMediaFile(mp4, recipe), "");
    const std::string mp4Out = RotateFile(mp4, folder / "mp4.mov", 90);
    const FixtureInfo got = ReadInfo(mp4Out);
    ASSERT_EQ(got.streams.size(), 3u);
    EXPECT_EQ(got.streams[2].codec_id, AV_CODEC_ID_DVD_SUBTITLE);
    EXPECT_EQ(MetadataValue(got.streams[2].metadata, "language"), "ger");
    std::string why;
    EXPECT_TRUE(SamePayloads(PacketsByStream(mp4, {2}), PacketsByStream(mp4Out, {2}), &why)) << why;
}

// Matroska's title, dates and tags reach both containers where other
// programs read them.
TEST(RemuxContainer, MatroskaTitleAndDatesReachTheOutput)
{
    if (!ProgramAvailable("exiftool"))
        GTEST_SKIP() << "exiftool is not installed";
    TempFolder folder("mkvtags");
    auto tag = [](const std::string& path, const std::string& name) {
        for (const auto& [key, value] : ExiftoolTags(path)) {
            if (key.size() > name.size() &&
                key.compare(key.size() - name.size() - 1, std::string::npos, ":" + name) == 0)
                return value;
        }
        return std::string();
    };
    MediaRecipe recipe;
    recipe.video_codec = "h264";
    recipe.container_metadata = {{"title", "Holiday"},
                                 {"creation_time", "2020-01-02T03:04:05Z"},
                                 {"DATE_RECORDED", "2019-05-06"},
                                 {"ARTIST", "Somebody"},
                                 {"COMMENT", "by the lake"}};
    MediaRecipe webm = recipe;
    webm.video_codec = "vp9";
    webm.audio_codec = "opus";
    for (const auto& [name, r] : {std::pair{"film.mkv", recipe}, std::pair{"clip.webm", webm}}) {
        SCOPED_TRACE(name);
        const std::string out = RotateFixture(folder, r, 90, name, std::string(name) + ".mov");
        EXPECT_EQ(tag(out, "Title"), "Holiday");
        EXPECT_EQ(tag(out, "CreateDate"), "2020:01:02 03:04:05");
        EXPECT_EQ(tag(out, "ContentCreateDate"), "2019:05:06");
        EXPECT_EQ(tag(out, "Artist"), "Somebody");
        EXPECT_EQ(tag(out, "Comment"), "by the lake");
    }
    if (ProgramAvailable("mkvmerge")) {
        const std::string source = folder / "film.mkv";
        const std::string merged = folder / "merged.mkv";
        ASSERT_TRUE(Made({"mkvmerge", "-q", "-o", merged, "--title", "Merged", source}));
        const std::string out = RotateFile(merged, merged + ".mov", 90);
        EXPECT_EQ(tag(out, "Title"), "Merged");
        // mkvmerge dates its file now (DateUTC).
        EXPECT_EQ(tag(out, "CreateDate").size(), 19u);
    }
}
