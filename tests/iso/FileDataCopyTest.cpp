#include <gtest/gtest.h>

#include "engine/iso/FileDataCopy.h"
#include "tests/support/TempFolder.h"

#include <csignal>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/resource.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

// The copy under the rotated file: each way copies every byte, says which
// way it went, stops when asked, and reports a full disk as an error.

namespace {

using Result = CopyOutcome::Result;

// Bytes that differ from one block to the next, so a misplaced block shows.
std::string Pattern(std::size_t size)
{
    std::string bytes(size, '\0');
    std::uint32_t state = 12345;
    for (char& c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    return bytes;
}

class FileDataCopyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        input_ = folder_ / "input.bin";
        ASSERT_TRUE(WriteBytes(input_, Pattern(kSize)));
    }

    void TearDown() override
    {
        for (const int fd : {in_, out_}) {
            if (fd >= 0)
                ::close(fd);
        }
    }

    void Open(const std::string& output = "output.bin")
    {
        in_ = ::open(input_.c_str(), O_RDONLY | O_CLOEXEC);
        out_ = ::open((folder_ / output).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        ASSERT_GE(in_, 0);
        ASSERT_GE(out_, 0);
    }

    static constexpr std::size_t kSize = 5 * 1024 * 1024 + 123;
    TempFolder folder_{"iso-copy"};
    std::string input_;
    int in_ = -1, out_ = -1;
};

bool ReflinkRefusedHere(const std::string& folder)
{
    struct statfs info {};
    return ::statfs(folder.c_str(), &info) == 0 &&
           (info.f_type == EXT4_SUPER_MAGIC || info.f_type == TMPFS_MAGIC ||
            info.f_type == OVERLAYFS_SUPER_MAGIC);
}

TEST_F(FileDataCopyTest, EachWayCopiesEveryByteAndSaysWhichWayItWent)
{
    for (const CopyWay first : {CopyWay::kReflink, CopyWay::kCopyFileRange, CopyWay::kReadWrite}) {
        SCOPED_TRACE(CopyWayName(first));
        const std::string name = "out-" + std::to_string(static_cast<int>(first));
        Open(name);
        std::vector<std::uint64_t> reported;
        CopyOptions options;
        options.first_way = first;
        options.chunk_bytes = 1 << 20;
        const CopyOutcome outcome = CopyFileData(
            in_, out_, kSize, [&](std::uint64_t done) { reported.push_back(done); }, {}, options);
        EXPECT_EQ(outcome.result, Result::kDone);
        EXPECT_EQ(outcome.bytes_done, kSize);
        EXPECT_EQ(ReadWholeFile(folder_ / name), ReadWholeFile(input_));
        ASSERT_FALSE(reported.empty());
        EXPECT_EQ(reported.back(), kSize);
        EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
        if (first == CopyWay::kReadWrite) {
            EXPECT_EQ(outcome.way, CopyWay::kReadWrite);
        } else if (first == CopyWay::kCopyFileRange || ReflinkRefusedHere(folder_.path())) {
            // Refused reflinks fall back to the kernel's copy, in 1 MiB steps.
            EXPECT_EQ(outcome.way, CopyWay::kCopyFileRange);
            EXPECT_EQ(reported.size(), 6u);
        }
        TearDown();
        in_ = out_ = -1;
    }
}

TEST_F(FileDataCopyTest, CancelStopsBetweenChunks)
{
    for (const CopyWay first : {CopyWay::kCopyFileRange, CopyWay::kReadWrite}) {
        SCOPED_TRACE(CopyWayName(first));
        Open("cancel-" + std::to_string(static_cast<int>(first)));
        std::uint64_t last_progress = 0;
        CopyOptions options;
        options.first_way = first;
        options.chunk_bytes = 1 << 20;
        const CopyOutcome outcome = CopyFileData(
            in_, out_, kSize, [&](std::uint64_t done) { last_progress = done; },
            [&] { return last_progress >= (2u << 20); }, options);
        EXPECT_EQ(outcome.result, Result::kCancelled);
        EXPECT_EQ(outcome.bytes_done, 2u << 20) << "two whole chunks, then the cancel";
        EXPECT_EQ(last_progress, outcome.bytes_done);
        TearDown();
        in_ = out_ = -1;
    }
}

TEST_F(FileDataCopyTest, CancelBeforeTheStartCopiesNothing)
{
    Open();
    const CopyOutcome outcome = CopyFileData(in_, out_, kSize, {}, [] { return true; });
    EXPECT_EQ(outcome.result, Result::kCancelled);
    EXPECT_EQ(outcome.way, CopyWay::kNone);
    EXPECT_EQ(ReadWholeFile(folder_ / "output.bin"), "");
}

// The disk fills in the middle of the copy: a child process with a small
// file size limit copies, each way in turn.
TEST_F(FileDataCopyTest, FullDiskIsAnErrorWithItsErrno)
{
    for (const CopyWay first : {CopyWay::kReflink, CopyWay::kCopyFileRange, CopyWay::kReadWrite}) {
        SCOPED_TRACE(CopyWayName(first));
        if (first == CopyWay::kReflink && !ReflinkRefusedHere(folder_.path()))
            continue;  // a clone takes no new blocks
        Open("full-" + std::to_string(static_cast<int>(first)));
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{256 * 1024, 256 * 1024};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            CopyOptions options;
            options.first_way = first;
            const CopyOutcome outcome = CopyFileData(in_, out_, kSize, {}, {}, options);
            const bool right = outcome.result == Result::kFailed && outcome.error == EFBIG &&
                               outcome.failed_side == CopyOutcome::Side::kOutput &&
                               outcome.bytes_done < kSize;
            ::_exit(right ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        TearDown();
        in_ = out_ = -1;
    }
}

TEST_F(FileDataCopyTest, InputShorterThanSaidIsAnError)
{
    for (const CopyWay first : {CopyWay::kReflink, CopyWay::kReadWrite}) {
        Open("short-" + std::to_string(static_cast<int>(first)));
        CopyOptions options;
        options.first_way = first;
        const CopyOutcome outcome = CopyFileData(in_, out_, kSize + 10, {}, {}, options);
        EXPECT_EQ(outcome.result, Result::kFailed);
        EXPECT_EQ(outcome.error, ENODATA);
        EXPECT_EQ(outcome.failed_side, CopyOutcome::Side::kInput);
        TearDown();
        in_ = out_ = -1;
    }
}

}  // namespace
