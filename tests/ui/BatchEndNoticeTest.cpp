// What the window shows and opens once a batch has ended, decided without
// the window (the batch window tests run the same through real batches).
#include "ui/BatchEndNotice.h"
#include "settings/LanguageTexts.h"

#include <gtest/gtest.h>

namespace {

class BatchEndNoticeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ReadLanguageTexts(std::string(FENNEX_SOURCE_DIR) + "/resources/languages/english.ini",
                          g_texts);
    }

    static EndedFile File(const char* path, PositionOutcome::Kind kind,
                          Failure::Step step = Failure::kNone)
    {
        EndedFile file{QString::fromUtf8(path), {}};
        file.outcome.kind = kind;
        file.outcome.failure = Failure(step);
        return file;
    }
};

TEST_F(BatchEndNoticeTest, AStoppedBatchShowsAndOpensNothing)
{
    const std::vector<EndedFile> files = {File("/v/a.mp4", PositionOutcome::kDone),
                                          File("/v/b.mp4", PositionOutcome::kFailed),
                                          File("/v/c.mp4", PositionOutcome::kStopped)};
    const BatchEndNotice notice = NoticeAtBatchEnd(BatchEnd::kCancelled, false, files, {}, true);
    EXPECT_TRUE(notice.message.isEmpty());
    EXPECT_FALSE(notice.openFolder);
}

TEST_F(BatchEndNoticeTest, TheFolderOpensWhenAskedAndTheLastFileIsDone)
{
    const std::vector<EndedFile> done = {File("/v/a.mp4", PositionOutcome::kDone)};
    EXPECT_TRUE(NoticeAtBatchEnd(BatchEnd::kFinished, false, done, {}, true).openFolder);
    EXPECT_FALSE(NoticeAtBatchEnd(BatchEnd::kFinished, false, done, {}, false).openFolder);
    EXPECT_TRUE(NoticeAtBatchEnd(BatchEnd::kFinished, false, done, {}, true).message.isEmpty());

    // A failure before the last file is listed, and the folder still opens.
    const std::vector<EndedFile> firstFailed = {
        File("/v/a.mp4", PositionOutcome::kFailed, Failure::kCutShort),
        File("/v/b.mp4", PositionOutcome::kDone)};
    EXPECT_TRUE(NoticeAtBatchEnd(BatchEnd::kFinished, false, firstFailed, {}, true).openFolder);
    const std::vector<EndedFile> lastFailed = {
        File("/v/a.mp4", PositionOutcome::kDone),
        File("/v/b.mp4", PositionOutcome::kFailed, Failure::kCutShort)};
    EXPECT_FALSE(NoticeAtBatchEnd(BatchEnd::kFinished, true, lastFailed, {}, true).openFolder);

    const std::vector<EndedFile> failed = {
        File("/v/a.mp4", PositionOutcome::kFailed, Failure::kCutShort),
        File("/v/b.mp4", PositionOutcome::kFailed, Failure::kOutputIsInput)};
    const BatchEndNotice notice = NoticeAtBatchEnd(BatchEnd::kFinished, true, failed, {}, true);
    EXPECT_FALSE(notice.openFolder);
    EXPECT_EQ(notice.message, QStringLiteral("These files could not be rotated:\n"
                                             "a.mp4: The input is cut short: it ends at 0:00\n"
                                             "b.mp4: The output would replace the input"));
}

// A name shows the folders that tell it from the list's rows of that name,
// whether or not they were in the batch; files a failure kept from their
// turn are named after the reasons.
TEST_F(BatchEndNoticeTest, NamesAreToldApartFromTheListsOtherRows)
{
    const std::vector<EndedFile> files = {
        File("/v/day one/clip.mp4", PositionOutcome::kFailed, Failure::kOutOfMemory),
        File("/v/other.mp4", PositionOutcome::kNotReached)};
    const QStringList listed = {QStringLiteral("/v/day one/clip.mp4"),
                                QStringLiteral("/v/day two/clip.mp4"),
                                QStringLiteral("/v/other.mp4")};
    const BatchEndNotice notice =
        NoticeAtBatchEnd(BatchEnd::kWorkerEndedEarly, true, files, listed, true);
    EXPECT_EQ(notice.message,
              QStringLiteral("The file day one/clip.mp4 could not be rotated.\n"
                             "Reason: Memory ran out\n\n"
                             "The rotation ended there. These files were not rotated:\n"
                             "other.mp4"));
    EXPECT_FALSE(notice.openFolder);
}

// A long list names twenty files and counts the rest, so the box fits
// on the screen; the rows of the list still show every failure.
TEST_F(BatchEndNoticeTest, ALongListCountsWhatItDoesNotName)
{
    std::vector<EndedFile> files;
    for (int k = 0; k < 25; ++k) {
        files.push_back(File("", PositionOutcome::kFailed, Failure::kOutOfMemory));
        files.back().path = QStringLiteral("/v/%1.mp4").arg(k);
    }
    const QStringList lines = NoticeAtBatchEnd(BatchEnd::kFinished, true, files, {}, true)
                                  .message.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 22);
    EXPECT_EQ(lines[20], QStringLiteral("19.mp4: Memory ran out"));
    EXPECT_EQ(lines[21], QStringLiteral("… and 5 more files"));
}

}  // namespace
