#include "batch/FileNames.h"
#include "tests/support/FolderTest.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

TEST(DurationText, FormatsHoursMinutesSecondsAndMillis)
{
    EXPECT_EQ(FormatDuration(3725042), "01:02:05.042");
    EXPECT_EQ(FormatDuration(62500), "00:01:02.500");
    EXPECT_EQ(FormatDuration(0), "00:00:00.000");
    EXPECT_EQ(FormatDuration(360000000), "100:00:00.000");
    EXPECT_EQ(FormatDuration(1005), "00:00:01.005");
    EXPECT_EQ(FormatDuration(1050), "00:00:01.050");
}

TEST(DurationText, ParsesWhatItFormats)
{
    for (int ms : {0, 1, 999, 1500, 62500, 3725042, 86399999, 360000000, INT_MAX / 2})
        EXPECT_EQ(ParseDuration(FormatDuration(ms)), ms) << ms;
    EXPECT_EQ(ParseDuration("00:00:01.500"), 1500);
    EXPECT_EQ(ParseDuration(" 01:02:05.042"), 3725042);
}

TEST(DurationText, OddTextGivesZeroPartsInsteadOfGarbage)
{
    EXPECT_EQ(ParseDuration(""), 0);
    EXPECT_EQ(ParseDuration("abc"), 0);
    EXPECT_EQ(ParseDuration("00:00:07"), 7000);
    EXPECT_EQ(ParseDuration("12"), 12 * 3600 * 1000);
}

TEST(FileNameParts, ExtensionIsTheTextAfterTheLastDot)
{
    EXPECT_EQ(FileExtension("/v/a.mp4"), "mp4");
    EXPECT_EQ(FileExtension("/v/Clip.MOV"), "MOV");
    EXPECT_EQ(FileExtension("/v/a.tar.gz"), "gz");
    EXPECT_EQ(FileExtension("/v/clip"), "/v/clip");
    EXPECT_EQ(FileExtension("/v.d/clip"), "d/clip");
}

TEST(FileNameParts, StemIsTheFileNameUpToItsLastDot)
{
    EXPECT_EQ(FileStem("/v/clip.mp4"), "clip");
    EXPECT_EQ(FileStem("/v/a.b.c.MOV"), "a.b.c");
    EXPECT_EQ(FileStem("/v.d/clip"), "clip");
    EXPECT_EQ(FileStem("clip"), "clip");
    EXPECT_EQ(FileStem("/v/名字 with 'quotes'.mkv"), "名字 with 'quotes'");
    EXPECT_EQ(FileStem("/v/.hidden"), "");
}

TEST(FileNameParts, ExtensionDotIsTheFileNamesLastDot)
{
    EXPECT_EQ(ExtensionDot("/v/a.tar.gz"), 8u);
    EXPECT_EQ(ExtensionDot("clip.mp4"), 4u);
    EXPECT_EQ(ExtensionDot("/v/clip"), std::string::npos);
    EXPECT_EQ(ExtensionDot("/v.d/clip"), std::string::npos);
}

TEST_F(FolderTest, NextFreeNameCountsBeforeTheExtension)
{
    const std::string wanted = folder + "/a.mov";
    EXPECT_EQ(NextFreeName(wanted), wanted);
    Touch("a.mov");
    EXPECT_EQ(NextFreeName(wanted), folder + "/a(0).mov");
    Touch("a(0).mov");
    Touch("a(1).mov");
    EXPECT_EQ(NextFreeName(wanted), folder + "/a(2).mov");
}

TEST_F(FolderTest, NextFreeNameAlsoStepsOverNamesHandedOutAlready)
{
    const std::string wanted = folder + "/a.mov";
    std::set<std::string> taken{wanted, folder + "/a(1).mov"};
    Touch("a(0).mov");
    EXPECT_EQ(NextFreeName(wanted, taken), folder + "/a(2).mov");
    EXPECT_EQ(NextFreeName(folder + "/b.mov", taken), folder + "/b.mov");
}

TEST_F(FolderTest, NextFreeNameNeverNumbersAFolderName)
{
    fs::create_directory(folder + "/v.d");
    const std::string wanted = folder + "/v.d/clip";
    Touch("v.d/clip");
    EXPECT_EQ(NextFreeName(wanted), folder + "/v.d/clip(0)");
}

TEST_F(FolderTest, PathExistsSeesFilesFoldersAndDanglingLinks)
{
    EXPECT_FALSE(PathExists(folder + "/none"));
    EXPECT_FALSE(PathExists(""));
    EXPECT_TRUE(PathExists(Touch("名字 with space.mp4")));
    EXPECT_TRUE(PathExists(folder));
    fs::create_symlink(folder + "/missing-target", folder + "/link");
    EXPECT_TRUE(PathExists(folder + "/link"));  // a name that is taken all the same
}

TEST_F(FolderTest, WriteTestLeavesNoTraceAndNeverTouchesAUsersFile)
{
    EXPECT_TRUE(FolderWriteTest(folder));
    EXPECT_TRUE(FolderWriteTest(folder + "/"));
    EXPECT_FALSE(PathExists(folder + "/jlewhqlhqwenqfwk.mp4"));

    const std::string users = Touch("jlewhqlhqwenqfwk.mp4", "precious");
    EXPECT_TRUE(FolderWriteTest(folder));
    EXPECT_EQ(ReadWholeFile(users), "precious");

    EXPECT_FALSE(FolderWriteTest(folder + "/no-such-folder"));
    EXPECT_FALSE(FolderWriteTest(Touch("plain-file")));
    EXPECT_FALSE(FolderWriteTest(""));
}

TEST_F(FolderTest, FinalOutputNameTakesTheInputsExtensionWithoutOverwriting)
{
    const std::string written = Touch("clip.mov");
    EXPECT_EQ(FinalOutputName(written, "mp4"), folder + "/clip.mp4");
    EXPECT_EQ(FinalOutputName(written, "MKV"), folder + "/clip.MKV");
    // Already its name: kept, not numbered against itself.
    EXPECT_EQ(FinalOutputName(written, "mov"), written);
    // A case-sensitive file system treats .MOV as another name.
    EXPECT_EQ(FinalOutputName(written, "MOV"), folder + "/clip.MOV");

    Touch("clip.mp4");
    Touch("clip(0).mp4");
    EXPECT_EQ(FinalOutputName(written, "mp4"), folder + "/clip(1).mp4");

    const std::string numbered = Touch("clip(0).mov");
    EXPECT_EQ(FinalOutputName(numbered, "mp4"), folder + "/clip(0)(0).mp4");
    EXPECT_EQ(FinalOutputName(written, ""), written);
}

TEST_F(FolderTest, FinalOutputNameStartsFromTheBaseTheBatchChose)
{
    // Written as clip(0).mov only to keep apart from another working name:
    // the final name starts from "clip" again.
    const std::string written = Touch("clip(0).mov");
    EXPECT_EQ(FinalOutputName(written, folder + "/clip", "ts"), folder + "/clip.ts");
    Touch("clip.ts");
    EXPECT_EQ(FinalOutputName(written, folder + "/clip", "ts"), folder + "/clip(0).ts");
    // The written file itself never counts as taken, and one already
    // ending in the extension keeps its name.
    const std::string numbered = Touch("take(0).MOV");
    EXPECT_EQ(FinalOutputName(numbered, folder + "/take", "MOV"), numbered);
    EXPECT_EQ(WithoutExtension("/v.d/clip"), "/v.d/clip");
    EXPECT_EQ(WithoutExtension("/v/clip(0).mov"), "/v/clip(0)");
}
