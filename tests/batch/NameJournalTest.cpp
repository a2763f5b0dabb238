#include "batch/NameJournal.h"
#include "batch/JournalPlace.h"
#include "files/DurableFile.h"
#include "files/SafeMove.h"
#include "tests/support/FolderTest.h"

#include <cerrno>
#include <chrono>
#include <thread>
#include <fcntl.h>
#include <fstream>
#include <initializer_list>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Journal : public FolderTest
{
protected:
    std::string JournalPath() const { return Path("pending-names.txt"); }

    // Creates an output and records it the way the worker and its note of
    // it do.
    static void Created(NameJournal& journal, const std::string& path,
                        const std::string& content = "data")
    {
        const CreatedFile file = CreateAsTheProgramDoes(path, content);
        ASSERT_FALSE(file.path.empty()) << path;
        ASSERT_TRUE(journal.AddOutput(file));
    }

    // Appends a record as earlier versions wrote them: a tag and its
    // fields, each ended by a NUL byte.
    void OldRecord(std::initializer_list<std::string> fields) const
    {
        std::ofstream journal(JournalPath(), std::ios::app | std::ios::binary);
        for (const std::string& field : fields)
            journal << field << '\0';
    }

    // Moves own to temporary the way a batch of an earlier version did,
    // its record first.
    void MoveAway(const std::string& own, const std::string& temporary) const
    {
        OldRecord({"P", own, temporary});
        ASSERT_EQ(MoveWithoutReplacing(own, temporary), 0);
    }
};

TEST_F(Journal, ReleasedEntriesLeaveNothingToRecover)
{
    const std::string own = Touch("a.mp4", "a");
    MoveAway(own, Path("a.mov"));
    ASSERT_EQ(MoveWithoutReplacing(Path("a.mov"), own), 0);
    OldRecord({"R", Path("a.mov")});
    EXPECT_TRUE(RecoverPendingNames(JournalPath()).empty());
    EXPECT_EQ(Read(JournalPath()), "");
    EXPECT_EQ(Read(own), "a");
}

TEST_F(Journal, InputsOfAKilledBatchGetTheirNamesBack)
{
    const std::string a = Touch("a.mp4", "a");
    const std::string b = Touch("sub dir/b\nnew line.avi", "b");
    const std::string c = Touch("c.mkv", "c");
    MoveAway(a, Path("a.mov"));
    MoveAway(b, Path("sub dir/b\nnew line.mov"));
    MoveAway(c, Path("c.mov"));
    ASSERT_EQ(MoveWithoutReplacing(Path("c.mov"), c), 0);
    OldRecord({"R", Path("c.mov")});
    // The process died here: a and b were never released.
    const std::vector<RestoredName> restored = RecoverPendingNames(JournalPath());
    ASSERT_EQ(restored.size(), 2u);
    for (const RestoredName& r : restored)
        EXPECT_EQ(r.error, 0);
    EXPECT_EQ(Read(a), "a");
    EXPECT_EQ(Read(b), "b");
    EXPECT_EQ(Read(c), "c");
    EXPECT_FALSE(Exists(Path("a.mov")));
    EXPECT_TRUE(RecoverPendingNames(JournalPath()).empty());
}

TEST_F(Journal, ATakenOwnNameIsNeverReplacedAndAMissingInputIsSaidOnce)
{
    const std::string a = Touch("a.mp4", "a");
    const std::string b = Touch("b.mp4", "b");
    const std::string c = Touch("c.mp4", "c");
    MoveAway(a, Path("a.mov"));
    MoveAway(b, Path("b.mov"));
    MoveAway(c, Path("c.mov"));
    // Back under its own name, but the release was lost in the crash.
    ASSERT_EQ(MoveWithoutReplacing(Path("c.mov"), c), 0);
    Touch("a.mp4", "a newer file under the old name");
    std::filesystem::remove(Path("b.mov"));  // the user deleted it meanwhile

    std::vector<RestoredName> restored = RecoverPendingNames(JournalPath());
    ASSERT_EQ(restored.size(), 2u);
    EXPECT_EQ(restored[0].ownName, a);
    EXPECT_EQ(restored[0].error, EEXIST);
    EXPECT_EQ(restored[1].ownName, b);
    EXPECT_EQ(restored[1].error, ENOENT);
    EXPECT_EQ(Read(Path("a.mov")), "a");
    EXPECT_EQ(Read(a), "a newer file under the old name");
    EXPECT_EQ(Read(c), "c");

    // The taken name is tried again at the next start, the lost file is not.
    restored = RecoverPendingNames(JournalPath());
    ASSERT_EQ(restored.size(), 1u);
    EXPECT_EQ(restored[0].error, EEXIST);
    std::filesystem::remove(a);
    restored = RecoverPendingNames(JournalPath());
    ASSERT_EQ(restored.size(), 1u);
    EXPECT_EQ(restored[0].error, 0);
    EXPECT_EQ(Read(a), "a");
    EXPECT_TRUE(RecoverPendingNames(JournalPath()).empty());
}

TEST_F(Journal, RecoveryLeavesABatchOfAnotherInstanceAlone)
{
    const std::string a = Touch("a.mp4", "a");
    MoveAway(a, Path("a.mov"));
    NameJournal running(JournalPath());
    Created(running, Path("out.mov"));
    EXPECT_TRUE(RecoverPendingNames(JournalPath()).empty());
    EXPECT_TRUE(Exists(Path("a.mov")));
    EXPECT_TRUE(Exists(Path("out.mov")));
    running.ReleaseOutput(Path("out.mov"), false);
}

TEST_F(Journal, RecordCutShortByACrashIsIgnored)
{
    const std::string a = Touch("a.mp4", "a");
    MoveAway(a, Path("a.mov"));
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
    const std::string partial = Path("out/a.mov");
    const std::string finished = Path("out/b.mov");
    const std::string replaced = Path("out/c.mov");
    std::filesystem::create_directory(Path("out"));
    MoveAway(a, Path("a.mov"));  // an earlier version's record
    {
        NameJournal journal(JournalPath());
        Created(journal, partial, "cut short");
        Created(journal, finished, "complete");
        Created(journal, replaced, "the worker's");
        journal.ReleaseOutput(finished, true);  // it got its final name
        EXPECT_EQ(journal.PendingOutputs(), (std::vector<std::string>{partial, replaced}));
        // The process dies here.
    }
    // Somebody's file now under the third name: not the file created there
    // (made a clock tick later, as birth times go).
    std::filesystem::remove(replaced);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
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
    const std::string out = Path("out.mov");
    NameJournal journal(JournalPath());
    Created(journal, out, "x");
    EXPECT_NE(Read(JournalPath()), "");
    EXPECT_TRUE(RecoverPendingNames(JournalPath()).empty());  // in use by a running batch
    EXPECT_TRUE(Exists(out));
    journal.ReleaseOutput(out, false);
    EXPECT_TRUE(journal.PendingOutputs().empty());
    EXPECT_EQ(Read(JournalPath()), "");
}

TEST_F(Journal, RecoveryKilledBeforeItsRewriteKeepsEveryRecord)
{
    const std::string a = Touch("a.mp4", "a");
    const std::string b = Touch("b.mp4", "b");
    const std::string partial = Path("out.mov");
    MoveAway(a, Path("a.mov"));
    MoveAway(b, Path("b.mov"));
    Touch("a.mp4", "a newer file under the old name");  // a stays listed
    {
        NameJournal journal(JournalPath());
        Created(journal, partial, "cut short");
    }
    const std::string before = Read(JournalPath());

    // Recovery puts b and the output right, then dies with the rewrite's
    // temporary file written and synced but not yet renamed.
    EXPECT_EXIT(
        {
            SetBeforeReplaceRename([](const std::string&) { ::_exit(42); });
            RecoverPendingNames(JournalPath());
            ::_exit(0);
        },
        ::testing::ExitedWithCode(42), "");
    EXPECT_EQ(Read(b), "b");
    EXPECT_FALSE(Exists(partial));
    EXPECT_EQ(Read(JournalPath()), before);
    std::vector<std::string> leftovers;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().rfind(".pending-names.txt.tmp-", 0) == 0)
            leftovers.push_back(entry.path());
    ASSERT_EQ(leftovers.size(), 1u);
    const std::string kept = std::string("P") + '\0' + a + '\0' + Path("a.mov") + '\0';
    EXPECT_EQ(Read(leftovers[0]), kept);

    // The next start is not put off by the leftover: what was put right
    // stays so, a is still tried, and the rewrite holds a alone.
    std::vector<RestoredName> restored = RecoverPendingNames(JournalPath());
    ASSERT_EQ(restored.size(), 1u);
    EXPECT_EQ(restored[0].ownName, a);
    EXPECT_EQ(restored[0].error, EEXIST);
    EXPECT_EQ(Read(JournalPath()), kept);
    std::filesystem::remove(a);
    restored = RecoverPendingNames(JournalPath());
    ASSERT_EQ(restored.size(), 1u);
    EXPECT_EQ(restored[0].error, 0);
    EXPECT_EQ(Read(a), "a");
    EXPECT_EQ(Read(JournalPath()), "");
    NameJournal next(JournalPath());
    Created(next, partial);
    next.ReleaseOutput(partial, false);
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
    Created(journal, Path("a.mov"));
    journal.ReleaseOutput(Path("a.mov"), false);
}

TEST_F(Journal, UnwritableJournalReportsFailure)
{
    NameJournal journal(Path("no such folder/pending-names.txt"));
    EXPECT_FALSE(journal.AddOutput(CreateAsTheProgramDoes(Path("a.mov"), "a")));
    EXPECT_EQ(journal.Error(), ENOENT);
    EXPECT_TRUE(journal.PendingOutputs().empty());
    EXPECT_TRUE(RecoverPendingNames(Path("no such folder/pending-names.txt")).empty());
}

}  // namespace
