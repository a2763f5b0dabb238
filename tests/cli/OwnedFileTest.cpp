#include "OwnedFile.h"
#include "MediaFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class OwnedFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = MakeTempFolder("owned");
        ASSERT_FALSE(folder.empty());
    }
    void TearDown() override { RemoveTree(folder); }

    std::string Write(const std::string& name, const std::string& content)
    {
        const std::string path = folder + "/" + name;
        WriteBytes(path, content);
        return path;
    }
    std::string Read(const std::string& name) { return ReadWholeFile(folder + "/" + name); }
    // Claims the file under path as the worker would report it.
    static std::optional<OwnedFile> Claim(const std::string& path)
    {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0)
            return std::nullopt;
        return ClaimWrittenFile(path, info.st_dev, info.st_ino);
    }

    std::string folder;
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

TEST_F(OwnedFileTest, ClaimsOnlyTheReportedFileAndRemovesOnlyThatOne)
{
    EXPECT_FALSE(Claim(folder + "/none.mov"));
    fs::create_directory(folder + "/dir.mov");
    EXPECT_FALSE(Claim(folder + "/dir.mov"));
    const std::string old = Write("old.mov", "from before the run");
    const std::string out = Write("out.mov", "partial");
    struct stat report {};
    ASSERT_EQ(::stat(out.c_str(), &report), 0);
    EXPECT_FALSE(ClaimWrittenFile(old, report.st_dev, report.st_ino)) << "another file under a reported name";

    auto written = ClaimWrittenFile(out, report.st_dev, report.st_ino);
    ASSERT_TRUE(written);
    EXPECT_TRUE(IsStillOurs(*written));
    // Somebody else's file now under the name: left alone, and not claimed.
    fs::remove(written->path);
    Write("out.mov", "someone else's");
    EXPECT_FALSE(IsStillOurs(*written));
    EXPECT_FALSE(RemoveIfOurs(*written));
    EXPECT_EQ(Read("out.mov"), "someone else's");
    written.reset();
    EXPECT_FALSE(ClaimWrittenFile(out, report.st_dev, report.st_ino));

    auto again = Claim(folder + "/out.mov");
    ASSERT_TRUE(again);
    EXPECT_TRUE(RemoveIfOurs(*again));
    EXPECT_FALSE(fs::exists(folder + "/out.mov"));
    EXPECT_EQ(Read("old.mov"), "from before the run");
}

TEST_F(OwnedFileTest, FinalNameIsFreeAndNothingIsReplaced)
{
    auto clip = Claim(Write("clip.mov", "rotated"));
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
    auto plain = Claim(Write("plain.mov", "rotated"));
    ASSERT_TRUE(plain);
    ASSERT_TRUE(MoveToFinalName(*plain, "", error));
    EXPECT_EQ(plain->path, folder + "/plain.mov");
    ASSERT_TRUE(MoveToFinalName(*plain, "mov", error));
    EXPECT_EQ(plain->path, folder + "/plain.mov");

    fs::remove(plain->path);
    EXPECT_FALSE(MoveToFinalName(*plain, "mp4", error));
    EXPECT_FALSE(fs::exists(folder + "/plain.mp4"));
}
