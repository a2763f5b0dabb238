#include "tests/cli/ProgramRun.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

// The command line where its surroundings are careless or hostile: special
// files in the output folder, a terminal that closes, nowhere to keep the
// record of unfinished outputs, names made to forge lines.

namespace fs = std::filesystem;

namespace {

// Sets an environment variable for the life of the object.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

class HostileSurroundings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directory(in);
        fs::create_directory(out);
        ASSERT_EQ(MakeMediaFile(clip, MediaRecipe{}), "");
    }

    TempFolder temp{"cli-hostile"};
    std::string in = temp / "in", out = temp / "out", clip = in + "/clip.mp4";
};

}  // namespace

TEST_F(HostileSurroundings, FifosAndLinksAtTheOutputNamesAreNeitherOpenedNorFollowed)
{
    const std::string elsewhere = temp / "elsewhere.mp4";
    ASSERT_TRUE(WriteBytes(elsewhere, "somebody's file"));
    for (const char* name : {"jlewhqlhqwenqfwk.mp4", "clip.mp4"})
        ASSERT_EQ(::mkfifo((out + "/" + name).c_str(), 0644), 0);
    for (const char* name : {"jlewhqlhqwenqfwk(1).mp4", "clip(0).mp4"})
        ASSERT_EQ(::symlink(elsewhere.c_str(), (out + "/" + name).c_str()), 0);

    const ProgramResult result = RunRotate({"--rotate", "90", "--output", out, clip});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(result.out.substr(0, result.out.find('\n')),
              "done: " + clip + " -> " + out + "/clip(1).mp4");
    EXPECT_EQ(ReadRotationCw(out + "/clip(1).mp4"), 90);
    EXPECT_EQ(ReadWholeFile(elsewhere), "somebody's file");
    EXPECT_EQ(Names(out), (std::set<std::string>{"jlewhqlhqwenqfwk.mp4", "clip.mp4",
                                                 "jlewhqlhqwenqfwk(1).mp4", "clip(0).mp4",
                                                 "clip(1).mp4"}));
    EXPECT_TRUE(fs::is_fifo(out + "/clip.mp4"));
    EXPECT_TRUE(fs::is_symlink(out + "/clip(0).mp4"));
}

TEST_F(HostileSurroundings, AClosedTerminalStopsTheBatchAndLeavesNoPartialOutput)
{
    MediaRecipe recipe;
    recipe.seconds = 4;
    recipe.width = 640;
    recipe.height = 480;
    ASSERT_EQ(MakeMediaFile(clip, recipe), "");
    const std::string original = ReadWholeFile(clip);
    std::vector<std::string> args{"--rotate", "90", "--output", out};
    for (int i = 0; i < 400; ++i)
        args.push_back(clip);

    RunningRotate running(args);
    std::string line;
    bool sawDone = false;
    while (!sawDone && running.ReadLine(line))
        sawDone = line.rfind("done: ", 0) == 0;
    ASSERT_TRUE(sawDone);
    running.Signal(SIGHUP);
    const ProgramResult result = running.Wait();

    EXPECT_EQ(result.status, 1) << result.out;
    const std::size_t done = CountLines(result.out, "done: ");
    ASSERT_LT(done, args.size() - 4) << "the batch ended before the hang-up reached it";
    const std::set<std::string> names = Names(out);
    EXPECT_EQ(names.size(), done);
    for (const std::string& name : names)
        EXPECT_EQ(ReadRotationCw(out + "/" + name), 90) << name;
    EXPECT_TRUE(ReadWholeFile(clip) == original);
}

TEST_F(HostileSurroundings, WithNowhereToKeepTheRecordOfOutputsTheRunWarnsAndGoesOn)
{
    // A copy of the program with no setting.ini beside it keeps the record
    // in the state folder, which here can never be made.
    const std::string programs = temp / "programs";
    fs::create_directory(programs);
    const std::string program = programs + "/fennex-rotate";
    fs::copy_file(FENNEX_ROTATE_EXE, program);
    const std::string plainFile = temp / "plain";
    ASSERT_TRUE(WriteBytes(plainFile, ""));
    const ScopedEnv home("HOME", plainFile);
    const ScopedEnv state("XDG_STATE_HOME", plainFile + "/state");

    std::string log;
    EXPECT_EQ(RunProgram({program, "--rotate", "90", "--output", out, clip}, &log), 0) << log;
    EXPECT_NE(log.find("fennex-rotate: warning: no folder can keep the record of unfinished "
                       "outputs"),
              std::string::npos)
        << log;
    EXPECT_LT(log.find("warning"), log.find("done: ")) << log;
    EXPECT_EQ(ReadRotationCw(out + "/clip.mp4"), 90);
}

TEST_F(HostileSurroundings, ANameWithControlCharactersIsOneQuotedLine)
{
    const std::string forged = in + "/a\ndone: forged.mp4";
    fs::copy_file(clip, forged);
    const ProgramResult result = RunRotate({"--rotate", "90", "--output", out, forged});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(result.out, "done: $'" + in + "/a\\ndone: forged.mp4' -> $'" + out +
                              "/a\\ndone: forged.mp4'\n1 done, 0 failed, 0 rejected\n");
    // Progress lines, if the file was slow enough for any, are one line each.
    std::size_t at = 0;
    for (std::size_t end; (end = result.err.find('\n', at)) != std::string::npos; at = end + 1) {
        const std::string line = result.err.substr(at, end - at);
        EXPECT_EQ(line.rfind("[1/1] ", 0), 0u) << line;
        EXPECT_NE(line.find(" $'" + in + "/a\\ndone: forged.mp4'"), std::string::npos) << line;
    }
    EXPECT_EQ(at, result.err.size()) << result.err;
}
