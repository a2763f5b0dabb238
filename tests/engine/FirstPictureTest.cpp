#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "engine/preview/FirstPicture.h"
#include "tests/support/MediaFixtures.h"

namespace {

// Mean absolute difference per channel; infinity when the sizes differ.
double Difference(const RgbPicture& a, const RgbPicture& b)
{
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size() ||
        a.pixels.empty())
        return INFINITY;
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        sum += std::abs(int(a.pixels[i]) - int(b.pixels[i]));
    return sum / static_cast<double>(a.pixels.size());
}

// The first picture as FFmpeg's command line shows it (rotation applied
// from the display matrix, mirrors ignored), scaled to width x height.
RgbPicture PlayerPicture(const std::string& path, int width, int height)
{
    const std::string raw = path + ".rgb";
    RgbPicture picture;
    if (RunProgram({"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", path, "-frames:v", "1", "-vf",
                    "scale=" + std::to_string(width) + ":" + std::to_string(height) + ":flags=area",
                    "-f", "rawvideo", "-pix_fmt", "rgb24", raw}) != 0)
        return picture;
    const std::string bytes = ReadWholeFile(raw);
    if (bytes.size() != static_cast<std::size_t>(width * height * 3))
        return picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(bytes.begin(), bytes.end());
    return picture;
}

// Pixel (x, y) of the result is pixel source(x, y) of the picture.
template <typename Source>
RgbPicture Remap(const RgbPicture& picture, int width, int height, Source source)
{
    RgbPicture out;
    out.width = width;
    out.height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto [sx, sy] = source(x, y);
            const std::uint8_t* p = picture.at(sx, sy);
            out.pixels.insert(out.pixels.end(), p, p + 3);
        }
    return out;
}

class FirstPictureTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        folder_ = new TempFolder("preview");
        // 320x180 halves exactly into the 160x90 box.
        for (int rotation : {0, 90, 180, 270}) {
            MediaRecipe recipe;
            recipe.width = 320;
            recipe.height = 180;
            recipe.seconds = 0.2;
            recipe.audio_codec = "";
            recipe.rotation_cw = rotation;
            ASSERT_EQ(MakeMediaFile(Stored(rotation), recipe), "");
        }
    }
    static void TearDownTestSuite()
    {
        delete folder_;
        folder_ = nullptr;
    }
    static std::string Stored(int rotation)
    {
        return *folder_ / ("r" + std::to_string(rotation) + ".mp4");
    }

    static TempFolder* folder_;
};

TempFolder* FirstPictureTest::folder_ = nullptr;

// What a player shows after a batch turns a file stored at each rotation
// by each turn is what it shows of the file stored at their sum.
TEST_F(FirstPictureTest, PictureAfterEachTurnOfEachRotationIsWhatAPlayerShows)
{
    for (int rotation : {0, 90, 180, 270}) {
        const VideoPicture found = FirstPicture(Stored(rotation));
        ASSERT_TRUE(found.ok()) << rotation;
        EXPECT_EQ(found.rotationCw(), rotation);
        EXPECT_FALSE(found.mirrored());
        EXPECT_EQ(found.stored.width, 160);
        EXPECT_EQ(found.stored.height, 90);
        EXPECT_EQ(found.stored_width, 320);
        EXPECT_EQ(found.codec, "mpeg4");
        for (int turn : {0, 90, 180, 270}) {
            const int sum = (rotation + turn) % 360;
            const RgbPicture shown = PictureAfterTurn(found.stored, found.matrix, turn);
            const bool portrait = sum % 180 != 0;
            ASSERT_EQ(shown.width, portrait ? 90 : 160) << rotation << "+" << turn;
            const RgbPicture player = PlayerPicture(Stored(sum), shown.width, shown.height);
            EXPECT_LT(Difference(shown, player), 4.0) << rotation << "+" << turn;
            // A wrong way round is far off: the check can tell.
            if (turn != 0) {
                EXPECT_GT(Difference(PictureAsShown(found.stored, found.matrix), player), 20.0)
                    << rotation << "+" << turn;
            }
        }
    }
}

TEST_F(FirstPictureTest, MirroringMatrixShowsTheStoredPictureMirrored)
{
    struct Case {
        int rotation;
        int reads;  // what the matrix reads as, clockwise
        // Where shown pixel (x, y) comes from in the stored picture.
        std::pair<int, int> (*source)(int x, int y, int width, int height);
        bool portrait;
    };
    const Case cases[] = {
        // A left-right flip reads as 180 mirrored.
        {0, 180,
         [](int x, int y, int w, int) {
             return std::pair{w - 1 - x, y};
         },
         false},
        // [0 1; 1 0] swaps x and y.
        {90, 90,
         [](int x, int y, int, int) {
             return std::pair{y, x};
         },
         true},
    };
    for (const Case& c : cases) {
        MediaRecipe recipe;
        recipe.width = 320;
        recipe.height = 180;
        recipe.seconds = 0.2;
        recipe.audio_codec = "";
        recipe.rotation_cw = c.rotation;
        recipe.mirror = true;
        const std::string path = *folder_ / ("mirror" + std::to_string(c.rotation) + ".mov");
        ASSERT_EQ(MakeMediaFile(path, recipe), "");
        const VideoPicture found = FirstPicture(path);
        ASSERT_TRUE(found.ok());
        EXPECT_TRUE(found.mirrored());
        EXPECT_EQ(found.rotationCw(), c.reads);
        const RgbPicture& s = found.stored;
        const int width = c.portrait ? s.height : s.width;
        const int height = c.portrait ? s.width : s.height;
        const RgbPicture expected = Remap(
            s, width, height, [&](int x, int y) { return c.source(x, y, s.width, s.height); });
        EXPECT_EQ(Difference(PictureAsShown(s, found.matrix), expected), 0.0) << c.rotation;
        // Turned a quarter more it stays mirrored, and a half turn on it
        // is the same picture upside down.
        const RgbPicture half = PictureAfterTurn(s, found.matrix, 180);
        const RgbPicture upsideDown = Remap(expected, width, height, [&](int x, int y) {
            return std::pair{width - 1 - x, height - 1 - y};
        });
        EXPECT_EQ(Difference(half, upsideDown), 0.0) << c.rotation;
    }
}

TEST_F(FirstPictureTest, VideoStartingBlackGetsItsFirstPictureThatIsNot)
{
    struct Case {
        const char* name;
        const char* codec;
        double black_s;
        int key_interval;
        bool lit;
    };
    // With a key frame every 250 pictures the only key frame is black:
    // every frame is then looked at. With one every 12 a later key frame is lit.
    const Case cases[] = {
        {"fade.mp4", "h264", 1.0, 250, true},
        {"fade.mkv", "mpeg4", 0.6, 12, true},
        {"black.mp4", "h264", 5.0, 250, false},  // black throughout: the brightest, still a picture
    };
    for (const Case& c : cases) {
        MediaRecipe recipe;
        recipe.video_codec = c.codec;
        recipe.width = 320;
        recipe.height = 180;
        recipe.seconds = 2.0;
        recipe.audio_codec = "";
        recipe.black_seconds = c.black_s;
        recipe.key_interval = c.key_interval;
        const std::string path = *folder_ / c.name;
        ASSERT_EQ(MakeMediaFile(path, recipe), "");
        const VideoPicture found = FirstPicture(path);
        ASSERT_TRUE(found.ok()) << c.name;
        EXPECT_EQ(found.brightness >= PictureSearch{}.black_threshold, c.lit) << c.name;
        EXPECT_EQ(MeanBrightness(found.stored), found.brightness) << c.name;
        EXPECT_EQ(found.stored.width, 160) << c.name;
    }
}

TEST_F(FirstPictureTest, FileWithoutAPictureSaysWhy)
{
    MediaRecipe sound;
    sound.video_codec = "";
    ASSERT_EQ(MakeMediaFile(*folder_ / "sound.m4a", sound, "mp4"), "");
    MediaRecipe coverOnly;
    coverOnly.video_codec = "";
    coverOnly.cover_picture = true;
    coverOnly.subtitle = true;
    ASSERT_EQ(MakeMediaFile(*folder_ / "cover.mp4", coverOnly), "");
    ASSERT_TRUE(WriteBytes(*folder_ / "garbage.mp4", std::string(4096, '\x5a')));
    ASSERT_TRUE(CopyPrefix(Stored(90), *folder_ / "cut.mp4", FileSize(Stored(90)) / 2));
    // A codec this FFmpeg has no decoder for: the Matroska codec name
    // changed to one it does not know (as H.266 is to FFmpeg 5.1).
    MediaRecipe plain;
    plain.audio_codec = "";
    ASSERT_EQ(MakeMediaFile(*folder_ / "plain.mkv", plain), "");
    std::string bytes = ReadWholeFile(*folder_ / "plain.mkv");
    const std::size_t entry = bytes.find("V_MPEG4/ISO/ASP");
    ASSERT_NE(entry, std::string::npos);
    bytes.replace(entry, 15, "V_MPEGI/ISO/VVC");
    ASSERT_TRUE(WriteBytes(*folder_ / "vvc.mkv", bytes));

    const std::pair<const char*, PictureFailure> cases[] = {
        {"sound.m4a", PictureFailure::kNoVideo},      {"cover.mp4", PictureFailure::kNoVideo},
        {"garbage.mp4", PictureFailure::kCannotOpen}, {"cut.mp4", PictureFailure::kCannotOpen},
        {"missing.mp4", PictureFailure::kCannotOpen}, {"vvc.mkv", PictureFailure::kNoDecoder},
    };
    for (const auto& [name, failure] : cases) {
        const VideoPicture found = FirstPicture(*folder_ / name);
        EXPECT_EQ(found.failure, failure) << name;
        EXPECT_TRUE(found.stored.empty()) << name;
    }
}

// A picture turned four times by a quarter, or mirrored twice, is itself;
// odd sizes lose no row or column.
TEST(TurnPicture, QuarterTurnsComeBackToThePicture)
{
    RgbPicture picture;
    picture.width = 5;
    picture.height = 3;
    for (int i = 0; i < 5 * 3 * 3; ++i)
        picture.pixels.push_back(static_cast<std::uint8_t>(i * 5));
    RgbPicture turned = picture;
    for (int k = 0; k < 4; ++k) {
        turned = TurnPicture(turned, 90);
        EXPECT_EQ(turned.width, k % 2 == 0 ? 3 : 5);
    }
    EXPECT_EQ(turned.pixels, picture.pixels);
    // The top left corner goes to the top right on a quarter turn clockwise.
    const RgbPicture quarter = TurnPicture(picture, 90);
    EXPECT_EQ(quarter.at(2, 0)[0], picture.at(0, 0)[0]);
    EXPECT_EQ(TurnPicture(TurnPicture(picture, 180, true), 180, true).pixels, picture.pixels);
    EXPECT_EQ(TurnPicture(picture, 89).pixels, quarter.pixels);
    EXPECT_EQ(TurnPicture(picture, -270).pixels, quarter.pixels);
}

}  // namespace
