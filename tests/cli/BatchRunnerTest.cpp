#include "cli/BatchRunner.h"
#include "cli/ProgressLine.h"
#include "tests/support/MediaFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class BatchRunnerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder.empty());
        ASSERT_EQ(MakeMediaFile(folder + "/a.mp4", {}), "");
        ASSERT_EQ(MakeMediaFile(folder + "/b.mkv", {}), "");
        fs::create_directory(folder + "/out");
    }

    std::vector<PositionOutcome> Run(const std::vector<BatchInput>& inputs)
    {
        ProgressLine progress(log, false);
        BatchRunner runner(log, progress, interrupt);
        runner.poll_interval = std::chrono::milliseconds(5);
        return runner.Run(inputs, folder + "/out", 90);
    }

    TempFolder temp{"runner"};
    const std::string folder = temp.path();
    std::ostringstream log;
    std::atomic<bool> interrupt{false};
};

std::size_t Count(const std::string& folder)
{
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

}  // namespace

TEST_F(BatchRunnerTest, AStopBeforeTheBatchCreatesNothing)
{
    interrupt = true;
    const auto outcomes = Run({{folder + "/a.mp4", 1.0}, {folder + "/b.mkv", 1.0}});
    ASSERT_EQ(outcomes.size(), 2u);
    for (const PositionOutcome& outcome : outcomes)
        EXPECT_EQ(outcome.kind, PositionOutcome::kNotReached);
    EXPECT_EQ(Count(folder + "/out"), 0u);
}

TEST_F(BatchRunnerTest, AFileThatEndsTheWorkerDoesNotAbandonTheOthers)
{
    // An input that vanished after its check: the worker fails it and ends
    // the batch; the files after it still get their turn.
    const auto outcomes =
        Run({{folder + "/a.mp4", 1.0}, {folder + "/gone.mp4", 1.0}, {folder + "/b.mkv", 1.0}});
    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_EQ(outcomes[0].kind, PositionOutcome::kDone);
    EXPECT_EQ(outcomes[0].output, folder + "/out/a.mp4");
    EXPECT_EQ(outcomes[1].kind, PositionOutcome::kFailed);
    EXPECT_EQ(outcomes[2].kind, PositionOutcome::kDone);
    EXPECT_EQ(outcomes[2].output, folder + "/out/b.mov");
    EXPECT_EQ(ReadRotationCw(folder + "/out/b.mov"), 90);
    EXPECT_EQ(Count(folder + "/out"), 2u);  // nothing left of the failed one
}

TEST_F(BatchRunnerTest, AnOutputFolderThatVanishesFailsEveryFile)
{
    fs::remove(folder + "/out");
    const auto outcomes = Run({{folder + "/a.mp4", 1.0}});
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].kind, PositionOutcome::kFailed);
    EXPECT_NE(log.str().find("failed: " + folder + "/a.mp4: cannot write into the output folder"),
              std::string::npos)
        << log.str();
}
