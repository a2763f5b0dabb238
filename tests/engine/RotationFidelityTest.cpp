// What a rotated file keeps besides its packets: codec tags, the phone's
// own metadata, the streams' starts against each other, chapters and the
// sound track's title.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>

#include "tests/engine/EngineTestSupport.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

std::vector<std::pair<std::string, std::string>>
Group(const std::vector<std::pair<std::string, std::string>>& tags, const std::string& group)
{
    std::vector<std::pair<std::string, std::string>> kept;
    for (const auto& tag : tags) {
        if (tag.first.rfind(group + ":", 0) == 0)
            kept.push_back(tag);
    }
    std::sort(kept.begin(), kept.end());
    return kept;
}

std::string Tag(const std::vector<std::pair<std::string, std::string>>& tags,
                const std::string& name)
{
    for (const auto& [key, value] : tags) {
        if (key == name)
            return value;
    }
    return "";
}

}  // namespace

TEST(RotationCodecTag, TheInputsTagStaysWhereQuickTimeGivesItToTheSameCodec)
{
    TempFolder folder("tag");
    struct Case {
        std::string name;
        std::string video_codec;
        std::string video_tag;
        std::string expected;
        bool same_payloads;  // AVI's H.264 has start codes that the MOV muxer converts
    } cases[] = {
        {"hvc1.mov", "hevc", "hvc1", "hvc1", true},
        {"avc3.mov", "h264", "avc3", "avc3", true},
        {"lt.mov", "prores_lt", "", "apcs", true},
        {"xvid.avi", "mpeg4", "XVID", "XVID", true},
        {"divx.avi", "mpeg4", "DIVX", "DIVX", true},
        // Tags QuickTime gives no codec, and none at all: the muxer chooses.
        {"h264.avi", "h264", "H264", "avc1", false},
        {"mpeg4.mkv", "mpeg4", "", "mp4v", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MediaRecipe recipe;
        recipe.video_codec = c.video_codec;
        recipe.video_tag = c.video_tag;
        recipe.audio_codec = "";
        const std::string out = RotateFixture(folder, recipe, 90, c.name, c.name + ".mov");
        const FixtureInfo in = ReadInfo(folder / c.name);
        const FixtureInfo got = ReadInfo(out);
        ASSERT_EQ(got.streams.size(), 1u);
        EXPECT_EQ(got.streams[0].codec_tag, c.expected);
        EXPECT_EQ(ReadRotationCw(out), 90);
        if (c.same_payloads) {
            std::string why;
            EXPECT_TRUE(SamePayloads(PacketsByStream(folder / c.name, {0}),
                                     PacketsByStream(out, {0}), &why))
                << why;
            // The decoder configuration (avcC, hvcC) is the input's, byte for byte.
            EXPECT_EQ(got.streams[0].extradata, in.streams[0].extradata);
        } else {
            EXPECT_EQ(DecodedPictureHashes(out), DecodedPictureHashes(folder / c.name));
        }
    }
}

TEST(RotationMetadata, APhonesRecordingKeepsItsKeysAndGainsNoOthers)
{
    TempFolder folder("phone");
    MediaRecipe phone;
    phone.video_codec = "hevc";
    phone.video_tag = "hvc1";
    phone.rotation_cw = 90;
    phone.metadata_as_keys = true;
    phone.container_metadata = {
        {"creation_time", "2023-07-14T16:22:05Z"},
        {"com.apple.quicktime.creationdate", "2023-07-14T18:22:05+0200"},
        {"com.apple.quicktime.location.ISO6709", "+48.8577+002.2950+035.000/"},
        {"com.apple.quicktime.make", "Apple"},
        {"com.apple.quicktime.model", "iPhone 12"},
        {"com.apple.quicktime.software", "16.5.1"},
        {"com.apple.quicktime.location.accuracy.horizontal", "4.7"},
    };
    const std::string out = RotateFixture(folder, phone, 90, "IMG_0001.MOV", "IMG_0001(1).MOV");
    const FixtureInfo got = ReadInfo(out);
    ASSERT_EQ(got.streams.size(), 2u);
    EXPECT_EQ(got.streams[0].codec_tag, "hvc1");
    EXPECT_EQ(ReadRotationCw(out), 180);
    std::string why;
    EXPECT_TRUE(SamePayloads(PacketsByStream(folder / "IMG_0001.MOV", {0, 1}),
                             PacketsByStream(out, {0, 1}), &why))
        << why;
    EXPECT_EQ(MetadataValue(got.metadata, "com.apple.quicktime.make"), "Apple");
    EXPECT_EQ(MetadataValue(got.metadata, "major_brand"), "qt  ");

    if (!ProgramAvailable("exiftool"))
        GTEST_SKIP() << "exiftool is not installed";
    const auto before = ExiftoolTags(folder / "IMG_0001.MOV");
    const auto after = ExiftoolTags(out);
    ASSERT_FALSE(Group(before, "Keys").empty());
    // The same keys with the same values, and no key the phone did not write.
    EXPECT_EQ(Group(after, "Keys"), Group(before, "Keys"));
    EXPECT_EQ(Tag(after, "Keys:Make"), "Apple");
    EXPECT_EQ(Tag(after, "Keys:Model"), "iPhone 12");
    EXPECT_EQ(Tag(after, "Keys:Software"), "16.5.1");
    EXPECT_EQ(Tag(after, "Keys:CreationDate"), "2023:07:14 18:22:05+02:00");
    EXPECT_EQ(Tag(after, "Keys:Encoder"), "");
    EXPECT_EQ(Tag(after, "Keys:CreationTime"), "");
    EXPECT_NE(Tag(after, "Keys:GPSCoordinates"), "");
    EXPECT_EQ(Group(after, "UserData"), Group(before, "UserData"));
    EXPECT_EQ(Tag(after, "QuickTime:CreateDate"), "2023:07:14 16:22:05");
    EXPECT_EQ(Tag(after, "QuickTime:CreateDate"), Tag(before, "QuickTime:CreateDate"));
    EXPECT_EQ(Tag(after, "Track1:TrackCreateDate"), Tag(before, "Track1:TrackCreateDate"));
    EXPECT_EQ(Tag(after, "Track1:CompressorID"), "hvc1");
    EXPECT_EQ(Tag(after, "Composite:Rotation"), "180");
}

TEST(RotationMetadata, FilesWithoutKeysKeepTheirTagsWhereTheyWere)
{
    TempFolder folder("plain");
    for (const std::string ext : {"mp4", "mkv", "avi"}) {
        SCOPED_TRACE(ext);
        MediaRecipe recipe;
        recipe.audio_codec = "mp3";
        recipe.container_metadata = {
            {"title", "Summer"}, {"artist", "Ann"}, {"comment", "at the lake"}};
        const std::string out = RotateFixture(folder, recipe, 90, "in." + ext, ext + ".mov");
        const FixtureInfo got = ReadInfo(out);
        for (const char* key : {"title", "artist", "comment"})
            EXPECT_EQ(MetadataValue(got.metadata, key),
                      MetadataValue(ReadInfo(folder / ("in." + ext)).metadata, key))
                << key;
        EXPECT_EQ(MetadataValue(got.metadata, "title"), "Summer");
        if (ProgramAvailable("exiftool")) {
            const auto tags = ExiftoolTags(out);
            EXPECT_TRUE(Group(tags, "Keys").empty());
            EXPECT_EQ(Tag(tags, "UserData:Title"), "Summer");
        }
    }
}

namespace {

struct DelayCase {
    std::string ext;
    std::string audio;
    friend void PrintTo(const DelayCase& c, std::ostream* os)
    {
        *os << c.ext << " with " << c.audio;
    }
};

class LipSyncTest : public ::testing::TestWithParam<DelayCase>
{};

}  // namespace

TEST_P(LipSyncTest, SoundThatStartsAfterThePictureStillDoes)
{
    const DelayCase& c = GetParam();
    TempFolder folder("sync");
    MediaRecipe recipe;
    recipe.audio_codec = c.audio;
    recipe.audio_delay_s = 0.5;
    recipe.seconds = 2.0;
    const std::string out = RotateFixture(folder, recipe, 90, "in." + c.ext, "out.mov");
    const std::vector<double> in = StreamStartSeconds(folder / ("in." + c.ext));
    const std::vector<double> got = StreamStartSeconds(out);
    ASSERT_EQ(in.size(), 2u);
    ASSERT_EQ(got.size(), 2u);
    ASSERT_NEAR(in[1] - in[0], 0.5, 0.05) << "fixture";
    EXPECT_NEAR(got[1] - got[0], in[1] - in[0], 0.002);
    EXPECT_NEAR(std::min(got[0], got[1]), 0.0, 0.001);
    std::string why;
    EXPECT_TRUE(SamePayloads(PacketsByStream(folder / ("in." + c.ext), {0, 1}),
                             PacketsByStream(out, {0, 1}), &why))
        << why;
}

INSTANTIATE_TEST_SUITE_P(Containers, LipSyncTest,
                         ::testing::Values(DelayCase{"mov", "aac"}, DelayCase{"mkv", "aac"},
                                           DelayCase{"ts", "mp3"}),
                         [](const ::testing::TestParamInfo<DelayCase>& info) {
                             return info.param.ext;
                         });

TEST(RotationChapters, ChaptersKeepTheirTimesAndTitles)
{
    TempFolder folder("chapters");
    const std::vector<MediaChapter> chapters = {{0.0, 0.4, "Intro"}, {0.4, 1.0, "Main part"}};
    for (const std::string ext : {"mkv", "mp4"}) {
        SCOPED_TRACE(ext);
        MediaRecipe recipe;
        recipe.chapters = chapters;
        const std::string out = RotateFixture(folder, recipe, 90, "in." + ext, ext + ".mov");
        const std::vector<MediaChapter> got = ReadChapters(out);
        ASSERT_EQ(got.size(), chapters.size());
        for (std::size_t k = 0; k < got.size(); ++k) {
            EXPECT_EQ(got[k].title, chapters[k].title);
            EXPECT_NEAR(got[k].start_s, chapters[k].start_s, 0.001);
            EXPECT_NEAR(got[k].end_s, chapters[k].end_s, 0.001);
        }
        std::string why;
        EXPECT_TRUE(SamePayloads(PacketsByStream(folder / ("in." + ext), {0, 1}),
                                 PacketsByStream(out, {0, 1}), &why))
            << why;
        if (ProgramAvailable("exiftool")) {
            EXPECT_EQ(Tag(ExiftoolTags(out), "UserData:ChapterList"),
                      "[0:00:00.000] Intro, [0:00:00.400] Main part");
        }
    }
}

TEST(RotationMetadata, TheSoundTrackKeepsItsTitleBesideItsLanguage)
{
    TempFolder folder("title");
    MediaRecipe recipe;
    recipe.audio_language = "ger";
    recipe.audio_title = "Deutsch";
    // FFmpeg does not read a QuickTime track's name back; exiftool does.
    const std::string mov = RotateFixture(folder, recipe, 90, "in2.mkv", "out.mov");
    EXPECT_EQ(MetadataValue(ReadInfo(mov).streams[1].metadata, "language"), "ger");
    if (ProgramAvailable("exiftool")) {
        EXPECT_EQ(Tag(ExiftoolTags(mov), "Track2:Track2Name"), "Deutsch");
    }
}
