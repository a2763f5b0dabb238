#include "files/CreatedFile.h"
#include "files/DurableFile.h"
#include "files/NameBack.h"
#include "files/SafeMove.h"
#include "tests/support/FolderTest.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace {

using Files = FolderTest;

TEST_F(Files, MovesNeverReplaceAnExistingFile)
{
    const std::string a = Touch("a.mov", "a");
    const std::string b = Touch("b.mov", "b");
    EXPECT_EQ(MoveWithoutReplacing(a, b), EEXIST);
    EXPECT_EQ(Read(a), "a");
    EXPECT_EQ(Read(b), "b");
    EXPECT_EQ(MoveWithoutReplacing(a, Path("c.mov")), 0);
    EXPECT_EQ(Read(Path("c.mov")), "a");
    EXPECT_EQ(MoveWithoutReplacing(a, Path("d.mov")), ENOENT);
}

TEST_F(Files, ANameThatExistsIsNeverOpenedForCreation)
{
    const std::string taken = Touch("taken.mov", "the user's");
    CreatedFile file;
    int fd = 123;
    EXPECT_EQ(CreateExclusively(taken, O_WRONLY, file, fd), EEXIST);
    EXPECT_EQ(fd, -1);
    EXPECT_EQ(Read(taken), "the user's");
    EXPECT_TRUE(file.path.empty());
}

TEST_F(Files, OnlyTheVeryFileCreatedIsEverRemoved)
{
    const std::string name = Path("out.mov");
    const CreatedFile ours = CreateAsTheProgramDoes(name, "ours");
    ASSERT_EQ(ours.path, name);
    EXPECT_TRUE(ours.StillThere());

    // Moved away: the name holds nothing of ours, the moved file is left.
    ASSERT_EQ(MoveWithoutReplacing(name, Path("kept.mov")), 0);
    EXPECT_FALSE(ours.StillThere());
    EXPECT_FALSE(ours.RemoveIfStillOurs());
    EXPECT_EQ(Read(Path("kept.mov")), "ours");

    // Somebody's new file under the name, on a freed inode number or not.
    // Birth times are kept to the file system's clock tick: a file made in
    // the very tick ours was made in could pass for ours.
    ASSERT_EQ(::unlink(Path("kept.mov").c_str()), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const CreatedFile theirs = CreateAsTheProgramDoes(name, "theirs");
    ASSERT_FALSE(theirs.path.empty());
    EXPECT_FALSE(ours.RemoveIfStillOurs());
    EXPECT_EQ(Read(name), "theirs");

    EXPECT_TRUE(theirs.RemoveIfStillOurs());
    EXPECT_FALSE(Exists(name));
}

TEST_F(Files, ALinkUnderTheNameIsNotTheFile)
{
    const std::string name = Path("out.mov");
    const CreatedFile ours = CreateAsTheProgramDoes(name, "ours");
    ASSERT_EQ(MoveWithoutReplacing(name, Path("real.mov")), 0);
    ASSERT_EQ(::symlink(Path("real.mov").c_str(), name.c_str()), 0);
    EXPECT_FALSE(ours.RemoveIfStillOurs());
    EXPECT_EQ(Read(Path("real.mov")), "ours");
}

TEST_F(Files, AnInputGetsItsNameBackByOneRule)
{
    // Moved back.
    const std::string own = Path("a.mp4");
    Touch("a.mov", "a");
    NameBack back = GiveNameBack(Path("a.mov"), own);
    EXPECT_EQ(back.kind, NameBack::kRestored);
    EXPECT_TRUE(back.Back());
    EXPECT_EQ(Read(own), "a");

    // Nothing under the temporary name and the own name there: already back.
    back = GiveNameBack(Path("a.mov"), own);
    EXPECT_EQ(back.kind, NameBack::kAlreadyBack);
    EXPECT_TRUE(back.Back());

    // A newcomer holds the own name: never replaced, the input stays.
    Touch("b.mov", "b");
    const std::string b = Touch("b.mp4", "newcomer");
    back = GiveNameBack(Path("b.mov"), b);
    EXPECT_EQ(back.kind, NameBack::kOwnNameTaken);
    EXPECT_EQ(back.error, EEXIST);
    EXPECT_FALSE(back.Back());
    EXPECT_EQ(Read(b), "newcomer");
    EXPECT_EQ(Read(Path("b.mov")), "b");

    // Under neither name.
    back = GiveNameBack(Path("c.mov"), Path("c.mp4"));
    EXPECT_EQ(back.kind, NameBack::kMissing);
    EXPECT_EQ(back.error, ENOENT);

    // A move the system refuses.
    Touch("d.mov", "d");
    back = GiveNameBack(Path("d.mov"), Path("d.mp4"),
                        [](const std::string&, const std::string&) { return EACCES; });
    EXPECT_EQ(back.kind, NameBack::kMoveFailed);
    EXPECT_EQ(back.error, EACCES);
    EXPECT_EQ(Read(Path("d.mov")), "d");
}

TEST_F(Files, ASmallFileIsCreatedWholeOrNotAtAll)
{
    const std::string path = Path("setting.ini");
    EXPECT_TRUE(CreateFileWithoutReplacing(path, "first"));
    EXPECT_FALSE(CreateFileWithoutReplacing(path, "second"));
    EXPECT_EQ(Read(path), "first");
    EXPECT_TRUE(ReplaceFileAtomically(path, "third"));
    EXPECT_EQ(Read(path), "third");
    // No temporary file is left beside it either way.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++entries;
    EXPECT_EQ(entries, 1u);
}

}  // namespace
