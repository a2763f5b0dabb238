#include "OwnedFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdlib.h>

namespace fs = std::filesystem;

namespace {

class OwnedFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/fennex-owned-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string Write(const std::string& name, const std::string& content)
    {
        const std::string path = folder + "/" + name;
        std::ofstream(path) << content;
        return path;
    }
    std::string Read(const std::string& name)
    {
        std::ifstream in(folder + "/" + name);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::string folder;
};

}  // namespace

TEST_F(OwnedFileTest, ReservationsTakeFreeNamesAndNeverTouchExistingFiles)
{
    Write("a.mov", "user's");
    std::string error;
    const auto first = ReserveFreeName(folder + "/a.mov", error);
    const auto second = ReserveFreeName(folder + "/a.mov", error);
    ASSERT_TRUE(first && second) << error;
    EXPECT_EQ(first->path, folder + "/a(0).mov");
    EXPECT_EQ(second->path, folder + "/a(1).mov");
    EXPECT_EQ(Read("a.mov"), "user's");
    EXPECT_EQ(fs::file_size(first->path), 0u);

    EXPECT_FALSE(ReserveFreeName(folder + "/missing/a.mov", error));
    EXPECT_NE(error, "");
}

TEST_F(OwnedFileTest, RemovesOnlyTheFileItCreated)
{
    std::string error;
    auto reserved = ReserveFreeName(folder + "/out.mov", error);
    ASSERT_TRUE(reserved);
    EXPECT_TRUE(IsStillOurs(*reserved));
    EXPECT_TRUE(RemoveIfOurs(*reserved));
    EXPECT_FALSE(fs::exists(reserved->path));

    // Somebody else's file now under the name: left alone.
    reserved = ReserveFreeName(folder + "/out.mov", error);
    ASSERT_TRUE(reserved);
    fs::remove(reserved->path);
    Write("out.mov", "someone else's");
    EXPECT_FALSE(IsStillOurs(*reserved));
    EXPECT_FALSE(RemoveIfOurs(*reserved));
    EXPECT_EQ(Read("out.mov"), "someone else's");
}

TEST_F(OwnedFileTest, FinalNameIsFreeAndNothingIsReplaced)
{
    std::string error;
    auto clip = ReserveFreeName(folder + "/clip.mov", error);
    ASSERT_TRUE(clip);
    std::ofstream(clip->path) << "rotated";  // the worker writes in place
    Write("clip.mp4", "the input");

    ASSERT_TRUE(MoveToFinalName(*clip, "mp4", error)) << error;
    EXPECT_EQ(clip->path, folder + "/clip(0).mp4");
    EXPECT_EQ(Read("clip(0).mp4"), "rotated");
    EXPECT_EQ(Read("clip.mp4"), "the input");
    EXPECT_FALSE(fs::exists(folder + "/clip.mov"));
    EXPECT_TRUE(IsStillOurs(*clip));

    // No extension, or already the right one: stays.
    auto plain = ReserveFreeName(folder + "/plain.mov", error);
    ASSERT_TRUE(plain);
    ASSERT_TRUE(MoveToFinalName(*plain, "", error));
    EXPECT_EQ(plain->path, folder + "/plain.mov");
    ASSERT_TRUE(MoveToFinalName(*plain, "mov", error));
    EXPECT_EQ(plain->path, folder + "/plain.mov");

    fs::remove(plain->path);
    EXPECT_FALSE(MoveToFinalName(*plain, "mp4", error));
    EXPECT_FALSE(fs::exists(folder + "/plain.mp4"));
}
