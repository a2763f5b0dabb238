#include "cli/CommandLine.h"

#include <gtest/gtest.h>

TEST(CommandLine, ReadsRotationFolderAndFilesInEitherSpelling)
{
    CommandLine line = ParseCommandLine({"--rotate", "90", "--output", "/out", "a.mp4", "b c.mkv"});
    EXPECT_EQ(line.error, "");
    EXPECT_EQ(line.rotation_deg, 90);
    EXPECT_EQ(line.output_folder, "/out");
    EXPECT_EQ(line.files, (std::vector<std::string>{"a.mp4", "b c.mkv"}));

    line = ParseCommandLine({"a.mp4", "--rotate=270", "-o", "out dir", "-v"});
    EXPECT_EQ(line.error, "");
    EXPECT_EQ(line.rotation_deg, 270);
    EXPECT_EQ(line.output_folder, "out dir");
    EXPECT_TRUE(line.verbose);
    EXPECT_EQ(line.files, (std::vector<std::string>{"a.mp4"}));

    // After "--" everything is a file, even names that look like options.
    line = ParseCommandLine({"-r", "180", "--output=/o", "--", "--help", "-x.mp4"});
    EXPECT_EQ(line.error, "");
    EXPECT_FALSE(line.help);
    EXPECT_EQ(line.files, (std::vector<std::string>{"--help", "-x.mp4"}));
}

TEST(CommandLine, RefusesWhatItCannotRun)
{
    EXPECT_NE(ParseCommandLine({"--rotate", "45", "--output", "/o", "a"}).error, "");
    EXPECT_NE(ParseCommandLine({"--rotate", "-90", "--output", "/o", "a"}).error, "");
    EXPECT_NE(ParseCommandLine({"--rotate", "90 ", "--output", "/o", "a"}).error, "");
    EXPECT_NE(ParseCommandLine({"--output", "/o", "a"}).error, "");
    EXPECT_NE(ParseCommandLine({"--rotate", "90", "a"}).error, "");
    EXPECT_NE(ParseCommandLine({"--rotate", "90", "--output", "/o"}).error, "");
    EXPECT_NE(ParseCommandLine({"--rotate", "90", "--output", "", "a"}).error, "");
    EXPECT_NE(ParseCommandLine({"--rotate", "90", "--output"}).error, "");

    const CommandLine unknown =
        ParseCommandLine({"--rotate", "90", "--fast", "--output", "/o", "a"});
    EXPECT_NE(unknown.error.find("--fast"), std::string::npos);
}

TEST(CommandLine, HelpAndVersionWinOverEverythingElse)
{
    const CommandLine line = ParseCommandLine({"--bogus", "--help"});
    EXPECT_TRUE(line.help);
    EXPECT_EQ(line.error, "");
    EXPECT_NE(UsageText().find("--rotate 90|180|270"), std::string::npos);

    const CommandLine version = ParseCommandLine({"--rotate", "45", "--version", "--help"});
    EXPECT_TRUE(version.version);
    EXPECT_FALSE(version.help);
    EXPECT_EQ(version.error, "");
    // After "--" it is a file.
    EXPECT_FALSE(ParseCommandLine({"-r", "90", "-o", "/o", "--", "--version"}).version);
}
