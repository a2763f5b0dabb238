#include <gtest/gtest.h>

#include <sys/stat.h>

#include "batch/FileNames.h"
#include "engine/InputCompleteness.h"
#include "engine/ProbeMedia.h"
#include "tests/engine/EngineTestSupport.h"

extern "C" {
#include <libavutil/avutil.h>
}

// An input that ends before its own index or duration says is never done.

namespace {

// Three seconds of 25 fps pictures and sound, written by FFmpeg's command
// line with the given extra output options.
std::string MakeThreeSeconds(const std::string& path, const std::vector<std::string>& options,
                             const std::string& sound_seconds = "3",
                             const std::string& sound_delay = "0")
{
    std::vector<std::string> args = {
        "ffmpeg",     "-nostdin",  "-loglevel",
        "error",      "-y",        "-f",
        "lavfi",      "-i",        "testsrc=size=160x120:rate=25:duration=3",
        "-itsoffset", sound_delay, "-f",
        "lavfi",      "-i",        "sine=duration=" + sound_seconds,
        "-c:v",       "mpeg4",     "-c:a",
        "aac"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(path);
    std::string log;
    return RunProgram(args, &log) == 0 ? "" : log;
}

double ProbedSeconds(const std::string& path)
{
    const MediaProbe probe = ProbeMedia(path);
    if (probe.result < 0)
        return -1;
    return static_cast<double>(probe.duration_us) / 1e6;
}

// The reason with the count of whole packets read written as N: where the
// encoder put the bytes decides how many survive a cut.
timespec ModificationTime(const std::string& path)
{
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mtim;
}

struct CutCase {
    std::string name;
    std::vector<std::string> options;
    double keep;  // share of the file's bytes kept
    // Where the input's media ends and how long it should run, as the
    // clock shows them, and the pictures its index lists (-1: no index).
    std::string ends_at;
    std::string duration;
    long long pictures_listed;
    // Probe the whole file before it is cut, as the list does when the
    // file is added (a transport stream's own duration is measured from
    // what is there, so only an earlier probe tells it was cut).
    bool probe_before_cut;
};

void PrintTo(const CutCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string CutCaseName(const ::testing::TestParamInfo<CutCase>& info)
{
    std::string name = info.param.name;
    for (char& c : name)
        c = (c == '.' || c == '-') ? '_' : c;
    return name;
}

class TruncatedInputTest : public ::testing::TestWithParam<CutCase>
{};

}  // namespace

TEST_P(TruncatedInputTest, FailsWithWhereTheInputEndsAndLeavesItAlone)
{
    const CutCase& c = GetParam();
    TempFolder folder("truncated");
    const std::string whole = folder / ("whole-" + c.name);
    const std::string cut = folder / c.name;
    ASSERT_EQ(MakeThreeSeconds(whole, c.options), "");
    const double probed = c.probe_before_cut ? ProbedSeconds(whole) : 0.0;
    ASSERT_TRUE(CopyPrefix(
        whole, cut, static_cast<std::int64_t>(static_cast<double>(FileSize(whole)) * c.keep)));
    const std::string before = ReadWholeFile(cut);
    const timespec mtime = ModificationTime(cut);

    auto job = MakeJob(90);
    AddFile(*job, cut, folder / "cut.mov", c.probe_before_cut ? probed : ProbedSeconds(cut));
    AddFile(*job, whole, folder / "whole.mov", ProbedSeconds(whole));
    EXPECT_EQ(RunBatch(*job), 0);
    EXPECT_EQ(job->reports[0].file_status.load(), kFileFailed);
    const Failure& why = job->reports[0].failure;
    EXPECT_EQ(why.step, Failure::kCutShort);
    EXPECT_EQ(ClockText(why.ends_at_s), c.ends_at);
    EXPECT_EQ(ClockText(why.duration_s), c.duration);
    EXPECT_EQ(why.units_listed, c.pictures_listed);
    if (c.pictures_listed >= 0) {
        EXPECT_EQ(why.unit_kind, AVMEDIA_TYPE_VIDEO);
        EXPECT_GT(why.units_read, 0);
        EXPECT_LT(why.units_read, c.pictures_listed);
    }
    // Reported for the session to remove.
    EXPECT_TRUE(job->reports[0].output_created.load());
    EXPECT_EQ(job->reports[0].created_output.path, folder / "cut.mov");
    EXPECT_EQ(ReadWholeFile(cut), before);
    const timespec after = ModificationTime(cut);
    EXPECT_EQ(after.tv_sec, mtime.tv_sec);
    EXPECT_EQ(after.tv_nsec, mtime.tv_nsec);

    EXPECT_EQ(job->reports[1].file_status.load(), kFileDone)
        << "the whole file is not refused: " << FailureSentence(job->reports[1].failure);
    EXPECT_EQ(ReadRotationCw(folder / "whole.mov"), 90);
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, TruncatedInputTest,
    ::testing::Values(
        // The index at the front lists every sample; the data of the second
        // half is gone.
        CutCase{"front-index.mp4",
                {"-movflags", "+faststart"},
                0.5, "0:01", "0:03", 75, false},
        // Cut inside the last second: only the index can tell.
        CutCase{"last-second.mp4",
                {"-movflags", "+faststart"},
                0.97, "0:02", "0:03", 75, false},
        CutCase{"half.mkv", {}, 0.5, "0:01", "0:03", -1, false},
        CutCase{"half.ts", {}, 0.5, "0:01", "0:03", -1, true}),
    CutCaseName);

// Files that end a little apart from their duration in the ordinary way are
// done.
TEST(CompleteInput, OrdinaryEndingsAreDone)
{
    TempFolder folder("complete");
    struct Ordinary {
        std::string name;
        std::vector<std::string> options;
        std::string sound_seconds;
        std::string sound_delay;
    };
    const std::vector<Ordinary> files = {
        {"sound-shorter.mp4", {}, "2.2", "0"},
        {"sound-later.mkv", {}, "3", "0.5"},
        {"sound-later.ts", {}, "3", "0.5"},
        {"start-offset.ts", {"-output_ts_offset", "7200"}, "3", "0"},
        {"start-offset.mkv", {"-output_ts_offset", "100"}, "3", "0"},
        {"b-frames.avi", {"-bf", "2"}, "3", "0"},
        {"fragments.mp4", {"-movflags", "frag_keyframe+empty_moov"}, "3", "0"},
    };
    auto job = MakeJob(90);
    for (const Ordinary& f : files) {
        ASSERT_EQ(MakeThreeSeconds(folder / f.name, f.options, f.sound_seconds, f.sound_delay), "")
            << f.name;
        AddFile(*job, folder / f.name, folder / (f.name + ".mov"), ProbedSeconds(folder / f.name));
    }
    EXPECT_EQ(RunBatch(*job), 0);
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(job->reports[i].file_status.load(), kFileDone)
            << files[i].name << ": " << FailureSentence(job->reports[i].failure);
    }
}

TEST(CompleteInput, ClockTextShowsMinutesAndFromAnHourOnHours)
{
    EXPECT_EQ(ClockText(0), "0:00");
    EXPECT_EQ(ClockText(95.9), "1:35");
    EXPECT_EQ(ClockText(3599.99), "59:59");
    EXPECT_EQ(ClockText(3600), "1:00:00");
    EXPECT_EQ(ClockText(36000 + 62), "10:01:02");
    EXPECT_EQ(ClockText(-3), "0:00");
}
