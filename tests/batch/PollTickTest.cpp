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

TEST(PollTick, BeforeTheWorkerStartsNothingIsCounted)
{
    const TickResult r = PollTick(Running(-1, {P, P, P}, 0), 0);
    EXPECT_TRUE(r.updateFileLabel);
    EXPECT_EQ(r.pathPosition, -1);
    EXPECT_EQ(r.doneCount, 0);
    EXPECT_FALSE(r.CloseDialog());
    EXPECT_EQ(r.labelDoneCount, 0);
}

TEST(PollTick, PassingADoneFileCountsEveryPositionPassed)
{
    // The first failed, the second is done: the count becomes 2.
    TickResult r = PollTick(Running(1, {F, P, P}), 0);
    EXPECT_EQ(r.doneCount, 0);
    EXPECT_EQ(r.pathPosition, 1);

    r = PollTick(Running(2, {F, D, P}), 0);
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
    EXPECT_EQ(PollTick(early, 1).end, BatchEnd::kWorkerEndedEarly);

    JobSnapshot cancelled = Running(1, {D, P});
    cancelled.cancelRequested = true;
    EXPECT_EQ(PollTick(cancelled, 1).end, BatchEnd::kCancelled);
}

TEST(ReadJob, CopiesTheRecordsReports)
{
    auto job = std::make_unique<ConversionJob>();
    job->files.resize(2);
    job->ResetReports();
    job->current_index = 1;
    job->progress_percent = 55;
    job->reports[0].file_status = kFileDone;
    job->reports[1].file_status = kFilePending;
    const JobSnapshot s = ReadJob(*job);
    EXPECT_FALSE(s.workerActive);
    EXPECT_EQ(s.current, 1);
    EXPECT_EQ(s.percent, 55);
    EXPECT_EQ(s.status, (std::vector<std::uint8_t>{D, P}));
}

}  // namespace
