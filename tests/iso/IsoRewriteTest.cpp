#include <gtest/gtest.h>

#include "engine/iso/ReportedRotation.h"
#include "tests/iso/IsoTestSupport.h"
#include "tests/support/IsoBoxEdit.h"
#include "tests/support/IsoFixtures.h"
#include "tests/support/MediaFixtures.h"

#include <fcntl.h>
#include <unistd.h>

// A rotated copy is the input byte for byte except the matrices of its
// video tracks, and players, exiftool and libavformat read the new turn.

namespace {

constexpr std::int32_t kOne = 0x10000;
constexpr std::int32_t kW = 0x40000000;
using Matrix = std::array<std::int32_t, 9>;

// The turned matrices of an upright 160x120 track, as QuickTime writes them.
Matrix Upright160x120Turned(int degrees)
{
    switch (degrees) {
    case 90:
        return {0, kOne, 0, -kOne, 0, 0, 120 << 16, 0, kW};
    case 180:
        return {-kOne, 0, 0, 0, -kOne, 0, 160 << 16, 120 << 16, kW};
    case 270:
        return {0, -kOne, 0, kOne, 0, 0, 0, 160 << 16, kW};
    default:
        return {kOne, 0, 0, 0, kOne, 0, 0, 0, kW};
    }
}

class IsoRewriteTest : public ::testing::Test
{
protected:
    std::string Made(const std::string& name, const IsoRecipe& recipe = {})
    {
        const std::string path = folder_ / name;
        EXPECT_EQ(MakeIsoWithFfmpeg(path, recipe), "");
        return path;
    }

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

    // Rotates `in` by byte copy and checks what holds for every file: each
    // step worked, the input is unchanged, the output differs from it only
    // inside its video matrices, and every reader sees `expected_cw`.
    std::string Rotated(const std::string& in, int degrees, int expected_cw)
    {
        SCOPED_TRACE(in + " turned " + std::to_string(degrees));
        const std::string before = ReadWholeFile(in);
        const std::string out = in + "-" + std::to_string(degrees) + ".out";
        const RotatedCopy rotated = RotateByCopy(in, out, degrees);
        EXPECT_EQ(rotated.failed, "");
        EXPECT_EQ(ReadWholeFile(in), before) << "the input is never changed";
        std::string why;
        EXPECT_TRUE(DiffersOnlyInMatrices(in, out, VideoMatrixOffsets(before), &why)) << why;
        EXPECT_EQ(FileSize(out), FileSize(in));
        EXPECT_EQ(ExiftoolRotation(out), expected_cw) << "exiftool";
        EXPECT_EQ(ReadRotationCw(out), expected_cw) << "libavformat";
        return out;
    }

    static Matrix StoredMatrix(const std::string& path, int video_track = 0)
    {
        IsoTestFile file = IsoTestFile::Load(path);
        int seen = 0;
        for (TestBox& trak : file.Find("moov")->children) {
            if (trak.type != "trak")
                continue;
            const std::string handler = TrackHandler(trak);
            if ((handler == "vide" || handler == "auxv") && seen++ == video_track)
                return TrackMatrix(*trak.Child("tkhd"));
        }
        return {};
    }

    TempFolder folder_{"iso-rewrite"};
};

TEST_F(IsoRewriteTest, UprightTrackTurnsEachQuarterAsQuickTimeWritesIt)
{
    const std::string in = Made("plain.mp4");
    for (const int degrees : {90, 180, 270}) {
        const std::string out = Rotated(in, degrees, degrees);
        EXPECT_EQ(StoredMatrix(out), Upright160x120Turned(degrees)) << degrees;
    }
}

// Every layout phones, cameras and tools write: the movie header first or
// last, fragments from two muxers, QuickTime and 3GP brands, a 64-bit
// media data size and one of size 0.
TEST_F(IsoRewriteTest, EveryLayoutKeepsItsBytes)
{
    IsoRecipe faststart, fragmented;
    faststart.movflags = "+faststart";
    fragmented.movflags = "frag_keyframe+empty_moov";
    fragmented.seconds = 3;
    std::vector<std::string> inputs = {Made("plain.mov"), Made("phone.3gp"),
                                       Made("faststart.mp4", faststart),
                                       Made("fragmented.mp4", fragmented)};
    ASSERT_EQ(MakeIsoWithGstreamer(folder_ / "gst-fragmented.mp4", 400), "");
    ASSERT_EQ(MakeIsoWithGstreamer(folder_ / "gst.mov", 0, true), "");
    inputs.push_back(folder_ / "gst-fragmented.mp4");
    inputs.push_back(folder_ / "gst.mov");
    inputs.push_back(
        Edited(inputs[0], "large.mov", [](IsoTestFile& f) { f.Find("mdat")->large = true; }));
    inputs.push_back(Edited(inputs[2], "to-end.mp4", [](IsoTestFile& f) {
        f.Find("mdat")->large = true;
        f.Find("mdat")->to_end = true;
    }));
    for (const std::string& in : inputs) {
        const std::string out = Rotated(in, 90, 90);
        EXPECT_EQ(StoredMatrix(out), Upright160x120Turned(90)) << in;
    }
    // The 3GP brands are the input's own.
    const std::string ftyp = ReadWholeFile(inputs[1]).substr(0, 24);
    EXPECT_EQ(ftyp.substr(8, 3), "3gp");
    EXPECT_EQ(ReadWholeFile(inputs[1] + "-90.out").substr(0, 24), ftyp);
}

TEST_F(IsoRewriteTest, PhonePortraitTurnsFurther)
{
    const std::string in = Edited(Made("plain.mp4"), "portrait.mp4", [](IsoTestFile& f) {
        SetTrackMatrix(*f.Find("moov/trak/tkhd"), Upright160x120Turned(90));
    });
    ASSERT_EQ(ExiftoolRotation(in), 90);
    EXPECT_EQ(StoredMatrix(Rotated(in, 90, 180)), Upright160x120Turned(180));
    EXPECT_EQ(StoredMatrix(Rotated(in, 270, 0)), Upright160x120Turned(0));
}

// A front camera's mirrored clip: [0 1; 1 0] reads 90; turned 90 more it
// must read 180 and still mirror.
TEST_F(IsoRewriteTest, MirroredTrackStaysMirrored)
{
    const std::string in = Edited(Made("plain.mp4"), "mirror.mp4", [](IsoTestFile& f) {
        SetTrackMatrix(*f.Find("moov/trak/tkhd"), {0, kOne, 0, kOne, 0, 0, 0, 0, kW});
    });
    ASSERT_EQ(ExiftoolRotation(in), 90);
    const std::string out = Rotated(in, 90, 180);
    EXPECT_EQ(StoredMatrix(out), (Matrix{-kOne, 0, 0, 0, kOne, 0, 160 << 16, 0, kW}));
    Matrix read{};
    ASSERT_TRUE(ReadDisplayMatrix(out, read));
    EXPECT_TRUE(MatrixMirrors(read));
}

// What a phone puts into a spatial or Dolby Vision clip: a second (here
// auxiliary) video track, a timed metadata track, QuickTime keys and
// items, maker atoms, a Dolby Vision configuration in the sample entry.
// Both picture tracks turn; everything else stays byte for byte.
TEST_F(IsoRewriteTest, PhoneExtrasStayAndEveryVideoTrackTurns)
{
    IsoRecipe two;
    two.second_video = true;
    const std::string in = Edited(Made("two.mov", two), "phone.mov", [](IsoTestFile& f) {
        TestBox* moov = f.Find("moov");
        SetTrackHandler(*f.Find("moov/trak[1]"), "auxv");
        TestBox meta = *f.Find("moov/trak[2]");
        SetTrackHandler(meta, "meta");
        SetTrackId(meta, 7);
        moov->children.push_back(meta);

        std::string dvvc(24, '\0');
        dvvc[0] = 1;       // version 1.0
        dvvc[2] = '\x0a';  // profile 5, level 6, RPU and base layer present
        dvvc[3] = '\x35';
        AddToSampleEntry(*f.Find("moov/trak"), LeafBox("dvvC", dvvc));

        const std::string key = "com.apple.quicktime.location.ISO6709";
        const std::string value = "+48.8577+002.2950/";
        const std::string data = U32Bytes(16 + static_cast<std::uint32_t>(value.size())) + "data" +
                                 U32Bytes(1) + U32Bytes(0) + value;
        const std::string item =
            U32Bytes(8 + static_cast<std::uint32_t>(data.size())) + U32Bytes(1) + data;
        // QuickTime's meta box has no version and flags, unlike ISO's.
        moov->children.push_back(ContainerBox(
            "meta", {LeafBox("hdlr", std::string(8, '\0') + "mdta" + std::string(13, '\0')),
                     LeafBox("keys", std::string(4, '\0') + U32Bytes(1) +
                                         U32Bytes(8 + static_cast<std::uint32_t>(key.size())) +
                                         "mdta" + key),
                     LeafBox("ilst", item)}));
        const std::string make = "Fennex Phone";
        moov->children.push_back(ContainerBox(
            "udta",
            {LeafBox("\xa9mak", U32Bytes(static_cast<std::uint32_t>(make.size()) << 16) + make)}));
    });
    ASSERT_EQ(InspectPath(in).video_tracks.size(), 2u);
    const std::string out = Rotated(in, 90, 90);
    EXPECT_EQ(StoredMatrix(out, 0), Upright160x120Turned(90));
    EXPECT_EQ(StoredMatrix(out, 1), (Matrix{0, kOne, 0, -kOne, 0, 0, 60 << 16, 0, kW}))
        << "the 80x60 auxiliary track";
    const auto tags = ExiftoolTags(out);
    EXPECT_NE(MetadataValue(tags, "Keys:GPSCoordinates"), "");
    EXPECT_EQ(MetadataValue(tags, "UserData:Make"), "Fennex Phone");
}

TEST_F(IsoRewriteTest, ReadBackFindsAMatrixThatIsNotTheWantedOne)
{
    const std::string in = Made("plain.mp4");
    const RotatedCopy rotated = RotateByCopy(in, folder_ / "out.mp4", 90);
    ASSERT_EQ(rotated.failed, "");
    const int fd = ::open((folder_ / "out.mp4").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    std::vector<IsoMatrixPatch> wanted = TurnedMatrices(rotated.inspection, 180);
    MatrixCheck check = VerifyMatrices(fd, wanted);
    EXPECT_FALSE(check.matches);
    EXPECT_NE(check.difference.find("another matrix"), std::string::npos) << check.difference;
    wanted.push_back(wanted.front());
    check = VerifyMatrices(fd, wanted);
    EXPECT_FALSE(check.matches);
    EXPECT_NE(check.difference.find("video tracks"), std::string::npos) << check.difference;
    ::close(fd);

    // A patch outside the file is refused before anything is written.
    const int out = ::open((folder_ / "out.mp4").c_str(), O_RDWR | O_CLOEXEC);
    const std::string before = ReadWholeFile(folder_ / "out.mp4");
    EXPECT_EQ(WriteMatrices(out, {{0, {}}, {rotated.inspection.file_size - 10, {}}}), EINVAL);
    ::close(out);
    EXPECT_EQ(ReadWholeFile(folder_ / "out.mp4"), before);
}

}  // namespace
