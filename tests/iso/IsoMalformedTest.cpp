#include <gtest/gtest.h>

#include "tests/iso/IsoTestSupport.h"
#include "tests/support/IsoBoxEdit.h"
#include "tests/support/IsoFixtures.h"
#include "tests/support/TempFolder.h"

// Box sizes and table counts that lie: the file is refused (or found cut
// short), quickly, and nothing is read outside it.

namespace {

using Verdict = IsoInspection::Verdict;

class IsoMalformedTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        IsoRecipe recipe;
        ASSERT_EQ(MakeIsoWithFfmpeg(folder_ / "plain.mp4", recipe), "");
        plain_ = ReadWholeFile(folder_ / "plain.mp4");
        recipe.movflags = "frag_keyframe+empty_moov";
        recipe.seconds = 3.0;  // three fragments
        ASSERT_EQ(MakeIsoWithFfmpeg(folder_ / "frag.mp4", recipe), "");
        fragmented_ = ReadWholeFile(folder_ / "frag.mp4");
    }

    static std::uint64_t At(const std::string& bytes, const std::string& path)
    {
        IsoTestFile file(bytes);
        const TestBox* box = file.Find(path);
        EXPECT_TRUE(box) << path;
        return box ? box->old_start : 0;
    }

    IsoInspection Inspect(const std::string& bytes)
    {
        const std::string path = folder_ / ("case-" + std::to_string(++cases_) + ".mp4");
        EXPECT_TRUE(WriteBytes(path, bytes));
        return InspectPath(path);
    }

    // Sets the 32-bit size of the box at `path` and expects the verdict.
    void ExpectSize(const std::string& bytes, const std::string& path, std::uint32_t size,
                    Verdict verdict, const std::string& why)
    {
        SCOPED_TRACE(path + " of size " + std::to_string(size));
        std::string lying = bytes;
        PutU32(lying, At(bytes, path), size);
        const IsoInspection inspection = Inspect(lying);
        EXPECT_EQ(inspection.verdict, verdict) << inspection.not_taken;
        EXPECT_NE(inspection.not_taken.find(why), std::string::npos) << inspection.not_taken;
    }

    TempFolder folder_{"iso-malformed"};
    std::string plain_, fragmented_;
    int cases_ = 0;
};

TEST_F(IsoMalformedTest, SizesThatLieAreRefused)
{
    const std::uint32_t moov_size = GetU32(plain_, At(plain_, "moov"));
    ExpectSize(plain_, "moov/trak", moov_size, Verdict::kNotTaken, "runs past its parent");
    ExpectSize(plain_, "moov/trak/mdia/minf/stbl/stts", 0, Verdict::kNotTaken, "size 0");
    ExpectSize(plain_, "moov/trak/tkhd", 7, Verdict::kNotTaken, "smaller than its header");
    ExpectSize(plain_, "moov/trak/tkhd", 20, Verdict::kNotTaken, "too short");
    ExpectSize(plain_, "ftyp", 4, Verdict::kNotTaken, "smaller than its header");
    // The media data "to the end" swallows the movie header after it.
    ExpectSize(plain_, "mdat", 0, Verdict::kNotTaken, "no movie header");
    // Media data that claims more than the file: cut short.
    ExpectSize(plain_, "mdat", 0x7fffffff, Verdict::kCutShort, "");
    ExpectSize(fragmented_, "moof[1]/traf/trun", 0x10000, Verdict::kNotTaken, "runs past it");
}

TEST_F(IsoMalformedTest, LargeSizeThatLiesIsRefusedOrCut)
{
    IsoTestFile file(plain_);
    file.Find("mdat")->large = true;
    const std::string large = file.Bytes();
    std::string lying = large;
    const std::uint64_t mdat = At(large, "mdat");
    PutU64(lying, mdat + 8, 4);  // smaller than its 16-byte header
    EXPECT_EQ(Inspect(lying).verdict, Verdict::kNotTaken);
    PutU64(lying, mdat + 8, ~std::uint64_t{0});
    EXPECT_EQ(Inspect(lying).verdict, Verdict::kCutShort);
}

TEST_F(IsoMalformedTest, NestingWithoutEndIsNotFollowed)
{
    IsoTestFile file(plain_);
    TestBox chain = LeafBox("free", "");
    for (int i = 0; i < 1000; ++i)
        chain = ContainerBox(i % 2 ? "trak" : "moov", {chain});
    file.Find("moov")->children.push_back(chain);
    const IsoInspection inspection = Inspect(file.Bytes());
    EXPECT_EQ(inspection.verdict, Verdict::kNotTaken);
}

TEST_F(IsoMalformedTest, TableCountsThatLieAreRefused)
{
    const auto with_count = [&](const std::string& path, std::size_t field, std::uint32_t count) {
        std::string lying = plain_;
        IsoTestFile file(plain_);
        const TestBox* box = file.Find(path);
        PutU32(lying, box->old_start + box->old_header + field, count);
        return Inspect(lying);
    };
    const std::string stbl = "moov/trak/mdia/minf/stbl/";
    EXPECT_EQ(with_count(stbl + "stsz", 8, 0xffffffff).verdict, Verdict::kNotTaken);
    EXPECT_EQ(with_count(stbl + "stco", 4, 0x40000000).verdict, Verdict::kNotTaken);
    EXPECT_EQ(with_count(stbl + "stsc", 4, 1000).verdict, Verdict::kNotTaken);
    EXPECT_EQ(with_count(stbl + "stts", 4, 0xfffffff0).verdict, Verdict::kNotTaken);
    // A first chunk of 0 or runs out of order.
    EXPECT_EQ(with_count(stbl + "stsc", 8, 0).verdict, Verdict::kNotTaken);
}

// Counts that cost nothing to claim: one sample size for all samples, or a
// track run without per-sample entries. Judged by arithmetic, not by a
// loop over four billion samples.
TEST_F(IsoMalformedTest, HugeCountsWithoutEntriesAreJudgedAtOnce)
{
    IsoTestFile file(fragmented_);
    TestBox* trun = file.Find("moof[1]/traf/trun");
    ASSERT_TRUE(trun);
    PutU32(trun->payload, 0, 0x000001);     // a data offset, no per-sample fields
    PutU32(trun->payload, 4, 0xffffffffu);  // sample count
    IsoInspection inspection = Inspect(file.Bytes());
    // Four billion samples in a file of a few kilobytes: no reader could
    // index them, and no time past the end would say why.
    EXPECT_EQ(inspection.verdict, Verdict::kOverclaimed) << inspection.not_taken;
    EXPECT_EQ(inspection.not_taken, "the tables describe more samples than the file holds");

    IsoTestFile plain(plain_);
    TestBox* stsz = plain.Find("moov/trak/mdia/minf/stbl/stsz");
    stsz->payload = std::string(4, '\0') + U32Bytes(100) + U32Bytes(0xffffffffu);
    inspection = Inspect(plain.Bytes());
    EXPECT_NE(inspection.verdict, Verdict::kUnreadable);
}

TEST_F(IsoMalformedTest, FragmentOfAnUnknownTrackIsRefused)
{
    IsoTestFile file(fragmented_);
    TestBox* tfhd = file.Find("moof/traf/tfhd");
    PutU32(tfhd->payload, 4, 99);
    const IsoInspection inspection = Inspect(file.Bytes());
    EXPECT_EQ(inspection.verdict, Verdict::kNotTaken);
    EXPECT_NE(inspection.not_taken.find("does not list"), std::string::npos);
}

}  // namespace
