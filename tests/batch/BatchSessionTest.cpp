// A batch session run on real files with the real worker, without widgets:
// how positions end, when they are settled, and what is left on disk.
#include "BatchPlan.h"
#include "BatchSession.h"
#include "ConversionJob.h"
#include "FolderTest.h"
#include "MediaFixtures.h"
#include "NameJournal.h"
#include "PipeFeeder.h"

#include <csignal>
#include <filesystem>
#include <memory>
#include <set>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::set<std::string> Names(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

class Session : public FolderTest {
protected:
    void SetUp() override
    {
        FolderTest::SetUp();
        in = Path("in");
        out = Path("out");
        fs::create_directory(in);
        fs::create_directory(out);
        journal = std::make_unique<NameJournal>(Path("pending-names.txt"));
        job = std::make_unique<ConversionJob>();
    }

    std::string Video(const std::string& name, const MediaRecipe& recipe = {})
    {
        const std::string path = in + "/" + name;
        EXPECT_EQ(MakeMediaFile(path, recipe), "") << name;
        return path;
    }

    // Gives the inputs their temporary names, as the window does, and
    // starts the session on them.
    void Begin(const std::vector<std::string>& inputs)
    {
        std::vector<TickedRow> rows;
        for (const std::string& input : inputs)
            rows.push_back({static_cast<int>(rows.size()), input, "00:00:01.000"});
        PreparedBatch prepared = PrepareBatch(rows, out, DefaultBatchFileOps(journal.get()));
        ASSERT_TRUE(prepared.Complete());
        Begin(std::move(prepared.files));
    }
    void Begin(std::vector<BatchFile> files)
    {
        session = std::make_unique<BatchSession>(*job, journal.get());
        session->Start(std::move(files), 90, 0);
    }

    void Note(const std::vector<int>& positions, const std::vector<FileError>& errors)
    {
        settled.insert(settled.end(), positions.begin(), positions.end());
        reported.insert(reported.end(), errors.begin(), errors.end());
    }

    // Polls until the worker has ended, then concludes.
    SessionEnd RunToTheEnd()
    {
        while (session->WorkerRunning()) {
            const SessionPoll poll = session->Poll();
            Note(poll.settled, poll.errors);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        session->Join();
        const SessionPoll last = session->Poll();
        Note(last.settled, last.errors);
        const SessionEnd end = session->Conclude();
        Note(end.settled, end.errors);
        return end;
    }

    PositionOutcome::Kind Kind(int position) const { return session->Outcome(position).kind; }

    std::string in, out;
    std::unique_ptr<NameJournal> journal;
    std::unique_ptr<ConversionJob> job;
    std::unique_ptr<BatchSession> session;
    std::vector<int> settled;
    std::vector<FileError> reported;
};

MediaRecipe Vp8()
{
    MediaRecipe recipe;  // the MOV muxer takes no VP8: the file fails at its header
    recipe.video_codec = "vp8";
    recipe.audio_codec = "";
    return recipe;
}

TEST_F(Session, AFailureInTheMiddleLeavesTheOthersDoneAndEveryNameBack)
{
    const std::string a = Video("a.mp4"), b = Video("b.mkv", Vp8()), c = Video("c.avi");
    Begin({a, b, c});
    const SessionEnd end = RunToTheEnd();

    EXPECT_EQ(end.end, BatchEnd::kFinished);
    EXPECT_FALSE(end.failedAtEnd);
    EXPECT_EQ(settled, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Kind(0), PositionOutcome::kDone);
    EXPECT_EQ(Kind(1), PositionOutcome::kFailed);
    EXPECT_FALSE(session->Outcome(1).reason.empty());
    EXPECT_EQ(Kind(2), PositionOutcome::kDone);
    EXPECT_EQ(session->Outcome(0).output, out + "/a.mp4");
    EXPECT_EQ(session->Outcome(2).output, out + "/c.avi");
    EXPECT_EQ(Names(out), (std::set<std::string>{"a.mp4", "c.avi"}));
    EXPECT_EQ(Names(in), (std::set<std::string>{"a.mp4", "b.mkv", "c.avi"}));
    EXPECT_EQ(ReadRotationCw(out + "/c.avi"), 90);
    EXPECT_TRUE(journal->Pending().empty());
    EXPECT_TRUE(reported.empty());
}

TEST_F(Session, TheLastFileFailingEndsTheBatchOnAFailure)
{
    Begin({Video("a.mp4"), Video("b.mkv", Vp8())});
    const SessionEnd end = RunToTheEnd();
    EXPECT_EQ(end.end, BatchEnd::kFinished);
    EXPECT_TRUE(end.failedAtEnd);
    EXPECT_EQ(Kind(0), PositionOutcome::kDone);
    EXPECT_EQ(Kind(1), PositionOutcome::kFailed);
    EXPECT_EQ(Names(out), (std::set<std::string>{"a.mp4"}));
}

TEST_F(Session, AWorkerThatEndsEarlyLeavesTheRestNotReachedUnderTheirOwnNames)
{
    const std::string a = Video("a.mp4");
    const std::string broken = in + "/b.mov";  // read under its own name: cannot be opened
    WriteBytes(broken, "no longer a video");
    const std::string c = Video("c.mp4");
    Begin({a, broken, c});
    const SessionEnd end = RunToTheEnd();

    EXPECT_EQ(end.end, BatchEnd::kWorkerEndedEarly);
    EXPECT_TRUE(end.failedAtEnd);
    EXPECT_EQ(Kind(0), PositionOutcome::kDone);
    EXPECT_EQ(Kind(1), PositionOutcome::kFailed);
    EXPECT_EQ(Kind(2), PositionOutcome::kNotReached);
    EXPECT_EQ(Names(in), (std::set<std::string>{"a.mp4", "b.mov", "c.mp4"}));
    EXPECT_EQ(Read(broken), "no longer a video");
    EXPECT_EQ(Names(out), (std::set<std::string>{"a.mp4"}));
    EXPECT_TRUE(journal->Pending().empty());
}

TEST_F(Session, AStopInTheMiddleOfAFileRemovesItsPartialOutputOnly)
{
    MediaRecipe longer;
    longer.audio_codec = "mp3";
    longer.seconds = 4.0;
    const std::string ts = Video("in.ts", longer);
    const std::string pipe = in + "/pipe.ts";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::signal(SIGPIPE, SIG_IGN);  // the worker may close the pipe before the feeder is through
    std::vector<BatchFile> files = PlanWithoutRenames({pipe, ts}, out);
    for (BatchFile& file : files)
        file.duration_s = 4.0;
    {
        PipeFeeder feeder(pipe, Read(ts));
        Begin(files);
        for (int k = 0; k < 2000 && job->progress_percent.load() <= 0; ++k)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_GT(job->progress_percent.load(), 0);
        session->Cancel();
        feeder.GoOn();
    }
    const SessionEnd end = RunToTheEnd();

    EXPECT_EQ(end.end, BatchEnd::kCancelled);
    EXPECT_FALSE(end.failedAtEnd);
    EXPECT_EQ(Kind(0), PositionOutcome::kStopped);
    EXPECT_EQ(Kind(1), PositionOutcome::kNotReached);
    EXPECT_TRUE(Names(out).empty());
    EXPECT_EQ(Names(in), (std::set<std::string>{"in.ts", "pipe.ts"}));
}

TEST_F(Session, PositionsPassedBetweenTwoPollsAreAllSettledByTheNextOne)
{
    Begin({Video("a.mp4"), Video("b.mkv"), Video("c.MOV")});
    while (session->WorkerRunning())
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const SessionPoll poll = session->Poll();

    EXPECT_EQ(poll.settled, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(poll.tick.end, BatchEnd::kFinished);
    EXPECT_EQ(poll.tick.donePosition, 2);
    EXPECT_EQ(poll.tick.doneCount, 3);
    EXPECT_EQ(Names(out), (std::set<std::string>{"a.mp4", "b.mkv", "c.MOV"}));
    EXPECT_EQ(Names(in), (std::set<std::string>{"a.mp4", "b.mkv", "c.MOV"}));
    session->Join();
    EXPECT_TRUE(session->Conclude().settled.empty());
}

TEST_F(Session, AnInputWhoseNameWasTakenMeanwhileIsReportedOnceAndStaysInTheJournal)
{
    const std::string a = Video("a.mp4");
    Begin({a});
    WriteBytes(a, "newcomer");  // somebody's new file under the input's name
    RunToTheEnd();

    EXPECT_EQ(Kind(0), PositionOutcome::kDone);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].path, in + "/a.mov");
    EXPECT_EQ(reported[0].error, EEXIST);
    EXPECT_EQ(Read(a), "newcomer");
    EXPECT_EQ(journal->Pending().count(in + "/a.mov"), 1u);
    EXPECT_EQ(Names(out), (std::set<std::string>{"a.mp4"}));
}

}  // namespace
