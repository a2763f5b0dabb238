#include <gtest/gtest.h>

#include "cli/FailureWords.h"
#include "engine/ConversionJob.h"
#include "engine/iso/ReportedRotation.h"
#include "engine/RotationWorker.h"
#include "tests/iso/IsoTestSupport.h"
#include "tests/support/IsoBoxEdit.h"
#include "tests/support/IsoFixtures.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/PipeFeeder.h"

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern "C" {
#include <libavutil/error.h>
}

// The byte-exact way as the worker runs it for a position of a batch:
// chosen for what the box reader takes, sharing output creation, times,
// failure and the ending with the remux way.

namespace {

class IsoCopyWriterTest : public ::testing::Test
{
protected:
    std::unique_ptr<ConversionJob> Job(int degrees)
    {
        auto job = std::make_unique<ConversionJob>();
        job->pre_file_wait_ms = 0;
        turn_ = degrees;
        return job;
    }

    void Add(ConversionJob& job, const std::string& in, const std::string& out) const
    {
        job.files.push_back(JobFile{in, out, 1.0, turn_});
    }

    int turn_ = 0;  // of the files Add adds

    static int Run(ConversionJob& job)
    {
        std::thread worker = StartRotationWorker(job);
        worker.join();
        return job.worker_exit_code.load();
    }

    std::string Made(const std::string& name, const IsoRecipe& recipe = {})
    {
        const std::string path = folder_ / name;
        EXPECT_EQ(MakeIsoWithFfmpeg(path, recipe), "");
        return path;
    }

    static std::vector<std::uint64_t> MatrixOffsets(const std::string& path)
    {
        std::vector<std::uint64_t> offsets;
        for (const IsoVideoTrack& track : InspectPath(path).video_tracks)
            offsets.push_back(track.matrix_offset);
        return offsets;
    }

    static bool PathExists(const std::string& path)
    {
        struct stat info {};
        return ::lstat(path.c_str(), &info) == 0;
    }

    static std::size_t PacketsOf(const std::string& path) { return ReadPackets(path).size(); }

    TempFolder folder_{"isowriter"};
};

TEST_F(IsoCopyWriterTest, PhoneAndCameraFilesKeepEveryByteButTheirMatrices)
{
    IsoRecipe fragmented;
    fragmented.movflags = "frag_keyframe+empty_moov";
    IsoRecipe front;
    front.movflags = "+faststart";
    const std::vector<std::string> inputs = {Made("plain.mp4"), Made("clip.mov"), Made("phone.3gp"),
                                             Made("frag.mp4", fragmented),
                                             Made("front.mp4", front)};
    auto job = Job(90);
    for (const std::string& in : inputs)
        Add(*job, in, in + ".out.mov");
    std::vector<std::string> before;
    std::vector<struct stat> times(inputs.size());
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        before.push_back(ReadWholeFile(inputs[k]));
        ASSERT_EQ(::stat(inputs[k].c_str(), &times[k]), 0);
    }
    ASSERT_EQ(Run(*job), 0);

    for (std::size_t k = 0; k < inputs.size(); ++k) {
        SCOPED_TRACE(inputs[k]);
        const std::string out = inputs[k] + ".out.mov";
        EXPECT_EQ(job->reports[k].file_status.load(), kFileDone) << FailureSentence(job->reports[k].failure);
        EXPECT_EQ(ReadWholeFile(inputs[k]), before[k]) << "the input is never changed";
        std::string why;
        EXPECT_TRUE(DiffersOnlyInMatrices(inputs[k], out, MatrixOffsets(inputs[k]), &why)) << why;
        EXPECT_EQ(ExiftoolRotation(out), 90);
        EXPECT_EQ(ReadRotationCw(out), 90);
        // Like a copy that keeps times, and reported for the journal.
        struct stat written {};
        ASSERT_EQ(::stat(out.c_str(), &written), 0);
        EXPECT_EQ(written.st_mtim.tv_sec, times[k].st_mtim.tv_sec);
        EXPECT_EQ(written.st_mtim.tv_nsec, times[k].st_mtim.tv_nsec);
        EXPECT_TRUE(job->reports[k].output_created.load());
        EXPECT_EQ(job->reports[k].created_output.path, out);
    }
    EXPECT_EQ(job->progress_percent.load(), 100);
}

// The writer's last check opens only the header, with the sample tables
// hidden; it must see what a full open sees.
TEST_F(IsoCopyWriterTest, TheCheckOfTheHeaderSeesWhatAFullOpenSees)
{
    IsoRecipe fragmented;
    fragmented.movflags = "frag_keyframe+empty_moov";
    IsoRecipe two;
    two.second_video = true;
    MediaRecipe portrait;
    portrait.rotation_cw = 270;
    const std::string phone = folder_ / "phone.mov";
    ASSERT_EQ(MakeMediaFile(phone, portrait), "");
    for (const std::string& path :
         {Made("plain.mp4"), Made("frag.mp4", fragmented), Made("two.mp4", two), phone}) {
        SCOPED_TRACE(path);
        const IsoInspection inspection = InspectPath(path);
        ASSERT_EQ(inspection.verdict, IsoInspection::Verdict::kRewritable);
        EXPECT_FALSE(inspection.sample_tables.empty());
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(ReportedRotationCw(fd, inspection.file_size, inspection.sample_tables),
                  ReadRotationCw(path));
        ::close(fd);
    }
    EXPECT_EQ(ReadRotationCw(phone), 270);
}

// What a player shows first is the stored picture turned: FFmpeg's player
// path (autorotate) against the stored picture turned by a filter.
TEST_F(IsoCopyWriterTest, APlayersFirstPictureIsTheStoredOneTurned)
{
    const std::string in = Made("in.mp4");
    auto job = Job(90);
    Add(*job, in, folder_ / "in.out.mp4");
    ASSERT_EQ(Run(*job), 0);
    ASSERT_EQ(job->reports[0].file_status.load(), kFileDone);
    std::string shown, turned;
    ASSERT_EQ(RunProgram({"ffmpeg", "-v", "error", "-i", folder_ / "in.out.mp4", "-frames:v", "1",
                          "-f", "md5", "-"},
                         &shown),
              0);
    ASSERT_EQ(RunProgram({"ffmpeg", "-v", "error", "-noautorotate", "-i", in, "-vf",
                          "transpose=clock", "-frames:v", "1", "-f", "md5", "-"},
                         &turned),
              0);
    EXPECT_EQ(shown, turned);
    EXPECT_NE(shown.find("MD5="), std::string::npos) << shown;
}

TEST_F(IsoCopyWriterTest, AMirroredPhoneClipStaysMirroredAndTurnsOnTopOfItsOwnTurn)
{
    MediaRecipe recipe;
    recipe.rotation_cw = 90;
    const std::string portrait = folder_ / "portrait.mp4";
    ASSERT_EQ(MakeMediaFile(portrait, recipe), "");
    recipe.rotation_cw = 0;
    recipe.mirror = true;
    const std::string mirrored = folder_ / "mirrored.mov";
    ASSERT_EQ(MakeMediaFile(mirrored, recipe), "");

    auto job = Job(90);
    Add(*job, portrait, folder_ / "portrait.out.mp4");
    Add(*job, mirrored, folder_ / "mirrored.out.mov");
    ASSERT_EQ(Run(*job), 0);
    EXPECT_EQ(job->reports[0].file_status.load(), kFileDone) << FailureSentence(job->reports[0].failure);
    EXPECT_EQ(ExiftoolRotation(folder_ / "portrait.out.mp4"), 180);
    EXPECT_EQ(job->reports[1].file_status.load(), kFileDone) << FailureSentence(job->reports[1].failure);
    std::array<std::int32_t, 9> matrix{};
    ASSERT_TRUE(ReadDisplayMatrix(folder_ / "mirrored.out.mov", matrix));
    EXPECT_TRUE(MatrixMirrors(matrix));
}

TEST_F(IsoCopyWriterTest, ACutShortFileFailsBeforeAnyOutputExists)
{
    // The index at the front, as phones write it: the media data is cut.
    IsoRecipe longer;
    longer.seconds = 2.0;
    longer.movflags = "+faststart";
    const std::string whole = Made("whole.mp4", longer);
    const std::string cut = folder_ / "cut.mp4";
    ASSERT_TRUE(CopyPrefix(whole, cut, FileSize(whole) * 2 / 3));
    const std::string before = ReadWholeFile(cut);
    auto job = Job(90);
    Add(*job, cut, folder_ / "cut.out.mov");
    Add(*job, whole, folder_ / "whole.out.mov");
    ASSERT_EQ(Run(*job), 0);
    EXPECT_EQ(job->reports[0].file_status.load(), kFileFailed);
    EXPECT_EQ(job->reports[0].failure.step, Failure::kCutShort);
    EXPECT_GT(job->reports[0].failure.ends_at_s, 0.5);
    EXPECT_LT(job->reports[0].failure.ends_at_s, 1.9);
    EXPECT_NEAR(job->reports[0].failure.duration_s, 2.0, 0.1);
    EXPECT_FALSE(job->reports[0].output_created.load());
    EXPECT_FALSE(PathExists(folder_ / "cut.out.mov"));
    EXPECT_EQ(ReadWholeFile(cut), before);
    // One damaged file does not end the batch.
    EXPECT_EQ(job->reports[1].file_status.load(), kFileDone);
}

TEST_F(IsoCopyWriterTest, ACancelledCopyLeavesThePositionPendingAndItsOutputReported)
{
    const std::string in = Made("in.mp4");
    auto job = Job(90);
    Add(*job, in, folder_ / "in.out.mov");
    // The copy starts right after the output is made: cancel there.
    job->output_created_hook = [&job](int, const CreatedFile&) { job->cancel_requested = true; };
    ASSERT_EQ(Run(*job), 0);
    EXPECT_EQ(job->reports[0].file_status.load(), kFilePending);
    // A copy cut short would not play: the session removes it by this.
    EXPECT_TRUE(job->reports[0].output_created.load());
    EXPECT_EQ(job->reports[0].created_output.path, folder_ / "in.out.mov");
}

TEST_F(IsoCopyWriterTest, AFullDiskFailsTheFile)
{
    IsoRecipe longer;
    longer.seconds = 3.0;
    const std::string in = Made("big.mp4", longer);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {};
        limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(FileSize(in) / 2);
        ::setrlimit(RLIMIT_FSIZE, &limit);
        auto job = Job(90);
        Add(*job, in, folder_ / "big.out.mov");
        RotationWorker(*job);
        const Failure& why = job->reports[0].failure;
        const bool tooLarge = why.step == Failure::kWriteOutput && why.code == AVERROR(EFBIG);
        ::_exit(tooLarge ? job->reports[0].file_status.load() : 101);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kFileFailed) << "101: another failure than a file too large";
}

TEST_F(IsoCopyWriterTest, WhatTheBoxReaderDoesNotTakeIsRemuxed)
{
    MediaRecipe matroska;
    const std::string mkv = folder_ / "clip.mkv";
    ASSERT_EQ(MakeMediaFile(mkv, matroska), "");
    auto job = Job(90);
    Add(*job, mkv, folder_ / "clip.out.mov");
    ASSERT_EQ(Run(*job), 0);
    EXPECT_EQ(job->reports[0].file_status.load(), kFileDone);
    EXPECT_EQ(ReadInfo(folder_ / "clip.out.mov").format_name, "mov,mp4,m4a,3gp,3g2,mj2");
    EXPECT_EQ(ReadRotationCw(folder_ / "clip.out.mov"), 90);
}

// A pipe that a program feeds is never opened by the choice of the way:
// the remux reads it from its first byte to its last.
TEST_F(IsoCopyWriterTest, APipedInputIsLeftWholeToTheRemux)
{
    MediaRecipe recipe;
    recipe.audio_codec = "mp3";
    const std::string ts = folder_ / "clip.ts";
    ASSERT_EQ(MakeMediaFile(ts, recipe), "");
    const std::string fifo = folder_ / "fed.ts";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto job = Job(90);
    Add(*job, fifo, folder_ / "fed.out.mov");
    std::thread worker;
    {
        PipeFeeder feeder(fifo, ReadWholeFile(ts));
        worker = StartRotationWorker(*job);
        feeder.GoOn();
        worker.join();
    }
    EXPECT_EQ(job->reports[0].file_status.load(), kFileDone) << FailureSentence(job->reports[0].failure);
    EXPECT_EQ(ReadRotationCw(folder_ / "fed.out.mov"), 90);
    EXPECT_EQ(PacketsOf(folder_ / "fed.out.mov"), PacketsOf(ts));
}

}  // namespace
