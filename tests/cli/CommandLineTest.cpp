#include "cli/CommandLine.h"

#include <gtest/gtest.h>

#include <algorithm>

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

TEST(CommandLine, EachRotateTurnsTheFilesAfterIt)
{
    struct Case {
        std::vector<std::string> args;
        std::vector<int> turns;
        int first;
    };
    const Case cases[] = {
        // One --rotate, wherever it stands, turns every file.
        {{"-r", "90", "a", "b", "-o", "/o"}, {90, 90}, 90},
        {{"a", "b", "--rotate=180", "-o", "/o"}, {180, 180}, 180},
        {{"-r", "90", "a", "b", "-r", "270", "c", "-o", "/o"}, {90, 90, 270}, 90},
        // Files before the first --rotate take that first one.
        {{"a", "-r", "270", "b", "-r", "90", "c", "d"}, {270, 270, 90, 90}, 270},
        // A --rotate with no file after it turns nothing.
        {{"-r", "90", "a", "-o", "/o", "-r", "180"}, {90}, 90},
        {{"-r", "180", "-r", "90", "--", "-a", "-r"}, {90, 90}, 180},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        if (std::find(args.begin(), args.end(), "-o") == args.end())
            args.insert(args.begin(), {"-o", "/o"});
        const CommandLine line = ParseCommandLine(args);
        EXPECT_EQ(line.error, "") << args[2];
        EXPECT_EQ(line.turns, c.turns) << args[2];
        EXPECT_EQ(line.turns.size(), line.files.size());
        EXPECT_EQ(line.rotation_deg, c.first);
    }
    // A bad angle anywhere is refused.
    EXPECT_NE(ParseCommandLine({"-r", "90", "a", "-r", "45", "b", "-o", "/o"}).error, "");
}
