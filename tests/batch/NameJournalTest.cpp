#include "batch/NameJournal.h"
#include "batch/CreatedOutput.h"
#include "batch/JournalPlace.h"
#include "batch/SafeMove.h"
#include "tests/support/FolderTest.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Journal : public FolderTest
{
protected:
    std::string JournalPath() const { return Path("pending-names.txt"); }

    // Records an output the way the worker's note of it does.
    static void Created(NameJournal& journal, const std::string& path)
    {
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        ASSERT_TRUE(journal.AddOutput(path, info.st_dev, info.st_ino,
                                      BirthTimeOf({path, info.st_dev, info.st_ino})));
    }

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

TEST_F(Journal, AKilledBatchsUnfinishedOutputsGoButNothingElse)
{
    const std::string a = Touch("a.mp4", "a");
    const std::string partial = Touch("out/a.mov", "cut short");
    const std::string finished = Touch("out/b.mov", "complete");
    const std::string replaced = Touch("out/c.mov", "the worker's");
    {
        NameJournal journal(JournalPath());
        MoveAway(journal, a, Path("a.mov"));
        Created(journal, partial);
        Created(journal, finished);
        Created(journal, replaced);
        journal.ReleaseOutput(finished, true);  // it got its final name
        EXPECT_EQ(journal.PendingOutputs(), (std::vector<std::string>{partial, replaced}));
        // The process dies here.
    }
    // Somebody's file now under the third name: not the file created there.
    std::filesystem::remove(replaced);
    Touch("out/c.mov", "somebody else's");

    std::vector<std::string> removed;
    const std::vector<RestoredName> restored = RecoverPendingNames(JournalPath(), &removed);
    ASSERT_EQ(restored.size(), 1u);
    EXPECT_EQ(Read(a), "a");
    EXPECT_EQ(removed, std::vector<std::string>{partial});
    EXPECT_FALSE(Exists(partial));
    EXPECT_EQ(Read(finished), "complete");
    EXPECT_EQ(Read(replaced), "somebody else's");
    EXPECT_EQ(Read(JournalPath()), "");
}

TEST_F(Journal, OutputsAloneKeepTheFileUntilTheyAreReleased)
{
    const std::string out = Touch("out.mov", "x");
    NameJournal journal(JournalPath());
    Created(journal, out);
    EXPECT_NE(Read(JournalPath()), "");
    EXPECT_TRUE(RecoverPendingNames(JournalPath()).empty());  // in use by a running batch
    EXPECT_TRUE(Exists(out));
    journal.ReleaseOutput(out, false);
    EXPECT_TRUE(journal.PendingOutputs().empty());
    EXPECT_EQ(Read(JournalPath()), "");
}

TEST_F(Journal, ItsPlaceIsBesideTheSettingsWhenThatFolderTakesFiles)
{
    const std::string settings = Path("config");
    const std::string state = Path("home/.local/state/FennexAVConverter");
    std::filesystem::create_directory(settings);
    EXPECT_EQ(ChooseJournalPath(settings, state, [](const std::string&) { return true; }),
              settings + "/pending-names.txt");
    EXPECT_FALSE(Exists(state));
    // A read-only program folder: the state folder, made on the way.
    EXPECT_EQ(ChooseJournalPath(settings, state, [](const std::string&) { return false; }),
              state + "/pending-names.txt");
    EXPECT_TRUE(std::filesystem::is_directory(state));
    NameJournal journal(state + "/pending-names.txt");
    EXPECT_TRUE(journal.Add(Path("a.mp4"), Path("a.mov")));
    journal.Release(Path("a.mov"));
}

TEST_F(Journal, UnwritableJournalReportsFailure)
{
    NameJournal journal(Path("no such folder/pending-names.txt"));
    EXPECT_FALSE(journal.Add(Path("a.mp4"), Path("a.mov")));
    EXPECT_EQ(journal.Error(), ENOENT);
    EXPECT_TRUE(journal.Pending().empty());
    EXPECT_TRUE(RecoverPendingNames(Path("no such folder/pending-names.txt")).empty());
}

}  // namespace
