#include <gtest/gtest.h>

#include "tests/iso/IsoTestSupport.h"
#include "tests/support/IsoBoxEdit.h"
#include "tests/support/IsoFixtures.h"
#include "tests/support/MediaFixtures.h"

// A file cut short (a download or copy that stopped, a camera that lost
// power) is found before any output exists, with where it stops.

namespace {

using Verdict = IsoInspection::Verdict;

class IsoCompletenessTest : public ::testing::Test
{
protected:
    std::string Made(const std::string& name, const std::string& movflags,
                     const std::string& audio = "aac")
    {
        IsoRecipe recipe;
        recipe.seconds = 4.0;
        recipe.movflags = movflags;
        recipe.audio = audio;
        const std::string path = folder_ / name;
        EXPECT_EQ(MakeIsoWithFfmpeg(path, recipe), "");
        return path;
    }

    // Keeps the first `kept` bytes of `whole` and inspects them.
    IsoInspection Cut(const std::string& whole, std::uint64_t kept)
    {
        const std::string cut = folder_ / ("cut-" + std::to_string(kept));
        EXPECT_TRUE(CopyPrefix(whole, cut, static_cast<std::int64_t>(kept)));
        return InspectPath(cut);
    }

    // The box of the top level that holds the file's `fraction` point.
    static std::uint64_t Into(const std::string& path, const std::string& box, double fraction)
    {
        IsoTestFile file = IsoTestFile::Load(path);
        const TestBox* found = file.Find(box);
        if (!found)
            return 0;
        return found->old_start + found->old_header +
               static_cast<std::uint64_t>(static_cast<double>(found->old_size - found->old_header) *
                                          fraction);
    }

    // Cuts at `kept` and expects the time of the first packet past the cut
    // (as ffprobe places the packets of the whole file), within `slack`
    // seconds: the edit list of the sound moves ffprobe's times a little.
    // The duration is the movie header's; a fragmented file written as it
    // was recorded has none, and then the samples listed before the cut
    // give it (at least as long as where the file stops).
    void ExpectCutAt(const std::string& whole, std::uint64_t kept, double slack = 0.05,
                     bool duration_known = true)
    {
        SCOPED_TRACE(whole + " cut at " + std::to_string(kept));
        const double expected = FirstPacketPast(ProbePackets(whole), kept);
        ASSERT_GE(expected, 0.0);
        const IsoInspection inspection = Cut(whole, kept);
        EXPECT_EQ(inspection.verdict, Verdict::kCutShort) << inspection.not_taken;
        EXPECT_NEAR(inspection.ends_at_s, expected, slack);
        if (duration_known)
            EXPECT_NEAR(inspection.duration_s, 4.0, 0.1);
        else
            EXPECT_GE(inspection.duration_s, inspection.ends_at_s);
        EXPECT_TRUE(inspection.video_tracks.empty());
    }

    TempFolder folder_{"iso-cut"};
};

TEST_F(IsoCompletenessTest, MediaDataCutAfterTheMovieHeaderSaysWhereItStops)
{
    const std::string whole = Made("faststart.mp4", "+faststart");
    for (const double fraction : {0.1, 0.5, 0.9})
        ExpectCutAt(whole, Into(whole, "mdat", fraction));
    // Down to the last byte.
    ExpectCutAt(whole, static_cast<std::uint64_t>(FileSize(whole)) - 1);
}

// Sound whose samples all have one size is checked chunk by chunk without
// reading a size per sample.
TEST_F(IsoCompletenessTest, ConstantSizeSamplesAreLocatedToo)
{
    const std::string whole = Made("pcm.mov", "+faststart", "pcm_s16le");
    // ffprobe hands out whole chunks of sound, the reader the sample inside.
    const std::uint64_t kept = Into(whole, "mdat", 0.5);
    const IsoInspection inspection = Cut(whole, kept);
    EXPECT_EQ(inspection.verdict, Verdict::kCutShort);
    const double chunk_start = FirstPacketPast(ProbePackets(whole), kept);
    EXPECT_GE(inspection.ends_at_s, chunk_start - 0.05);
    EXPECT_LE(inspection.ends_at_s, chunk_start + 1.1);
}

TEST_F(IsoCompletenessTest, MovieHeaderAtTheEndMissingOrCutLeavesNothingToPlay)
{
    const std::string whole = Made("moov-last.mp4", "");
    // Cut in the media data: the movie header never came.
    IsoInspection inspection = Cut(whole, Into(whole, "mdat", 0.5));
    EXPECT_EQ(inspection.verdict, Verdict::kCutShort) << inspection.not_taken;
    EXPECT_EQ(inspection.ends_at_s, 0.0);
    EXPECT_EQ(inspection.duration_s, 0.0) << "unknown";
    EXPECT_TRUE(inspection.video_tracks.empty());

    // Cut in the movie header, after its mvhd: the duration is known.
    inspection = Cut(whole, Into(whole, "moov", 0.5));
    EXPECT_EQ(inspection.verdict, Verdict::kCutShort) << inspection.not_taken;
    EXPECT_EQ(inspection.ends_at_s, 0.0);
    EXPECT_NEAR(inspection.duration_s, 4.0, 0.1);

    // Cut in the file type box.
    // Cut in the file type box: still the start of an ISO file.
    inspection = Cut(whole, 12);
    EXPECT_EQ(inspection.verdict, Verdict::kCutShort);
    EXPECT_EQ(inspection.ends_at_s, 0.0);
}

TEST_F(IsoCompletenessTest, FragmentCutInItsDataOrItsHeader)
{
    const std::string whole = Made("fragmented.mp4", "frag_keyframe+empty_moov");
    // In the media data of the second and of the last fragment.
    ExpectCutAt(whole, Into(whole, "mdat[1]", 0.5), 0.05, false);
    ExpectCutAt(whole, Into(whole, "mdat[3]", 0.3), 0.05, false);
    // In the header of the third fragment: its samples are lost, the ones
    // before play.
    ExpectCutAt(whole, Into(whole, "moof[2]", 0.5), 0.1, false);
}

// Fragments whose data offsets count from their own moof (no base offset
// in the track fragment header).
TEST_F(IsoCompletenessTest, FragmentCountingFromItsMovieFragmentBox)
{
    const std::string whole = Made("base-moof.mp4", "frag_keyframe+empty_moov+default_base_moof");
    IsoTestFile file = IsoTestFile::Load(whole);
    ASSERT_EQ(GetU32(file.Find("moof/traf/tfhd")->payload, 0) & 0x020001, 0x020000u);
    ExpectCutAt(whole, Into(whole, "mdat[2]", 0.5), 0.05, false);
}

// 64-bit chunk offsets and 16-bit sample sizes, as long recordings and
// some cameras write them.
TEST_F(IsoCompletenessTest, WideOffsetsAndCompactSizesAreReadToo)
{
    IsoTestFile file = IsoTestFile::Load(Made("faststart.mp4", "+faststart"));
    for (int t = 0; t < 2; ++t) {
        TestBox* stbl = file.Find("moov/trak[" + std::to_string(t) + "]/mdia/minf/stbl");
        WidenChunkOffsets(*stbl);
        CompactSampleSizes(*stbl, 16);
    }
    const std::string whole = folder_ / "tables.mp4";
    ASSERT_TRUE(file.Save(whole));
    ASSERT_EQ(InspectPath(whole).verdict, Verdict::kRewritable);
    ExpectCutAt(whole, Into(whole, "mdat", 0.6));
}

TEST_F(IsoCompletenessTest, GStreamerFragmentCut)
{
    const std::string whole = folder_ / "gst.mp4";
    ASSERT_EQ(MakeIsoWithGstreamer(whole, 400), "");
    const std::uint64_t kept = Into(whole, "mdat[2]", 0.5);
    const double expected = FirstPacketPast(ProbePackets(whole), kept);
    const IsoInspection inspection = Cut(whole, kept);
    EXPECT_EQ(inspection.verdict, Verdict::kCutShort) << inspection.not_taken;
    EXPECT_NEAR(inspection.ends_at_s, expected, 0.05);
    EXPECT_GT(inspection.duration_s, inspection.ends_at_s);
}

// Every sample is there, but the index GStreamer puts after the last
// fragment is cut: the file is not whole, and it plays to its end.
TEST_F(IsoCompletenessTest, CutAfterTheLastSampleStillCounts)
{
    const std::string whole = folder_ / "gst.mp4";
    ASSERT_EQ(MakeIsoWithGstreamer(whole, 400), "");
    const IsoInspection inspection = Cut(whole, Into(whole, "mfra", 0.5));
    EXPECT_EQ(inspection.verdict, Verdict::kCutShort);
    EXPECT_NEAR(inspection.ends_at_s, 2.0, 0.05) << "50 pictures at 25 a second";
}

TEST_F(IsoCompletenessTest, WholeFilesAreNotCutShort)
{
    // A last box of size 0 reaches to the end of the file by definition.
    const std::string faststart = Made("faststart.mp4", "+faststart");
    IsoTestFile file = IsoTestFile::Load(faststart);
    file.Find("mdat")->to_end = true;
    ASSERT_TRUE(file.Save(folder_ / "to-end.mp4"));
    const IsoInspection inspection = InspectPath(folder_ / "to-end.mp4");
    EXPECT_EQ(inspection.verdict, Verdict::kRewritable) << inspection.not_taken;
    EXPECT_EQ(ReadRotationCw(folder_ / "to-end.mp4"), 0) << "libavformat reads it";
}

}  // namespace
