// Text subtitles arrive as timed text: the same cues with the same times
// and words, the track's language and name kept, and no picture or sound
// touched.
#include <gtest/gtest.h>

#include "tests/engine/EngineTestSupport.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

constexpr const char* kSubRip = "1\n00:00:00,100 --> 00:00:00,500\nhello <i>there</i>\n\n"
                                "2\n00:00:00,600 --> 00:00:00,900\nsecond\nline\n";

constexpr const char* kAss =
    "[Script Info]\nScriptType: v4.00+\nPlayResX: 160\nPlayResY: 120\n\n"
    "[V4+ Styles]\nFormat: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, "
    "OutlineColour, BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, "
    "Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n"
    "Style: Default,Arial,16,&Hffffff,&Hffffff,&H0,&H0,0,0,0,0,100,100,0,0,1,1,0,2,10,10,10,0\n\n"
    "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
    "Dialogue: 0,0:00:00.10,0:00:00.50,Default,,0,0,0,,hello {\\b1}there{\\b0}\n"
    "Dialogue: 0,0:00:00.60,0:00:00.90,Default,,0,0,0,,second\\Nline\n";

constexpr const char* kWebVtt = "WEBVTT\n\n00:00:00.100 --> 00:00:00.500\nhello <i>there</i>\n\n"
                                "00:00:00.600 --> 00:00:00.900\nsecond\nline\n";

::testing::AssertionResult Made(const std::vector<std::string>& argv)
{
    std::string log;
    const int status = RunProgram(argv, &log);
    if (status == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << argv[0] << " failed (" << status << "): " << log;
}

std::string ExiftoolTag(const std::string& path, const std::string& name)
{
    for (const auto& [key, value] : ExiftoolTags(path)) {
        if (key == name)
            return value;
    }
    return "";
}

}  // namespace

TEST(TimedText, SubRipAssAndWebVttCuesArriveWithTheirTimesAndWords)
{
    TempFolder folder("timedtext");
    MediaRecipe recipe;
    recipe.video_codec = "h264";
    const std::string source = folder / "source.mp4";
    ASSERT_EQ(MakeMediaFile(source, recipe), "");
    ASSERT_TRUE(WriteBytes(folder / "cues.srt", kSubRip));
    ASSERT_TRUE(WriteBytes(folder / "cues.ass", kAss));
    ASSERT_TRUE(WriteBytes(folder / "cues.vtt", kWebVtt));

    struct Fixture {
        std::string file;
        std::vector<std::string> argv;  // empty: made by MakeMediaFile
        bool named;                     // in German, named "Deutsch"
    };
    std::vector<Fixture> fixtures = {
        // WebVTT as FFmpeg writes it into Matroska (mkvmerge's own WebVTT
        // tracks are unknown to FFmpeg 5.1).
        {folder / "ffmpeg-vtt.mkv",
         {"ffmpeg",
          "-nostdin",
          "-v",
          "error",
          "-i",
          source,
          "-i",
          folder / "cues.vtt",
          "-map",
          "0",
          "-map",
          "1",
          "-c",
          "copy",
          "-c:s",
          "webvtt",
          "-metadata:s:s:0",
          "language=ger",
          "-metadata:s:s:0",
          "title=Deutsch",
          folder / "ffmpeg-vtt.mkv"},
         true},
        {folder / "ffmpeg-srt.mkv", {}, false},
    };
    if (ProgramAvailable("mkvmerge")) {
        fixtures.push_back(
            {folder / "mkvmerge-srt.mkv",
             {"mkvmerge", "-q", "-o", folder / "mkvmerge-srt.mkv", source, "--language", "0:ger",
              "--track-name", "0:Deutsch", folder / "cues.srt"},
             true});
        fixtures.push_back(
            {folder / "mkvmerge-ass.mkv",
             {"mkvmerge", "-q", "-o", folder / "mkvmerge-ass.mkv", source, folder / "cues.ass"},
             false});
    }
    for (const Fixture& f : fixtures) {
        SCOPED_TRACE(f.file);
        if (f.argv.empty()) {
            MediaRecipe withSubRip = recipe;
            withSubRip.subtitle = true;
            ASSERT_EQ(MakeMediaFile(f.file, withSubRip), "");
        } else {
            ASSERT_TRUE(Made(f.argv));
        }
        const std::vector<FixtureCue> cues = ReadCues(f.file);
        ASSERT_EQ(cues.size(), 2u) << "fixture";

        const std::string out = RotateFile(f.file, f.file + ".mov", 90);
        const FixtureInfo got = ReadInfo(out);
        ASSERT_EQ(got.streams.size(), 3u);
        EXPECT_EQ(got.streams[2].codec_id, AV_CODEC_ID_MOV_TEXT);
        const std::vector<FixtureCue> gotCues = ReadCues(out);
        ASSERT_EQ(gotCues.size(), cues.size());
        for (std::size_t k = 0; k < cues.size(); ++k) {
            EXPECT_EQ(gotCues[k].text, cues[k].text);
            EXPECT_NEAR(gotCues[k].start_s, cues[k].start_s, 0.001);
            EXPECT_NEAR(gotCues[k].end_s, cues[k].end_s, 0.001);
        }
        if (!f.argv.empty()) {
            EXPECT_EQ(cues[0].text, "hello there");
            EXPECT_EQ(cues[1].text, "second\nline");
        }
        std::string why;
        EXPECT_TRUE(
            SamePayloads(PacketsByStream(f.file, {0, 1}), PacketsByStream(out, {0, 1}), &why))
            << why;
        EXPECT_EQ(DecodedPictureHashes(out), DecodedPictureHashes(f.file));
        if (f.named) {
            EXPECT_EQ(MetadataValue(got.streams[2].metadata, "language"), "ger");
            if (ProgramAvailable("exiftool")) {
                EXPECT_EQ(ExiftoolTag(out, "Track3:Track3Name"), "Deutsch");
            }
        }
    }
}
