#include <gtest/gtest.h>

#include "engine/iso/IsoBoxReader.h"
#include "engine/iso/IsoInspection.h"
#include "tests/iso/IsoTestSupport.h"
#include "tests/support/IsoBoxEdit.h"
#include "tests/support/IsoFixtures.h"
#include "tests/support/MediaFixtures.h"

#include <fcntl.h>
#include <unistd.h>

// Which files the byte copy takes, and where it finds their video tracks.

namespace {

using Verdict = IsoInspection::Verdict;

constexpr std::int32_t kOne = 0x10000;
constexpr std::int32_t kW = 0x40000000;

class IsoInspectionTest : public ::testing::Test
{
protected:
    std::string Made(const std::string& name, const IsoRecipe& recipe = {})
    {
        const std::string path = folder_ / name;
        EXPECT_EQ(MakeIsoWithFfmpeg(path, recipe), "");
        return path;
    }

    // Expects the file taken, with its video tracks where the test's own
    // reader finds them.
    IsoInspection ExpectRewritable(const std::string& path)
    {
        const IsoInspection inspection = InspectPath(path);
        EXPECT_EQ(inspection.verdict, Verdict::kRewritable) << inspection.not_taken;
        const std::vector<std::uint64_t> offsets = VideoMatrixOffsets(ReadWholeFile(path));
        EXPECT_EQ(inspection.video_tracks.size(), offsets.size());
        for (std::size_t i = 0; i < inspection.video_tracks.size() && i < offsets.size(); ++i)
            EXPECT_EQ(inspection.video_tracks[i].matrix_offset, offsets[i]) << "track " << i;
        EXPECT_EQ(inspection.file_size, static_cast<std::uint64_t>(FileSize(path)));
        return inspection;
    }

    void ExpectNotTaken(const std::string& path, const std::string& why)
    {
        const IsoInspection inspection = InspectPath(path);
        EXPECT_EQ(inspection.verdict, Verdict::kNotTaken) << path;
        EXPECT_NE(inspection.not_taken.find(why), std::string::npos) << inspection.not_taken;
        EXPECT_TRUE(inspection.video_tracks.empty());
    }

    // Loads a made file, lets `edit` change it, and saves it under `name`.
    template <typename Edit>
    std::string Edited(const std::string& from, const std::string& name, Edit edit)
    {
        IsoTestFile file = IsoTestFile::Load(from);
        EXPECT_TRUE(file.ok());
        edit(file);
        const std::string path = folder_ / name;
        EXPECT_TRUE(file.Save(path));
        return path;
    }

    TempFolder folder_{"iso-inspect"};
};

TEST_F(IsoInspectionTest, FilesAsToolsWriteThemAreTakenWithTheirVideoTrack)
{
    IsoRecipe faststart, fragmented;
    faststart.movflags = "+faststart";
    fragmented.movflags = "frag_keyframe+empty_moov";
    std::vector<std::string> files = {Made("plain.mp4"), Made("plain.mov"), Made("phone.3gp"),
                                      Made("faststart.mp4", faststart),
                                      Made("fragmented.mp4", fragmented)};
    for (const auto& [name, fragment_ms, quicktime] :
         {std::tuple{"gst-fragmented.mp4", 400, false}, std::tuple{"gst-plain.mp4", 0, false},
          std::tuple{"gst.mov", 0, true}}) {
        ASSERT_EQ(MakeIsoWithGstreamer(folder_ / name, fragment_ms, quicktime), "");
        files.push_back(folder_ / name);
    }
    for (const std::string& path : files) {
        SCOPED_TRACE(path);
        const IsoInspection inspection = ExpectRewritable(path);
        ASSERT_EQ(inspection.video_tracks.size(), 1u);
        const IsoVideoTrack& video = inspection.video_tracks[0];
        EXPECT_EQ(video.handler, FourCc("vide"));
        EXPECT_EQ(video.track_id, 1u);
        EXPECT_EQ(video.width_fx, 160u << 16);
        EXPECT_EQ(video.height_fx, 120u << 16);
        EXPECT_EQ(video.matrix, (DisplayMatrix{kOne, 0, 0, 0, kOne, 0, 0, 0, kW}));
    }
}

TEST_F(IsoInspectionTest, StoredMatrixIsReadFromVersionZeroAndVersionOneHeaders)
{
    const std::string plain = Made("plain.mp4");
    const DisplayMatrix portrait{0, kOne, 0, -kOne, 0, 0, 120 << 16, 0, kW};
    for (const bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "version 1" : "version 0");
        const std::string path = Edited(plain, wide ? "v1.mp4" : "v0.mp4", [&](IsoTestFile& f) {
            TestBox* tkhd = f.Find("moov/trak/tkhd");
            if (wide)
                WidenTrackHeader(*tkhd);
            SetTrackMatrix(*tkhd, portrait);
        });
        const IsoInspection inspection = ExpectRewritable(path);
        ASSERT_EQ(inspection.video_tracks.size(), 1u);
        EXPECT_EQ(inspection.video_tracks[0].matrix, portrait);
        EXPECT_EQ(inspection.video_tracks[0].width_fx, 160u << 16);
        EXPECT_EQ(ReadRotationCw(path), 90) << "libavformat reads the same file";
    }
}

// Spatial and depth video: a second video track, or an auxiliary one, is
// turned with the first; sound and timed metadata tracks are not listed.
TEST_F(IsoInspectionTest, EveryVideoAndAuxiliaryTrackIsListedInMovieOrder)
{
    IsoRecipe two;
    two.second_video = true;
    const std::string both = Made("two.mp4", two);
    IsoInspection inspection = ExpectRewritable(both);
    ASSERT_EQ(inspection.video_tracks.size(), 2u);
    EXPECT_EQ(inspection.video_tracks[1].width_fx, 80u << 16);
    EXPECT_EQ(inspection.video_tracks[1].track_id, 2u);

    const std::string aux = Edited(both, "aux.mp4", [](IsoTestFile& f) {
        SetTrackHandler(*f.Find("moov/trak[1]"), "auxv");
        // A timed metadata track: a copy of the sound track under a new id.
        TestBox meta = *f.Find("moov/trak[2]");
        SetTrackHandler(meta, "meta");
        SetTrackId(meta, 7);
        f.Find("moov")->children.push_back(meta);
    });
    inspection = ExpectRewritable(aux);
    ASSERT_EQ(inspection.video_tracks.size(), 2u);
    EXPECT_EQ(inspection.video_tracks[0].handler, FourCc("vide"));
    EXPECT_EQ(inspection.video_tracks[1].handler, FourCc("auxv"));
}

TEST_F(IsoInspectionTest, FilesTheCopyCannotRewriteGoTheOtherWay)
{
    const std::string plain = Made("plain.mp4");

    IsoRecipe sound;
    sound.video = false;
    ExpectNotTaken(Made("sound.m4a", sound), "no video track");

    ExpectNotTaken(Edited(plain, "cmov.mov",
                          [](IsoTestFile& f) {
                              // A compressed movie header in place of the tracks.
                              f.Find("moov")->children.push_back(ContainerBox(
                                  "cmov", {LeafBox("dcom", "zlib"),
                                           LeafBox("cmvd", U32Bytes(100) + std::string(12, 'x'))}));
                          }),
                   "compressed");
    ExpectNotTaken(
        Edited(plain, "two-moov.mp4", [](IsoTestFile& f) { f.boxes().push_back(*f.Find("moov")); }),
        "two movie headers");
    ExpectNotTaken(
        Edited(plain, "no-moov.mp4", [](IsoTestFile& f) { f.Find("moov")->type = "free"; }),
        "no movie header");
    ExpectNotTaken(Edited(plain, "no-tkhd.mp4",
                          [](IsoTestFile& f) { f.Find("moov/trak/tkhd")->type = "tkhx"; }),
                   "without a track header");
    ExpectNotTaken(Edited(plain, "tkhd-v2.mp4",
                          [](IsoTestFile& f) { f.Find("moov/trak/tkhd")->payload[0] = 2; }),
                   "unknown version");
    ExpectNotTaken(Edited(plain, "two-tkhd.mp4",
                          [](IsoTestFile& f) {
                              TestBox* trak = f.Find("moov/trak");
                              trak->children.push_back(*trak->Child("tkhd"));
                          }),
                   "two track headers");
    ExpectNotTaken(Edited(plain, "no-hdlr.mp4",
                          [](IsoTestFile& f) { f.Find("moov/trak/mdia/hdlr")->type = "hdlx"; }),
                   "without a media handler");
    ExpectNotTaken(Edited(plain, "frag-no-mvex.mp4",
                          [](IsoTestFile& f) {
                              f.boxes().push_back(ContainerBox(
                                  "moof", {LeafBox("mfhd", std::string(4, '\0') + U32Bytes(1))}));
                          }),
                   "movie fragment");

    // Not ISO files at all.
    MediaRecipe mkv;
    mkv.audio_codec = "";
    ASSERT_EQ(MakeMediaFile(folder_ / "video.mkv", mkv), "");
    ExpectNotTaken(folder_ / "video.mkv", "not an ISO");
    ExpectNotTaken(folder_.Touch("text.mp4", "just some text, not a video at all"), "not an ISO");
    ExpectNotTaken(folder_.Touch("empty.mp4", ""), "no movie header");
    ExpectNotTaken(folder_.path(), "not a regular file");
}

TEST_F(IsoInspectionTest, ReadErrorIsReportedWithItsErrno)
{
    const std::string plain = Made("plain.mp4");
    // A descriptor open for writing only cannot be read.
    const int fd = ::open(plain.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const IsoInspection inspection = InspectIsoFile(fd);
    ::close(fd);
    EXPECT_EQ(inspection.verdict, Verdict::kUnreadable);
    EXPECT_EQ(inspection.read_error, EBADF);
    EXPECT_TRUE(inspection.video_tracks.empty());
}

}  // namespace
