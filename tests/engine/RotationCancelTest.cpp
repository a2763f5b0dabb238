#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "batch/FileNames.h"
#include "engine/RotationWorker.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/PipeFeeder.h"

TEST(RotationJob, FreshRecordWaitsHalfASecondBeforeEachFile)
{
    auto job = std::make_unique<ConversionJob>();
    EXPECT_EQ(job->current_index.load(), -1);
    EXPECT_EQ(job->progress_percent.load(), 0);
    EXPECT_FALSE(job->worker_active.load());
    ASSERT_EQ(job->pre_file_wait_ms, 500);

    // Nothing to open: the wait is all the worker does before it fails.
    job->files.push_back(JobFile{"/nonexistent/input.mp4", "/nonexistent/output.mov", 0, 90});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunBatch(*job), -1);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(job->reports[0].file_status.load(), kFileFailed);
}

TEST(RotationCancel, CancelBeforeAFileEndsTheBatchAndResetsOldStatuses)
{
    TempFolder folder("cancel-before");
    ASSERT_EQ(MakeMediaFile(folder / "in.mp4", MediaRecipe{}), "");
    auto job = MakeJob(90);
    AddFile(*job, folder / "in.mp4", folder / "a.mov");
    AddFile(*job, folder / "in.mp4", folder / "b.mov");
    // What an earlier batch left behind.
    job->ResetReports();
    job->reports[0].file_status.store(kFileDone);
    job->reports[1].file_status.store(kFileFailed);
    job->current_index.store(2);
    job->cancel_requested.store(true);
    job->pre_file_wait_ms = 20;

    EXPECT_EQ(RunBatch(*job), 0);
    EXPECT_EQ(job->current_index.load(), 0);
    EXPECT_EQ(job->reports[0].file_status.load(), kFilePending);
    EXPECT_EQ(job->reports[1].file_status.load(), kFilePending);
    EXPECT_FALSE(PathExists(folder / "a.mov"));
    EXPECT_FALSE(job->worker_active.load());
}

namespace {

bool WaitForProgress(const ConversionJob& job)
{
    for (int k = 0; k < 2000; ++k) {
        if (job.progress_percent.load() > 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// A four-second transport stream "in.ts" and a named pipe "pipe.ts" to
// feed it through.
void MakePipedInput(const TempFolder& folder)
{
    std::signal(SIGPIPE, SIG_IGN);
    MediaRecipe recipe;
    recipe.audio_codec = "mp3";
    recipe.seconds = 4.0;
    ASSERT_EQ(MakeMediaFile(folder / "in.ts", recipe), "");
    ASSERT_EQ(::mkfifo((folder / "pipe.ts").c_str(), 0600), 0);
}

struct CancelMoment {
    bool progress_seen = false;
    bool worker_active = false;
};

// Runs the batch while "in.ts" goes through the pipe, cancels it in the
// middle of the copy once the worker reports progress, and waits for the
// worker to end. Returns what was seen just before the cancel.
CancelMoment CancelDuringTheCopy(ConversionJob& job, const TempFolder& folder)
{
    CancelMoment seen;
    std::thread worker;
    {
        PipeFeeder feeder(folder / "pipe.ts", ReadWholeFile(folder / "in.ts"));
        worker = StartRotationWorker(job);
        seen.progress_seen = WaitForProgress(job);
        seen.worker_active = job.worker_active.load();
        job.cancel_requested.store(true);
        feeder.GoOn();
    }
    worker.join();
    return seen;
}

}  // namespace

TEST(RotationCancel, CancelDuringAFileKeepsItPendingAndReportsItsPartialOutput)
{
    TempFolder folder("cancel-during");
    ASSERT_NO_FATAL_FAILURE(MakePipedInput(folder));
    auto job = MakeJob(90);
    AddFile(*job, folder / "pipe.ts", folder / "partial.mov", 4.0);
    AddFile(*job, folder / "in.ts", folder / "never.mov", 4.0);
    const CancelMoment seen = CancelDuringTheCopy(*job, folder);
    EXPECT_TRUE(seen.progress_seen);
    EXPECT_TRUE(seen.worker_active);
    EXPECT_EQ(job->worker_exit_code.load(), 0);
    EXPECT_EQ(job->reports[0].file_status.load(), kFilePending);
    EXPECT_EQ(job->reports[1].file_status.load(), kFilePending);
    EXPECT_EQ(job->current_index.load(), 1);
    EXPECT_EQ(job->progress_percent.load(), 0);
    EXPECT_FALSE(PathExists(folder / "never.mov"));

    // The partial output stays as the cancel found it, reported for the
    // session, which removes it.
    EXPECT_TRUE(job->reports[0].output_created.load());
    EXPECT_EQ(job->reports[0].created_output.path, folder / "partial.mov");
    EXPECT_GT(FileSize(folder / "partial.mov"), 0);
    EXPECT_LT(FileSize(folder / "partial.mov"), FileSize(folder / "in.ts"));
}

TEST(RotationCancel, CancelDuringTheLastFileMovesCurrentIndexToTheEnd)
{
    TempFolder folder("cancel-last");
    ASSERT_NO_FATAL_FAILURE(MakePipedInput(folder));
    auto job = MakeJob(180);
    AddFile(*job, folder / "pipe.ts", folder / "partial.mov", 4.0);
    EXPECT_TRUE(CancelDuringTheCopy(*job, folder).progress_seen);
    EXPECT_EQ(job->current_index.load(), job->FileCount());
    EXPECT_EQ(job->reports[0].file_status.load(), kFilePending);
}
