#include <gtest/gtest.h>

#include <csignal>
#include <initializer_list>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

#include "batch/FileNames.h"
#include "engine/RotationWorker.h"
#include "tests/engine/EngineTestSupport.h"

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/error.h>
}

namespace {

class RotationFailureTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(MakeMediaFile(folder_ / "good.mp4", MediaRecipe{}), ""); }

    // A job turning by 90 degrees, one position per (input, output) pair
    // of names in the test's folder.
    std::unique_ptr<ConversionJob>
    Batch(std::initializer_list<std::pair<std::string, std::string>> files) const
    {
        auto job = MakeJob(90);
        for (const auto& [input, output] : files)
            AddFile(*job, folder_ / input, folder_ / output);
        return job;
    }

    TempFolder folder_{"failure"};
};

}  // namespace

TEST_F(RotationFailureTest, UnreadableInputEndsTheBatchAtItsPosition)
{
    ASSERT_TRUE(WriteBytes(folder_ / "empty.mp4", ""));
    ASSERT_TRUE(WriteBytes(folder_ / "garbage.mp4", std::string(8192, '\x33')));
    ASSERT_TRUE(CopyPrefix(folder_ / "good.mp4", folder_ / "truncated.mp4",
                           FileSize(folder_ / "good.mp4") / 3));
    const std::pair<const char*, int> cases[] = {
        {"missing.mp4", AVERROR(ENOENT)},
        {"empty.mp4", AVERROR_INVALIDDATA},
        {"garbage.mp4", AVERROR_INVALIDDATA},
        {"truncated.mp4", AVERROR_INVALIDDATA},
    };
    for (const auto& [bad, code] : cases) {
        // Outputs are never overwritten: each round writes a fresh first output.
        auto job = Batch({{"good.mp4", std::string("first-") + bad + ".mov"},
                          {bad, "bad.mov"},
                          {"good.mp4", "never.mov"}});
        EXPECT_EQ(RunBatch(*job), -1) << bad;
        EXPECT_EQ(job->reports[0].file_status.load(), kFileDone) << bad;
        EXPECT_EQ(job->reports[1].file_status.load(), kFileFailed) << bad;
        EXPECT_TRUE(job->reports[1].failure.step == Failure::kOpenInput ||
                    job->reports[1].failure.step == Failure::kReadStreams)
            << bad;
        EXPECT_EQ(job->reports[1].failure.code, code) << bad;
        EXPECT_EQ(job->reports[2].file_status.load(), kFilePending) << bad;
        EXPECT_EQ(job->current_index.load(), 1) << bad;
        EXPECT_FALSE(job->worker_active.load());
        EXPECT_FALSE(PathExists(folder_ / "bad.mov")) << bad;
        EXPECT_FALSE(PathExists(folder_ / "never.mov")) << bad;
    }
}

TEST_F(RotationFailureTest, AnyOutputNameIsQuickTimeAndARefusedCodecSkipsToTheNextFile)
{
    MediaRecipe vp8;  // the MOV muxer does not take VP8
    vp8.video_codec = "vp8";
    vp8.audio_codec = "opus";
    ASSERT_EQ(MakeMediaFile(folder_ / "vp8.mkv", vp8), "");
    auto job =
        Batch({{"good.mp4", "out.nosuchmuxer"}, {"vp8.mkv", "vp8.mov"}, {"good.mp4", "last.mov"}});
    EXPECT_EQ(RunBatch(*job), 0);
    // The container comes from what is read, never from the output's name.
    EXPECT_EQ(job->reports[0].file_status.load(), kFileDone);
    EXPECT_EQ(ReadInfo(folder_ / "out.nosuchmuxer").format_name, "mov,mp4,m4a,3gp,3g2,mj2");
    EXPECT_EQ(job->reports[1].file_status.load(), kFileFailed);
    EXPECT_EQ(job->reports[1].failure.step, Failure::kStreamRefused);
    EXPECT_EQ(job->reports[1].failure.codec_id, AV_CODEC_ID_VP8);
    EXPECT_EQ(job->reports[2].file_status.load(), kFileDone);
    EXPECT_EQ(job->current_index.load(), 3);
    EXPECT_FALSE(PathExists(folder_ / "vp8.mov")) << "a refused output leaves nothing behind";
    EXPECT_EQ(ReadRotationCw(folder_ / "last.mov"), 90);
}

TEST_F(RotationFailureTest, OutputNamingTheInputFailsTheFileAndLeavesTheInputAlone)
{
    ASSERT_EQ(::symlink((folder_ / "good.mp4").c_str(), (folder_ / "link.mov").c_str()), 0);
    const std::string before = ReadWholeFile(folder_ / "good.mp4");
    auto job =
        Batch({{"good.mp4", "good.mp4"}, {"good.mp4", "link.mov"}, {"good.mp4", "next.mov"}});
    EXPECT_EQ(RunBatch(*job), 0);
    EXPECT_EQ(job->reports[0].file_status.load(), kFileFailed);
    EXPECT_EQ(job->reports[1].file_status.load(), kFileFailed);
    EXPECT_EQ(job->reports[1].failure.step, Failure::kOutputIsInput);
    EXPECT_EQ(job->reports[2].file_status.load(), kFileDone);
    EXPECT_EQ(ReadWholeFile(folder_ / "good.mp4"), before);
    EXPECT_TRUE(PathExists(folder_ / "link.mov"));
}

TEST_F(RotationFailureTest, OutputThatCannotBeCreatedEndsTheBatch)
{
    auto job = Batch({{"good.mp4", "no-such-folder/out.mov"}, {"good.mp4", "never.mov"}});
    EXPECT_EQ(RunBatch(*job), -1);
    EXPECT_EQ(job->reports[0].file_status.load(), kFileFailed);
    EXPECT_EQ(job->reports[1].file_status.load(), kFilePending);
    EXPECT_EQ(job->current_index.load(), 0);
    EXPECT_EQ(job->worker_exit_code.load(), -1);
}

// The disk fills in the middle of the copy: a child process with a small
// file size limit runs the worker.
TEST_F(RotationFailureTest, WriteFailureInTheMiddleOfTheCopyFailsTheFile)
{
    MediaRecipe recipe;
    recipe.seconds = 3.0;
    ASSERT_EQ(MakeMediaFile(folder_ / "long.mp4", recipe), "");
    ASSERT_GT(FileSize(folder_ / "long.mp4"), 64 * 1024);
    auto job = MakeJob(90);
    AddFile(*job, folder_ / "long.mp4", folder_ / "cut.mov", 3.0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{32 * 1024, 32 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const int code = RotationWorker(*job);
        const Failure& why = job->reports[0].failure;
        const bool tooLarge = (why.step == Failure::kWriteOutput ||
                               why.step == Failure::kCompleteOutput) &&
                              why.code == AVERROR(EFBIG);
        ::_exit(code != 0 ? 100 : !tooLarge ? 101 : job->reports[0].file_status.load());
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kFileFailed);
    // The copy or the trailer meets the limit, depending on the buffering
    // (101: another failure). The session removes what the worker left.
}
