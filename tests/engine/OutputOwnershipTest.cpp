#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "batch/FileNames.h"
#include "engine/RotationWorker.h"
#include "tests/engine/EngineTestSupport.h"

// The worker writes only into files it created itself, and removes only
// those very files.

namespace {

struct Identity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    long long size = -1;
};

Identity IdentityOf(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return {};
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<long long>(info.st_size)};
}

// The caller's free-name rule, simplified: "name.mov" -> "name-2.mov".
std::string SecondName(const std::string& taken)
{
    return taken.substr(0, taken.size() - 4) + "-2.mov";
}

class OutputOwnershipTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(MakeMediaFile(folder_ / "in.mp4", MediaRecipe{}), ""); }

    TempFolder folder_{"ownership"};
};

}  // namespace

TEST_F(OutputOwnershipTest, TakenNameIsNeverOpenedAndTheNextNameIsWritten)
{
    ASSERT_TRUE(WriteBytes(folder_ / "a.mov", "somebody's file"));
    ASSERT_EQ(::symlink("/dev/null", (folder_ / "b.mov").c_str()), 0);
    auto job = MakeJob(90);
    AddFile(*job, folder_ / "in.mp4", folder_ / "a.mov");
    AddFile(*job, folder_ / "in.mp4", folder_ / "b.mov");
    AddFile(*job, folder_ / "in.mp4", folder_ / "c.mov");
    job->next_output_name = SecondName;
    std::vector<std::pair<int, Identity>> reported;
    job->output_created_hook = [&](int index, const CreatedFile& file) {
        // Reported before anything is written into it.
        const Identity now = IdentityOf(file.path);
        EXPECT_EQ(now.size, 0) << file.path;
        EXPECT_EQ(now.device, file.device);
        EXPECT_EQ(now.inode, file.inode);
        EXPECT_TRUE(job->reports[static_cast<std::size_t>(index)].output_created.load());
        reported.emplace_back(index, now);
    };

    EXPECT_EQ(RunBatch(*job), 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(job->reports[static_cast<std::size_t>(i)].file_status.load(), kFileDone) << i;
    EXPECT_EQ(ReadWholeFile(folder_ / "a.mov"), "somebody's file");
    char target[64] = {};
    EXPECT_GT(::readlink((folder_ / "b.mov").c_str(), target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "/dev/null");
    EXPECT_EQ(ReadRotationCw(folder_ / "a-2.mov"), 90);
    EXPECT_EQ(ReadRotationCw(folder_ / "b-2.mov"), 90);
    EXPECT_EQ(ReadRotationCw(folder_ / "c.mov"), 90);
    EXPECT_FALSE(PathExists(folder_ / "c-2.mov"));

    ASSERT_EQ(reported.size(), 3u);
    const char* expected[] = {"a-2.mov", "b-2.mov", "c.mov"};
    for (int i = 0; i < 3; ++i) {
        const auto k = static_cast<std::size_t>(i);
        EXPECT_EQ(reported[k].first, i);
        EXPECT_EQ(job->reports[k].created_output.path, folder_ / expected[i]);
        EXPECT_EQ(job->reports[k].created_output.inode, IdentityOf(folder_ / expected[i]).inode);
    }
}

TEST_F(OutputOwnershipTest, WithoutANameRuleATakenNameFailsTheFileWithAReason)
{
    ASSERT_TRUE(WriteBytes(folder_ / "a.mov", "keep me"));
    ASSERT_TRUE(WriteBytes(folder_ / "loop.mov", "keep me too"));
    ASSERT_TRUE(WriteBytes(folder_ / "loop-2.mov", "and me"));
    auto job = MakeJob(90);
    AddFile(*job, folder_ / "in.mp4", folder_ / "a.mov");
    AddFile(*job, folder_ / "in.mp4", folder_ / "b.mov");
    EXPECT_EQ(RunBatch(*job), 0);
    EXPECT_EQ(job->reports[0].file_status.load(), kFileFailed);
    EXPECT_EQ(job->reports[0].failure.step, Failure::kOutputNameTaken);
    EXPECT_EQ(job->reports[0].failure.path, folder_ / "a.mov");
    EXPECT_FALSE(job->reports[0].output_created.load());
    EXPECT_EQ(ReadWholeFile(folder_ / "a.mov"), "keep me");
    EXPECT_EQ(job->reports[1].file_status.load(), kFileDone);

    // A rule that only ever offers taken names gives up.
    auto looping = MakeJob(90);
    AddFile(*looping, folder_ / "in.mp4", folder_ / "loop.mov");
    int asked = 0;
    looping->next_output_name = [&](const std::string& taken) {
        ++asked;
        return taken == folder_ / "loop.mov" ? folder_ / "loop-2.mov" : folder_ / "loop.mov";
    };
    EXPECT_EQ(RunBatch(*looping), 0);
    EXPECT_EQ(looping->reports[0].file_status.load(), kFileFailed);
    EXPECT_GT(asked, 1);
    EXPECT_LT(asked, 1000);
    EXPECT_EQ(ReadWholeFile(folder_ / "loop.mov"), "keep me too");
    EXPECT_EQ(ReadWholeFile(folder_ / "loop-2.mov"), "and me");
}

// Another program saves a file under the next position's working name
// while the worker is busy with the current one.
TEST_F(OutputOwnershipTest, FileAppearingUnderAWorkingNameMidBatchSurvives)
{
    auto job = MakeJob(90);
    AddFile(*job, folder_ / "in.mp4", folder_ / "a.mov");
    AddFile(*job, folder_ / "in.mp4", folder_ / "b.mov");
    job->next_output_name = SecondName;
    job->output_created_hook = [&](int index, const CreatedFile&) {
        if (index == 0)
            WriteBytes(folder_ / "b.mov", "saved meanwhile");
    };
    EXPECT_EQ(RunBatch(*job), 0);
    EXPECT_EQ(job->reports[1].file_status.load(), kFileDone);
    EXPECT_EQ(ReadWholeFile(folder_ / "b.mov"), "saved meanwhile");
    EXPECT_EQ(job->reports[1].created_output.path, folder_ / "b-2.mov");
    EXPECT_EQ(ReadRotationCw(folder_ / "b-2.mov"), 90);
}

// The disk fills up right after an output was created: the child process
// lowers its file size limit from the creation report (and lifts it again
// for the last file). The second output is moreover replaced under its
// name by another program's file before the failure: that file survives.
TEST_F(OutputOwnershipTest, FullDiskFailsTheFileAndTouchesNoFileItDidNotCreate)
{
    ASSERT_TRUE(WriteBytes(folder_ / "theirs.tmp", "their file"));
    auto job = MakeJob(90);
    AddFile(*job, folder_ / "in.mp4", folder_ / "full.mov");
    AddFile(*job, folder_ / "in.mp4", folder_ / "replaced.mov");
    AddFile(*job, folder_ / "in.mp4", folder_ / "next.mov");
    job->output_created_hook = [&](int index, const CreatedFile& file) {
        if (index == 1)
            std::rename((folder_ / "theirs.tmp").c_str(), file.path.c_str());
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = index < 2 ? 4096 : limit.rlim_max;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        int wrong = RotationWorker(*job) == 0 ? 0 : 1;
        for (std::size_t i = 0; i < 2; ++i) {
            if (job->reports[i].file_status.load() != kFileFailed ||
                !job->reports[i].failure.failed())
                wrong |= 2 << i;
        }
        if (job->reports[2].file_status.load() != kFileDone)
            wrong |= 8;
        ::_exit(wrong);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0)
        << "bits: 1 exit code, 2 and 4 first two not failed, 8 last not done";
    // The incomplete output is the session's to remove; the file that took
    // the name of the worker's is never touched.
    EXPECT_TRUE(PathExists(folder_ / "full.mov"));
    EXPECT_EQ(ReadWholeFile(folder_ / "replaced.mov"), "their file");
    EXPECT_EQ(ReadRotationCw(folder_ / "next.mov"), 90);
}

// A done output is dated like its input, to the nanosecond, as cp -p does.
TEST_F(OutputOwnershipTest, DoneOutputTakesTheInputsTimes)
{
    const timespec times[2] = {{1622505600, 250000000},
                               {1594771200, 123456789}};  // 2021-06-01, 2020-07-15
    ASSERT_EQ(::utimensat(AT_FDCWD, (folder_ / "in.mp4").c_str(), times, 0), 0);
    auto job = MakeJob(90);
    AddFile(*job, folder_ / "in.mp4", folder_ / "out.mov");
    EXPECT_EQ(RunBatch(*job), 0);
    ASSERT_EQ(job->reports[0].file_status.load(), kFileDone);

    struct stat out {
    }, in{};
    ASSERT_EQ(::stat((folder_ / "out.mov").c_str(), &out), 0);
    ASSERT_EQ(::stat((folder_ / "in.mp4").c_str(), &in), 0);
    EXPECT_EQ(out.st_mtim.tv_sec, times[1].tv_sec);
    EXPECT_EQ(out.st_mtim.tv_nsec, times[1].tv_nsec);
    EXPECT_EQ(out.st_atim.tv_sec, times[0].tv_sec);
    EXPECT_EQ(out.st_atim.tv_nsec, times[0].tv_nsec);
    EXPECT_EQ(in.st_mtim.tv_sec, times[1].tv_sec) << "the input keeps its own time";
    EXPECT_EQ(in.st_mtim.tv_nsec, times[1].tv_nsec);
}
