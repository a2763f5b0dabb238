#include "OwnedFile.h"
#include "MediaFixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

class OwnedFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder.empty());
    }

    std::string Write(const std::string& name, const std::string& content)
    {
        const std::string path = folder + "/" + name;
        WriteBytes(path, content);
        return path;
    }
    std::string Read(const std::string& name) { return ReadWholeFile(folder + "/" + name); }

    TempFolder temp{"owned"};
    const std::string folder = temp.path();
};

}  // namespace

TEST_F(OwnedFileTest, ChosenNamesAreFreeAndDistinctWithinARun)
{
    Write("a.mov", "user's");
    std::set<std::string> taken;
    EXPECT_EQ(ChooseFreeName(folder + "/a.mov", taken), folder + "/a(0).mov");
    EXPECT_EQ(ChooseFreeName(folder + "/a.mov", taken), folder + "/a(1).mov");
    Write("a(2).mov", "another");
    EXPECT_EQ(ChooseFreeName(folder + "/a.mov", taken), folder + "/a(3).mov");
    EXPECT_EQ(ChooseFreeName(folder + "/b.mov", taken), folder + "/b.mov");
    EXPECT_EQ(ChooseFreeName(folder + "/b.mov", taken), folder + "/b(0).mov");
    EXPECT_EQ(Read("a.mov"), "user's");
    EXPECT_FALSE(fs::exists(folder + "/b.mov"));  // nothing is created

    // Numbers go before the file name's extension, never into a folder name.
    fs::create_directory(folder + "/v.d");
    Write("v.d/clip", "x");
    EXPECT_EQ(ChooseFreeName(folder + "/v.d/clip", taken), folder + "/v.d/clip(0)");
}

TEST_F(OwnedFileTest, ClaimsOnlyAFreshPlainFileAndRemovesOnlyThatOne)
{
    const std::time_t start = std::time(nullptr) - 2;
    EXPECT_FALSE(ClaimWrittenFile(folder + "/none.mov", start));
    fs::create_directory(folder + "/dir.mov");
    EXPECT_FALSE(ClaimWrittenFile(folder + "/dir.mov", start));
    const std::string old = Write("old.mov", "from before the run");
    fs::last_write_time(old, fs::file_time_type::clock::now() - std::chrono::hours(1));
    EXPECT_FALSE(ClaimWrittenFile(old, start));
    fs::create_hard_link(Write("linked.mov", "x"), folder + "/other-name");
    EXPECT_FALSE(ClaimWrittenFile(folder + "/linked.mov", start));

    auto written = ClaimWrittenFile(Write("out.mov", "partial"), start);
    ASSERT_TRUE(written);
    EXPECT_TRUE(IsStillOurs(*written));
    // Somebody else's file now under the name: left alone.
    fs::remove(written->path);
    Write("out.mov", "someone else's");
    EXPECT_FALSE(IsStillOurs(*written));
    EXPECT_FALSE(RemoveIfOurs(*written));
    EXPECT_EQ(Read("out.mov"), "someone else's");

    auto again = ClaimWrittenFile(folder + "/out.mov", start);
    ASSERT_TRUE(again);
    EXPECT_TRUE(RemoveIfOurs(*again));
    EXPECT_FALSE(fs::exists(folder + "/out.mov"));
    EXPECT_EQ(Read("old.mov"), "from before the run");
}

TEST_F(OwnedFileTest, FinalNameIsFreeAndNothingIsReplaced)
{
    const std::time_t start = std::time(nullptr) - 2;
    auto clip = ClaimWrittenFile(Write("clip.mov", "rotated"), start);
    ASSERT_TRUE(clip);
    Write("clip.mp4", "the input");

    std::string error;
    ASSERT_TRUE(MoveToFinalName(*clip, "mp4", error)) << error;
    EXPECT_EQ(clip->path, folder + "/clip(0).mp4");
    EXPECT_EQ(Read("clip(0).mp4"), "rotated");
    EXPECT_EQ(Read("clip.mp4"), "the input");
    EXPECT_FALSE(fs::exists(folder + "/clip.mov"));
    EXPECT_TRUE(IsStillOurs(*clip));

    // No extension, or already the right one: stays.
    auto plain = ClaimWrittenFile(Write("plain.mov", "rotated"), start);
    ASSERT_TRUE(plain);
    ASSERT_TRUE(MoveToFinalName(*plain, "", error));
    EXPECT_EQ(plain->path, folder + "/plain.mov");
    ASSERT_TRUE(MoveToFinalName(*plain, "mov", error));
    EXPECT_EQ(plain->path, folder + "/plain.mov");

    fs::remove(plain->path);
    EXPECT_FALSE(MoveToFinalName(*plain, "mp4", error));
    EXPECT_FALSE(fs::exists(folder + "/plain.mp4"));
}
