#include <gtest/gtest.h>

#include "batch/FileNames.h"
#include "batch/InputCheck.h"
#include "batch/PollTick.h"
#include "cli/FailureWords.h"
#include "engine/ConversionJob.h"
#include "engine/iso/FileDataCopy.h"
#include "engine/ProcessSetUp.h"
#include "engine/RotationWorker.h"
#include "tests/support/IsoBoxEdit.h"
#include "tests/support/IsoFixtures.h"
#include "tests/support/MediaFixtures.h"

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <iterator>
#include <thread>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Files, names and folders made to hurt: whatever they declare or are
// called, the program spends bounded memory and time on them, reads the
// file it was given and opens nothing it did not create.

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;  // their shadow memory needs far more address space
#else
constexpr bool kSanitized = false;
#endif

// Runs body in a child process under a 1 GB address-space limit (a fault
// ceiling, not a measure) and a 60 s alarm, set up as the programs are.
// Returns the body's result, or a text saying how the child died.
std::string InBoundedChild(const std::function<std::string()>& body)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return "no pipe";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(channel[0]);
        if (!kSanitized) {
            const rlimit limit{rlim_t{1} << 30, rlim_t{1} << 30};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        ::alarm(60);
        SetUpProcess(false);
        const std::string result = body();
        (void)!::write(channel[1], result.data(), result.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string result;
    char buffer[512];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, static_cast<std::size_t>(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFSIGNALED(status))
        return "killed by signal " + std::to_string(WTERMSIG(status));
    return result;
}

std::unique_ptr<ConversionJob> Job(bool copy_iso_files)
{
    auto job = std::make_unique<ConversionJob>();
    job->pre_file_wait_ms = 0;
    job->copy_iso_files = copy_iso_files;
    return job;
}

void Add(ConversionJob& job, const std::string& in, const std::string& out)
{
    job.files.push_back(JobFile{in, out, 1.0, 90});
}

// "done", or the failure's words.
std::string RunOne(const std::string& in, const std::string& out, bool copy_iso_files)
{
    auto job = Job(copy_iso_files);
    Add(*job, in, out);
    std::thread worker = StartRotationWorker(*job);
    worker.join();
    if (job->reports[0].file_status.load() == kFileDone)
        return "done";
    return FailureSentence(job->reports[0].failure);
}

// Every video track's tables say: 80 million samples of one byte, all in
// the first chunk. The file stays a few kilobytes.
void DeclareSampleFlood(IsoTestFile& file)
{
    for (int t = 0; TestBox* trak = file.Find("moov/trak[" + std::to_string(t) + "]"); ++t) {
        if (TrackHandler(*trak) != "vide")
            continue;
        TestBox* stbl = trak->Child("mdia")->Child("minf")->Child("stbl");
        const std::uint32_t kFlood = 80'000'000;
        stbl->Child("stsz")->payload = U32Bytes(0) + U32Bytes(1) + U32Bytes(kFlood);
        stbl->Child("stsc")->payload = U32Bytes(0) + U32Bytes(1) + U32Bytes(1) +
                                       U32Bytes(kFlood) + U32Bytes(1);
        TestBox* stco = stbl->Child("stco");
        stco->payload = stco->payload.substr(0, 4) + U32Bytes(1) + stco->payload.substr(8, 4);
        stbl->Child("stts")->payload = U32Bytes(0) + U32Bytes(1) + U32Bytes(kFlood) + U32Bytes(1);
    }
}

int StoredWidth(const std::string& path)
{
    for (const FixtureStream& stream : ReadInfo(path).streams) {
        if (stream.width > 0)
            return stream.width;
    }
    return 0;
}

class HostileInput : public ::testing::Test
{
protected:
    TempFolder folder_{"hostile"};
};

}  // namespace

TEST_F(HostileInput, DeclaredSampleFloodsAreRefusedWithinBoundedMemoryByEveryWay)
{
    for (const bool twoTracks : {false, true}) {
        SCOPED_TRACE(twoTracks ? "two video tracks" : "one video track");
        IsoRecipe recipe;
        recipe.second_video = twoTracks;
        const std::string made = folder_ / "made.mp4";
        ASSERT_EQ(MakeIsoWithFfmpeg(made, recipe), "");
        IsoTestFile file = IsoTestFile::Load(made);
        ASSERT_TRUE(file.ok());
        DeclareSampleFlood(file);
        const std::string bomb = folder_ / (twoTracks ? "bomb2.mp4" : "bomb1.mp4");
        ASSERT_TRUE(file.Save(bomb));

        const std::string result = InBoundedChild([&] {
            std::string found = RejectionSentence(CheckInput(bomb));
            for (const bool copy : {true, false})
                found += " | " + RunOne(bomb, folder_ / (copy ? "copied.mp4" : "remuxed.mov"), copy);
            return found;
        });
        const std::string words = "the tables describe more samples than the file holds";
        EXPECT_EQ(result, "its " + words.substr(4) + " | " + words + " | " + words);
        EXPECT_FALSE(PathExists(folder_ / "copied.mp4"));
        EXPECT_FALSE(PathExists(folder_ / "remuxed.mov"));
    }
}

TEST_F(HostileInput, AFileOfMoreThanAHundredStreamsIsRefusedBeforeItsDecodersOpen)
{
    const std::string made = folder_ / "made.mp4";
    IsoRecipe recipe;
    recipe.audio = "";
    ASSERT_EQ(MakeIsoWithFfmpeg(made, recipe), "");
    IsoTestFile file = IsoTestFile::Load(made);
    ASSERT_TRUE(file.ok());
    std::vector<TestBox>& moov = file.Find("moov")->children;
    const TestBox trak = *file.Find("moov/trak");
    for (std::uint32_t id = 2; id <= 900; ++id) {
        TestBox copy = trak;
        SetTrackId(copy, id);
        moov.push_back(copy);
    }
    const std::string many = folder_ / "many.mp4";
    ASSERT_TRUE(file.Save(many));

    const std::string result = InBoundedChild([&] {
        return RejectionSentence(CheckInput(many)) + " | " +
               RunOne(many, folder_ / "many.mov", false);
    });
    EXPECT_EQ(result, "it has more than 100 streams | the input has more than 100 streams");
    EXPECT_FALSE(PathExists(folder_ / "many.mov"));
}

TEST_F(HostileInput, NamesThatLookLikeAddressesAreFilesInTheWorkingFolder)
{
    // The decoys are what libavformat would read for these names.
    MediaRecipe small;
    small.seconds = 1;
    MediaRecipe decoy;
    decoy.width = 320;
    decoy.height = 240;
    decoy.seconds = 2;
    ASSERT_EQ(MakeMediaFile(folder_ / "a.mkv", decoy), "");
    ASSERT_EQ(MakeMediaFile(folder_ / "b.mp4", decoy), "");
    const char* names[] = {"file:a.mkv", "pipe:0.mkv", "http:host.mkv", "file:b.mp4"};
    for (const std::string name : names) {
        const bool mp4 = name.find(".mp4") != std::string::npos;
        ASSERT_EQ(MakeMediaFile(folder_ / name, small, mp4 ? "mp4" : "matroska"), "") << name;
    }

    char previous[PATH_MAX];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(folder_.path().c_str()), 0);
    for (std::size_t k = 0; k < std::size(names); ++k) {
        const char* name = names[k];
        SCOPED_TRACE(name);
        const InputVerdict verdict = CheckInput(name);
        EXPECT_TRUE(verdict.accepted()) << RejectionSentence(verdict);
        EXPECT_NEAR(verdict.duration_s, 1.0, 0.1);
        EXPECT_EQ(verdict.facts.width, 160);
        for (const bool copy : {true, false}) {
            const std::string out =
                std::string("out-") + (copy ? "copy-" : "remux-") + std::to_string(k) + ".mov";
            EXPECT_EQ(RunOne(name, out, copy), "done");
            EXPECT_EQ(StoredWidth(folder_ / out), 160) << out;
            EXPECT_EQ(ReadRotationCw(folder_ / out), 90) << out;
        }
    }
    ASSERT_EQ(::chdir(previous), 0);
}

TEST_F(HostileInput, SpecialFilesAtAnOutputFolderNameAreNeitherOpenedNorFollowed)
{
    const std::string out = folder_ / "out";
    ASSERT_EQ(::mkdir(out.c_str(), 0755), 0);
    const std::string elsewhere = folder_ / "elsewhere.txt";
    ASSERT_TRUE(WriteBytes(elsewhere, "somebody's file"));
    ASSERT_EQ(::mkfifo((out + "/jlewhqlhqwenqfwk.mp4").c_str(), 0644), 0);
    ASSERT_EQ(::symlink(elsewhere.c_str(), (out + "/jlewhqlhqwenqfwk(1).mp4").c_str()), 0);

    const std::string result =
        InBoundedChild([&] { return FolderWriteTest(out) ? std::string("writable") : "not"; });
    EXPECT_EQ(result, "writable");
    EXPECT_EQ(ReadWholeFile(elsewhere), "somebody's file");
    struct stat info {};
    ASSERT_EQ(::lstat((out + "/jlewhqlhqwenqfwk.mp4").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    ASSERT_EQ(::lstat((out + "/jlewhqlhqwenqfwk(1).mp4").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_FALSE(PathExists(out + "/jlewhqlhqwenqfwk(2).mp4"));

    // An input that is a FIFO with no writer, or a device, is refused at
    // once by the probe and by both ways of writing.
    const std::string fifo = folder_ / "fifo.mp4";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string refused = InBoundedChild([&] {
        std::string found = RejectionSentence(CheckInput(fifo)) + " | " +
                            RejectionSentence(CheckInput("/dev/zero"));
        found += " | " + RunOne("/dev/zero", out + "/zero.mov", true);
        return found;
    });
    EXPECT_EQ(refused.substr(0, 41), "not a regular file | not a regular file |");
    EXPECT_FALSE(PathExists(out + "/zero.mov"));
}

TEST_F(HostileInput, HolesOfASparseInputStayHolesInTheCopy)
{
    // 64 MiB that hold two MiB of data: at the start and in the middle.
    const std::string sparse = folder_ / "sparse.bin";
    const std::uint64_t size = std::uint64_t{64} << 20;
    const std::string data(1 << 20, 'x');
    {
        const int fd = ::open(sparse.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, data.data(), data.size(), 0), static_cast<ssize_t>(data.size()));
        ASSERT_EQ(::pwrite(fd, data.data(), data.size(), 32 << 20),
                  static_cast<ssize_t>(data.size()));
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
        ::close(fd);
    }
    for (const CopyWay way : {CopyWay::kCopyFileRange, CopyWay::kReadWrite}) {
        SCOPED_TRACE(CopyWayName(way));
        const std::string copy = folder_ / (std::string("copy-") + CopyWayName(way)[0]);
        const int in = ::open(sparse.c_str(), O_RDONLY);
        const int out = ::open(copy.c_str(), O_RDWR | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(in, 0);
        ASSERT_GE(out, 0);
        CopyOptions options;
        options.first_way = way;
        options.chunk_bytes = 8 << 20;
        const CopyOutcome outcome = CopyFileData(in, out, size, {}, {}, options);
        ::close(in);
        ::close(out);
        ASSERT_EQ(outcome.result, CopyOutcome::Result::kDone) << outcome.error;
        struct stat info {};
        ASSERT_EQ(::stat(copy.c_str(), &info), 0);
        EXPECT_EQ(static_cast<std::uint64_t>(info.st_size), size);
        EXPECT_LT(static_cast<std::uint64_t>(info.st_blocks) * 512, std::uint64_t{8} << 20);
        EXPECT_TRUE(ReadWholeFile(copy) == ReadWholeFile(sparse));
        ::unlink(copy.c_str());
    }
}

TEST_F(HostileInput, AnInputRewrittenDuringItsCopyFailsAndLeavesNothing)
{
    const std::string input = folder_ / "in.mp4";
    ASSERT_EQ(MakeIsoWithFfmpeg(input, IsoRecipe{}), "");
    const std::string before = ReadWholeFile(input);
    auto job = Job(true);
    Add(*job, input, folder_ / "out.mp4");
    // Another program rewrites a byte of the input in place, size unchanged.
    job->between_chunks_hook = [&input](int) {
        const int fd = ::open(input.c_str(), O_WRONLY);
        (void)!::pwrite(fd, "\x01", 1, 100);
        ::close(fd);
    };
    std::thread worker = StartRotationWorker(*job);
    worker.join();
    ASSERT_EQ(job->reports[0].file_status.load(), kFileFailed);
    EXPECT_EQ(FailureSentence(job->reports[0].failure), "the input changed while it was copied");
    // The session settles it as failed and removes the output it created.
    const PositionOutcome outcome = OutcomeOf(ReadJob(*job), 0);
    EXPECT_EQ(outcome.kind, PositionOutcome::kFailed);
    EXPECT_TRUE(outcome.removeOutput);
    EXPECT_EQ(ReadWholeFile(input).size(), before.size());
}
