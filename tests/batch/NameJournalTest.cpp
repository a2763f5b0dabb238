#include "FolderTest.h"
#include "NameJournal.h"
#include "SafeMove.h"

#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <unistd.h>

namespace {

class Journal : public FolderTest {
protected:
    std::string JournalPath() const { return Path("pending-names.txt"); }

    // Moves own to temporary the way a batch does, journal first.
    void MoveAway(NameJournal& journal, const std::string& own, const std::string& temporary)
    {
        ASSERT_TRUE(journal.Add(own, temporary));
        ASSERT_EQ(MoveWithoutReplacing(own, temporary), 0);
    }
};

TEST_F(Journal, ReleasedEntriesLeaveNothingToRecover)
{
    const std::string own = Touch("a.mp4", "a");
    {
        NameJournal journal(JournalPath());
        MoveAway(journal, own, Path("a.mov"));
        ASSERT_EQ(MoveWithoutReplacing(Path("a.mov"), own), 0);
        journal.Release(Path("a.mov"));
        EXPECT_TRUE(journal.Pending().empty());
    }
    EXPECT_EQ(Read(JournalPath()), "");
    EXPECT_TRUE(RecoverPendingNames(JournalPath()).empty());
    EXPECT_EQ(Read(own), "a");
}

TEST_F(Journal, InputsOfAKilledBatchGetTheirNamesBack)
{
    const std::string a = Touch("a.mp4", "a");
    const std::string b = Touch("sub dir/b\nnew line.avi", "b");
    const std::string c = Touch("c.mkv", "c");
    {
        NameJournal journal(JournalPath());
        MoveAway(journal, a, Path("a.mov"));
        MoveAway(journal, b, Path("sub dir/b\nnew line.mov"));
        MoveAway(journal, c, Path("c.mov"));
        ASSERT_EQ(MoveWithoutReplacing(Path("c.mov"), c), 0);
        journal.Release(Path("c.mov"));
        // The process dies here: the journal object never releases a and b.
    }
    const std::vector<RestoredName> restored = RecoverPendingNames(JournalPath());
    ASSERT_EQ(restored.size(), 2u);
    for (const RestoredName& r : restored) {
        EXPECT_EQ(r.error, 0);
        EXPECT_EQ(r.restoredTo, r.ownName);
    }
    EXPECT_EQ(Read(a), "a");
    EXPECT_EQ(Read(b), "b");
    EXPECT_EQ(Read(c), "c");
    EXPECT_FALSE(Exists(Path("a.mov")));
    EXPECT_TRUE(RecoverPendingNames(JournalPath()).empty());
}

TEST_F(Journal, TakenOwnNameGivesAFreeNameAndMissingTemporaryIsDropped)
{
    const std::string a = Touch("a.mp4", "a");
    const std::string b = Touch("b.mp4", "b");
    {
        NameJournal journal(JournalPath());
        MoveAway(journal, a, Path("a.mov"));
        MoveAway(journal, b, Path("b.mov"));
    }
    Touch("a.mp4", "a newer file under the old name");
    std::filesystem::remove(Path("b.mov"));  // the user deleted it meanwhile

    const std::vector<RestoredName> restored = RecoverPendingNames(JournalPath());
    ASSERT_EQ(restored.size(), 1u);
    EXPECT_EQ(restored[0].ownName, a);
    EXPECT_EQ(restored[0].restoredTo, Path("a(0).mp4"));
    EXPECT_EQ(Read(Path("a(0).mp4")), "a");
    EXPECT_EQ(Read(a), "a newer file under the old name");
    EXPECT_FALSE(Exists(b));
}

TEST_F(Journal, RecoveryLeavesABatchOfAnotherInstanceAlone)
{
    const std::string a = Touch("a.mp4", "a");
    NameJournal running(JournalPath());
    MoveAway(running, a, Path("a.mov"));
    EXPECT_TRUE(RecoverPendingNames(JournalPath()).empty());
    EXPECT_TRUE(Exists(Path("a.mov")));
    ASSERT_EQ(MoveWithoutReplacing(Path("a.mov"), a), 0);
    running.Release(Path("a.mov"));
}

TEST_F(Journal, RecordCutShortByACrashIsIgnored)
{
    const std::string a = Touch("a.mp4", "a");
    {
        NameJournal journal(JournalPath());
        MoveAway(journal, a, Path("a.mov"));
    }
    {
        std::ofstream torn(JournalPath(), std::ios::app | std::ios::binary);
        torn << "P" << '\0' << Path("x.mp4");  // no temporary name, no terminator
    }
    const std::vector<RestoredName> restored = RecoverPendingNames(JournalPath());
    ASSERT_EQ(restored.size(), 1u);
    EXPECT_EQ(Read(a), "a");
}

TEST_F(Journal, UnwritableJournalReportsFailure)
{
    NameJournal journal(Path("no such folder/pending-names.txt"));
    EXPECT_FALSE(journal.Add(Path("a.mp4"), Path("a.mov")));
    EXPECT_TRUE(journal.Pending().empty());
    EXPECT_TRUE(RecoverPendingNames(Path("no such folder/pending-names.txt")).empty());
}

}  // namespace
