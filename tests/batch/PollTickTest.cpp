#include "batch/PollTick.h"
#include "engine/ConversionJob.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

JobSnapshot Running(int cur, std::vector<std::uint8_t> status, int percent = 40)
{
    JobSnapshot s;
    s.workerActive = true;
    s.current = cur;
    s.total = static_cast<int>(status.size());
    s.percent = percent;
    s.status = std::move(status);
    return s;
}

constexpr std::uint8_t P = kFilePending, D = kFileDone, F = kFileFailed;

TEST(PollTick, BeforeTheWorkerStartsNothingIsMarked)
{
    const TickResult r = PollTick(Running(-1, {P, P, P}, 0), 0);
    EXPECT_TRUE(r.updateFileLabel);
    EXPECT_EQ(r.pathPosition, -1);
    EXPECT_EQ(r.donePosition, -1);
    EXPECT_TRUE(r.failedPositions.empty());
    EXPECT_FALSE(r.CloseDialog());
    EXPECT_EQ(r.labelDoneCount, 0);
}

TEST(PollTick, PassingADoneFileCountsEveryPositionPassed)
{
    // The first failed, the second is done: the count becomes 2.
    TickResult r = PollTick(Running(1, {F, P, P}), 0);
    EXPECT_EQ(r.failedPositions, std::vector<int>{0});
    EXPECT_EQ(r.doneCount, 0);
    EXPECT_EQ(r.pathPosition, 1);

    r = PollTick(Running(2, {F, D, P}), 0);
    EXPECT_EQ(r.donePosition, 1);
    EXPECT_EQ(r.doneCount, 2);
    EXPECT_EQ(r.labelDoneCount, 0);  // the label catches up on the next tick
    r = PollTick(Running(2, {F, D, P}), r.doneCount);
    EXPECT_EQ(r.batchPercent, 66);
}

TEST(PollTick, FileBarOnlyTakesPercentagesInRange)
{
    EXPECT_TRUE(PollTick(Running(0, {P}, 100), 0).updateFileBar);
    EXPECT_FALSE(PollTick(Running(0, {P}, 101), 0).updateFileBar);
    EXPECT_FALSE(PollTick(Running(0, {P}, -1), 0).updateFileBar);
    EXPECT_FALSE(PollTick(Running(0, {P}, -1), 0).updateFileLabel);
}

TEST(PollTick, HowABatchEnds)
{
    EXPECT_EQ(PollTick(Running(2, {D, D}), 1).end, BatchEnd::kFinished);
    EXPECT_EQ(PollTick(Running(2, {D, D}), 1).pathPosition, -1);

    JobSnapshot early = Running(1, {D, F, P});
    early.workerActive = false;
    TickResult r = PollTick(early, 1);
    EXPECT_EQ(r.end, BatchEnd::kWorkerEndedEarly);
    EXPECT_EQ(r.failedPositions, std::vector<int>{1});
    EXPECT_TRUE(BatchFailedAtEnd(early));

    JobSnapshot cancelled = Running(1, {D, P});
    cancelled.cancelRequested = true;
    EXPECT_EQ(PollTick(cancelled, 1).end, BatchEnd::kCancelled);
    EXPECT_FALSE(BatchFailedAtEnd(cancelled));

    EXPECT_TRUE(BatchFailedAtEnd(Running(2, {D, F})));
    EXPECT_FALSE(BatchFailedAtEnd(Running(2, {F, D})));
}

TEST(ConcludeBatch, OnlyOutputsTheWorkerReachedAndDidNotFinishAreRemoved)
{
    // Stopped during the second file: the worker moved one past it.
    const std::vector<PositionOutcome> stopped = ConcludeBatch(Running(2, {D, P, P}));
    EXPECT_EQ(stopped[0].kind, PositionOutcome::kDone);
    EXPECT_FALSE(stopped[0].removeOutput);
    EXPECT_EQ(stopped[1].kind, PositionOutcome::kStopped);
    EXPECT_TRUE(stopped[1].removeOutput);
    EXPECT_EQ(stopped[2].kind, PositionOutcome::kNotReached);
    EXPECT_FALSE(stopped[2].removeOutput);

    // A failure that ended the batch: the worker stays at the failed file.
    const std::vector<PositionOutcome> failed = ConcludeBatch(Running(1, {D, F, P}));
    EXPECT_EQ(failed[1].kind, PositionOutcome::kFailed);
    EXPECT_TRUE(failed[1].removeOutput);
    EXPECT_EQ(failed[2].kind, PositionOutcome::kNotReached);
}

TEST(ReadJob, CopiesTheRecordsReports)
{
    auto job = std::make_unique<ConversionJob>();
    job->display_count = 2;
    job->current_index = 1;
    job->progress_percent = 55;
    job->file_status[0] = kFileDone;
    job->file_status[1] = kFilePending;
    const JobSnapshot s = ReadJob(*job);
    EXPECT_FALSE(s.workerActive);
    EXPECT_EQ(s.current, 1);
    EXPECT_EQ(s.percent, 55);
    EXPECT_EQ(s.status, (std::vector<std::uint8_t>{D, P}));
}

}  // namespace
