#include "batch/BatchPlan.h"
#include "batch/NameJournal.h"
#include "engine/ConversionJob.h"
#include "files/SafeMove.h"
#include "tests/support/FolderTest.h"

#include <cerrno>
#include <filesystem>
#include <memory>
#include <set>
#include <unistd.h>

namespace {

std::optional<std::uint64_t> Room(std::uint64_t bytes)
{
    return bytes;
}

class StartChecks : public FolderTest
{
protected:
    std::vector<TickedRow> Rows(std::initializer_list<std::string> names)
    {
        std::vector<TickedRow> rows;
        int r = 0;
        for (const std::string& name : names)
            rows.push_back({r++, Touch(name, "12345"), "00:00:01.000"});
        return rows;
    }
};

TEST_F(StartChecks, RefuseInTheirOrderAndChangeNothing)
{
    const auto rows = Rows({"a.mp4", "b.mp4"});
    const auto plenty = [](const std::string&) { return Room(1u << 30); };
    EXPECT_EQ(CheckBatchStart(0, {}, folder, plenty), StartRefusal::kNoRows);
    EXPECT_EQ(CheckBatchStart(2, {}, "/no/such/folder", plenty), StartRefusal::kNothingTicked);
    EXPECT_EQ(CheckBatchStart(2, rows, "/", plenty), StartRefusal::kFolderIsRoot);
    EXPECT_EQ(CheckBatchStart(2, rows, folder + "/missing", plenty), StartRefusal::kFolderMissing);
    EXPECT_EQ(CheckBatchStart(2, rows, "", plenty), StartRefusal::kFolderMissing);
    EXPECT_EQ(CheckBatchStart(2, rows, folder, plenty), StartRefusal::kNone);
    EXPECT_FALSE(Exists(Path("jlewhqlhqwenqfwk.mp4")));
}

TEST_F(StartChecks, ABatchHoldsAsManyRowsAsAreTicked)
{
    // The first design's tables held 9999 positions; a batch is sized to
    // its rows now.
    const std::vector<TickedRow> many(10001, TickedRow{0, Path("x.mp4"), ""});
    EXPECT_EQ(CheckBatchStart(10001, many, folder), StartRefusal::kNone);
}

TEST_F(StartChecks, FolderWithoutWriteAccessIsRefused)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the administrator may write everywhere";
    const auto rows = Rows({"a.mp4"});
    const std::string locked = Path("locked");
    std::filesystem::create_directory(locked);
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_exec);
    EXPECT_EQ(CheckBatchStart(1, rows, locked), StartRefusal::kFolderNotWritable);
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
}

TEST_F(StartChecks, UsersFileOfTheWriteTestNameSurvives)
{
    const auto rows = Rows({"a.mp4"});
    Touch("jlewhqlhqwenqfwk.mp4", "the user's own video");
    EXPECT_EQ(CheckBatchStart(1, rows, folder), StartRefusal::kNone);
    EXPECT_EQ(Read(Path("jlewhqlhqwenqfwk.mp4")), "the user's own video");
}

TEST_F(StartChecks, FreeSpaceMustCoverTheTickedInputs)
{
    auto rows = Rows({"a.mp4", "b.mp4"});       // 5 bytes each
    rows.push_back({2, Path("gone.mp4"), ""});  // missing inputs add nothing
    EXPECT_EQ(TotalInputBytes(rows), 10u);
    const auto exactly = [](const std::string&) { return Room(10); };
    const auto short1 = [](const std::string&) { return Room(9); };
    const auto unknown = [](const std::string&) { return std::optional<std::uint64_t>(); };
    EXPECT_EQ(CheckBatchStart(3, rows, folder, exactly), StartRefusal::kNone);
    EXPECT_EQ(CheckBatchStart(3, rows, folder, short1), StartRefusal::kNotEnoughSpace);
    EXPECT_EQ(CheckBatchStart(3, rows, folder, unknown), StartRefusal::kNone);
    ASSERT_TRUE(AvailableBytes(folder).has_value());
    EXPECT_GT(*AvailableBytes(folder), 0u);
    EXPECT_FALSE(AvailableBytes(Path("missing")).has_value());
}

class Preparation : public FolderTest
{
protected:
    void SetUp() override
    {
        FolderTest::SetUp();
        out = Path("out");
        std::filesystem::create_directory(out);
    }

    PreparedBatch Prepare(const std::vector<std::string>& inputs, const std::string& outputFolder)
    {
        std::vector<TickedRow> rows;
        for (std::size_t i = 0; i < inputs.size(); ++i)
            rows.push_back({static_cast<int>(i) * 2, inputs[i], "00:00:02.500"});
        return PrepareBatch(rows, outputFolder);
    }

    std::string out;
};

TEST_F(Preparation, InputsKeepTheirNamesAndOutputsKeepTheStem)
{
    const std::string clip = Touch("v/clip.mp4", "clip");
    const std::string upper = Touch("v/Clip2.MOV", "upper");
    Touch("v/other.mov", "in the way");
    const std::string other = Touch("v/other.avi", "other");
    const std::string bare = Touch("v/README", "bare");

    const PreparedBatch batch = Prepare({clip, upper, other, bare}, out);
    // A file name without a '.' stops the plan there.
    EXPECT_EQ(batch.stop, PreparedBatch::Stop::kNameWithoutDot);
    ASSERT_EQ(batch.files.size(), 3u);
    EXPECT_EQ(batch.files[0].input, clip);
    EXPECT_EQ(batch.files[0].output, out + "/clip.mov");
    EXPECT_EQ(batch.files[1].input, upper);
    EXPECT_EQ(batch.files[1].output, out + "/Clip2.MOV");
    EXPECT_EQ(batch.files[2].input, other);
    EXPECT_EQ(batch.files[2].output, out + "/other.mov");
    EXPECT_EQ(batch.files[2].row, 4);
    EXPECT_DOUBLE_EQ(batch.files[0].duration_s, 2.5);
    // Nothing on disk changed.
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Path("v")))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"Clip2.MOV", "README", "clip.mp4", "other.avi",
                                            "other.mov"}));
    EXPECT_EQ(Read(clip), "clip");
    EXPECT_TRUE(std::filesystem::is_empty(out));
}

TEST_F(Preparation, NoTwoPositionsShareAnOutputName)
{
    // Same stem in two folders: both outputs would be out/a.mov; the same
    // input ticked twice is read twice.
    const std::string first = Touch("x/a.mp4", "first");
    const std::string second = Touch("y/a.mkv", "second");
    PreparedBatch batch = Prepare({first, second, first}, out);
    ASSERT_TRUE(batch.Complete());
    EXPECT_EQ(batch.files[0].output, out + "/a.mov");
    EXPECT_EQ(batch.files[1].output, out + "/a(0).mov");
    EXPECT_EQ(batch.files[2].output, out + "/a(1).mov");

    // Beside the inputs: a.mov is free, nothing was renamed to it.
    const std::string plain = Touch("a.mp4", "plain");
    batch = Prepare({plain}, folder);
    ASSERT_TRUE(batch.Complete());
    EXPECT_EQ(batch.files[0].output, folder + "/a.mov");
}

TEST_F(Preparation, FinalNamesStartFromTheStemAsTheDiskHadIt)
{
    // clip.avi and clip.ts are both written as clip.mov / clip(0).mov; the
    // final names only step over what is on disk.
    const std::string avi = Touch("x/clip.avi"), ts = Touch("y/clip.ts");
    PreparedBatch batch = Prepare({avi, ts}, out);
    ASSERT_TRUE(batch.Complete());
    EXPECT_EQ(batch.files[1].output, out + "/clip(0).mov");
    EXPECT_EQ(batch.files[0].finalBase, out + "/clip");
    EXPECT_EQ(batch.files[1].finalBase, out + "/clip");

    // A file of the working name on disk at the start keeps its number.
    Touch("out/clip.mov", "the user's");
    batch = Prepare({avi}, out);
    EXPECT_EQ(batch.files[0].output, out + "/clip(0).mov");
    EXPECT_EQ(batch.files[0].finalBase, out + "/clip(0)");

    const std::vector<BatchFile> plain = PlanBatch({avi, ts, Path("z/clip")}, out + "/");
    EXPECT_EQ(plain[0].output, out + "/clip(0).mov");
    EXPECT_EQ(plain[1].output, out + "/clip(1).mov");
    EXPECT_EQ(plain[2].output, out + "/clip(2).mov");
    EXPECT_EQ(plain[1].finalBase, out + "/clip(0)");
    EXPECT_EQ(plain[1].input, ts);
}

TEST_F(Preparation, FillJobDescribesTheBatch)
{
    auto job = std::make_unique<ConversionJob>();
    job->cancel_requested = true;
    job->current_index = 7;
    job->files.resize(5);
    FillJob(*job, {{0, "/i/a.mov", "/o/a.mov", 1.5, 90}, {3, "/i/b.MOV", "/o/b.MOV", 2.0, 270}});
    ASSERT_EQ(job->FileCount(), 2);
    EXPECT_EQ(job->files[0].input_path, "/i/a.mov");
    EXPECT_EQ(job->files[1].output_path, "/o/b.MOV");
    EXPECT_DOUBLE_EQ(job->files[0].duration_s, 1.5);
    EXPECT_EQ(job->files[0].turn_deg, 90);
    EXPECT_EQ(job->files[1].turn_deg, 270);
    EXPECT_EQ(job->current_index, -1);
    EXPECT_FALSE(job->cancel_requested);
    EXPECT_EQ(job->progress_percent, 0);
}

TEST(ExtensionOfName, LowerCaseFromTheFileNamesLastDot)
{
    EXPECT_EQ(LowerExtension("/v/Clip.MoV"), ".mov");
    EXPECT_EQ(LowerExtension("/v.d/README"), "");
    EXPECT_EQ(LowerExtension("/v/a.tar.GZ"), ".gz");
}

}  // namespace
