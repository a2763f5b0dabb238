// A batch session run on real files with the real worker, without widgets:
// how positions end, when they are settled, and what is left on disk.
#include "batch/BatchSession.h"
#include "batch/BatchPlan.h"
#include "batch/NameJournal.h"
#include "engine/ConversionJob.h"
#include "engine/FileWriter.h"
#include "engine/PositionWork.h"
#include "engine/ProbeMedia.h"
#include "tests/support/FolderTest.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/PipeFeeder.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <thread>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class Session : public FolderTest
{
protected:
    void SetUp() override
    {
        FolderTest::SetUp();
        in = Path("in");
        out = Path("out");
        fs::create_directory(in);
        fs::create_directory(out);
        journal = std::make_unique<NameJournal>(Path("pending-names.txt"));
    }

    std::string Video(const std::string& name, const MediaRecipe& recipe = {})
    {
        const std::string path = in + "/" + name;
        EXPECT_EQ(MakeMediaFile(path, recipe), "") << name;
        return path;
    }

    // Plans the batch as the window does and starts the session on it.
    void Begin(const std::vector<std::string>& inputs)
    {
        std::vector<TickedRow> rows;
        for (const std::string& input : inputs)
            rows.push_back({static_cast<int>(rows.size()), input, "00:00:01.000"});
        PreparedBatch prepared = PrepareBatch(rows, out);
        ASSERT_TRUE(prepared.Complete());
        Begin(std::move(prepared.files));
    }
    void Begin(std::vector<BatchFile> files)
    {
        session = std::make_unique<BatchSession>(journal.get());
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

    // A four-second transport stream in.ts and a named pipe pipe.ts to feed
    // it through, so that the worker can be held in the middle of a file.
    std::string PipedInput()
    {
        MediaRecipe longer;
        longer.audio_codec = "mp3";
        longer.seconds = 4.0;
        fed = Video("in.ts", longer);
        const std::string pipe = in + "/pipe.ts";
        EXPECT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
        std::signal(SIGPIPE,
                    SIG_IGN);  // the worker may close the pipe before the feeder is through
        return pipe;
    }
    bool WaitForProgress() const
    {
        for (int k = 0; k < 2000 && session->Record()->progress_percent.load() <= 0; ++k)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return session->Record()->progress_percent.load() > 0;
    }

    std::string fed;

    std::string in, out;
    std::unique_ptr<NameJournal> journal;
    std::unique_ptr<BatchSession> session;
    std::vector<int> settled;
    std::vector<FileError> reported;
};

// The payloads of a file's packets, stream by stream.
std::map<int, std::vector<std::vector<std::uint8_t>>> Payloads(const std::string& path)
{
    std::map<int, std::vector<std::vector<std::uint8_t>>> streams;
    for (FixturePacket& packet : ReadPackets(path))
        streams[packet.stream_index].push_back(std::move(packet.data));
    return streams;
}

// Creates a file the way a user's program would, never over an existing one.
bool DropFile(const std::string& path, const std::string& content)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        return false;
    const bool written =
        ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    ::close(fd);
    return written;
}

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
    EXPECT_TRUE(session->Outcome(1).failure.failed());
    EXPECT_EQ(Kind(2), PositionOutcome::kDone);
    EXPECT_EQ(session->Outcome(0).output, out + "/a.mp4");
    EXPECT_EQ(session->Outcome(2).output, out + "/c.mov");
    EXPECT_EQ(Names(out), (std::set<std::string>{"a.mp4", "c.mov"}));
    EXPECT_EQ(Names(in), (std::set<std::string>{"a.mp4", "b.mkv", "c.avi"}));
    EXPECT_EQ(ReadRotationCw(out + "/c.mov"), 90);
    EXPECT_TRUE(journal->PendingOutputs().empty());
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
    EXPECT_TRUE(journal->PendingOutputs().empty());
}

TEST_F(Session, AStopInTheMiddleOfAFileRemovesItsPartialOutputOnly)
{
    const std::string pipe = PipedInput();
    std::vector<BatchFile> files = PlanBatch({pipe, fed}, out);
    for (BatchFile& file : files)
        file.duration_s = 4.0;
    {
        PipeFeeder feeder(pipe, Read(fed));
        Begin(files);
        ASSERT_TRUE(WaitForProgress());
        // The journal lists the output while it is being written.
        EXPECT_EQ(journal->PendingOutputs(), std::vector<std::string>{out + "/pipe.mov"});
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
    EXPECT_TRUE(journal->PendingOutputs().empty());
    EXPECT_EQ(Read(journal->Path()), "");
}

TEST_F(Session, AStopKeepsWhatIsDoneAndRemovesOnlyTheOutputItCutShort)
{
    const std::string a = Video("a.mp4");
    const std::string pipe = PipedInput();
    const std::string c = Video("c.mp4");
    std::vector<BatchFile> files = PlanBatch({a, pipe, c}, out);
    files[1].duration_s = 4.0;
    {
        PipeFeeder feeder(pipe, Read(fed));
        Begin(files);
        // In the middle of the second file: its output is made (which
        // comes after the first file's progress is cleared) and growing.
        const auto inSecondFile = [&] {
            return session->Record()->reports[1].output_created.load() && session->Record()->progress_percent.load() > 0;
        };
        for (int k = 0; k < 4000 && !inSecondFile(); ++k)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_TRUE(inSecondFile());
        ASSERT_EQ(session->Record()->current_index.load(), 1);
        session->Cancel();
        feeder.GoOn();
    }
    const SessionEnd end = RunToTheEnd();

    EXPECT_EQ(end.end, BatchEnd::kCancelled);
    EXPECT_FALSE(end.failedAtEnd);
    EXPECT_EQ(settled, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Kind(0), PositionOutcome::kDone);
    EXPECT_FALSE(session->Outcome(0).removeOutput);
    EXPECT_EQ(Kind(1), PositionOutcome::kStopped);
    EXPECT_TRUE(session->Outcome(1).removeOutput);
    EXPECT_EQ(Kind(2), PositionOutcome::kNotReached);
    EXPECT_FALSE(session->Outcome(2).removeOutput);
    EXPECT_EQ(Names(out), (std::set<std::string>{"a.mp4"}));
    EXPECT_EQ(ReadRotationCw(out + "/a.mp4"), 90);
    EXPECT_EQ(Names(in), (std::set<std::string>{"a.mp4", "c.mp4", "in.ts", "pipe.ts"}));
    EXPECT_TRUE(journal->PendingOutputs().empty());
}

TEST_F(Session, AFileDroppedUnderAWorkingNameSurvivesAStop)
{
    const std::string pipe = PipedInput();
    const std::string c = Video("c.mp4");
    std::vector<BatchFile> files = PlanBatch({pipe, c}, out);
    files[0].duration_s = 4.0;
    {
        PipeFeeder feeder(pipe, Read(fed));
        Begin(files);
        ASSERT_TRUE(WaitForProgress());
        // The user saves a file under the name the batch chose for c.
        ASSERT_TRUE(DropFile(out + "/c.mov", "the user's own"));
        session->Cancel();
        feeder.GoOn();
    }
    RunToTheEnd();
    EXPECT_EQ(Kind(1), PositionOutcome::kNotReached);
    EXPECT_EQ(Names(out), (std::set<std::string>{"c.mov"}));
    EXPECT_EQ(Read(out + "/c.mov"), "the user's own");
}

TEST_F(Session, TwoBatchesIntoOneFolderKeepBothOutputs)
{
    // Batch one holds in its first file while batch two writes the name
    // that batch one chose for its second file.
    const std::string pipe = PipedInput();
    MediaRecipe small;
    small.width = 96;
    small.height = 64;
    const std::string mine = Video("b.mp4", small);
    fs::create_directory(Path("other"));
    const std::string theirs = Path("other/b.mov");
    ASSERT_EQ(MakeMediaFile(theirs, MediaRecipe{}), "");

    std::vector<BatchFile> files = PlanBatch({pipe, mine}, out);
    files[0].duration_s = 4.0;
    ASSERT_EQ(files[1].output, out + "/b.mov");
    std::vector<std::pair<int, std::string>> renamed;
    {
        PipeFeeder feeder(pipe, Read(fed));
        Begin(files);
        ASSERT_TRUE(WaitForProgress());

        BatchSession other(nullptr);
        other.Start(PlanBatch({theirs}, out), 180, 0);
        other.Join();
        other.Poll();
        other.Conclude();
        ASSERT_EQ(other.Outcome(0).kind, PositionOutcome::kDone);
        ASSERT_EQ(other.Outcome(0).output, out + "/b.mov");
        feeder.GoOn();
    }
    while (session->WorkerRunning()) {
        const SessionPoll poll = session->Poll();
        renamed.insert(renamed.end(), poll.outputNames.begin(), poll.outputNames.end());
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    session->Join();
    const SessionPoll last = session->Poll();
    renamed.insert(renamed.end(), last.outputNames.begin(), last.outputNames.end());
    const SessionEnd end = session->Conclude();
    renamed.insert(renamed.end(), end.outputNames.begin(), end.outputNames.end());

    // Batch one wrote its file under the next free name and then gave it
    // its final name; batch two's finished file is as batch two left it.
    EXPECT_EQ(Kind(1), PositionOutcome::kDone);
    EXPECT_EQ(renamed, (std::vector<std::pair<int, std::string>>{{1, out + "/b(0).mov"}}));
    EXPECT_EQ(session->Outcome(1).output, out + "/b.mp4");
    EXPECT_EQ(Names(out), (std::set<std::string>{"b.mov", "b.mp4", "pipe.mov"}));
    EXPECT_TRUE(Payloads(out + "/b.mov") == Payloads(theirs));
    EXPECT_EQ(ReadRotationCw(out + "/b.mov"), 180);
    EXPECT_TRUE(Payloads(out + "/b.mp4") == Payloads(mine));
    EXPECT_EQ(ReadRotationCw(out + "/b.mp4"), 90);
}

TEST_F(Session, PositionsPassedBetweenTwoPollsAreAllSettledByTheNextOne)
{
    Begin({Video("a.mp4"), Video("b.mkv"), Video("c.MOV")});
    while (session->WorkerRunning())
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const SessionPoll poll = session->Poll();

    EXPECT_EQ(poll.settled, (std::vector<int>{0, 1, 2}));
    for (int position : poll.settled)
        EXPECT_EQ(Kind(position), PositionOutcome::kDone) << position;
    EXPECT_EQ(poll.tick.end, BatchEnd::kFinished);
    EXPECT_EQ(poll.tick.doneCount, 3);
    EXPECT_EQ(Names(out), (std::set<std::string>{"a.mp4", "b.mov", "c.MOV"}));
    EXPECT_EQ(Names(in), (std::set<std::string>{"a.mp4", "b.mkv", "c.MOV"}));
    session->Join();
    EXPECT_TRUE(session->Conclude().settled.empty());
}

// The window's plan names each output after the container the worker
// writes into it: MP4, MOV and 3GP inputs are copied and keep their
// names, the others say QuickTime or MP4, as a reader that is not FFmpeg
// sees them; a user's file of that name is stepped over.
TEST_F(Session, OutputNamesSayTheContainerInside)
{
    MediaRecipe h264;
    h264.video_codec = "h264";
    MediaRecipe web;
    web.video_codec = "vp9";
    web.audio_codec = "opus";
    struct Case {
        std::string input;
        MediaRecipe recipe;
        std::string output;
        std::string type;  // exiftool's FileType and MIMEType
    };
    const std::string mp4 = "MP4\nvideo/mp4\n";
    const std::string mov = "MOV\nvideo/quicktime\n";
    const std::vector<Case> cases{
        {"a.mp4", h264, "a.mp4", mp4},        {"b.mov", {}, "b.mov", mov},
        {"c.3gp", h264, "c.3gp", "3GP\nvideo/3gpp\n"},
        {"d.mkv", h264, "d(0).mov", mov},     {"e.webm", web, "e.mp4", mp4},
        {"f.avi", {}, "f.mov", mov},          {"g.ts", h264, "g.mov", mov},
    };
    WriteBytes(out + "/d.mov", "the user's");
    std::vector<std::string> inputs;
    for (const Case& c : cases)
        inputs.push_back(Video(c.input, c.recipe));
    Begin(inputs);
    RunToTheEnd();

    std::set<std::string> expected{"d.mov"};
    for (std::size_t k = 0; k < cases.size(); ++k) {
        const Case& c = cases[k];
        SCOPED_TRACE(c.input);
        expected.insert(c.output);
        EXPECT_EQ(Kind(static_cast<int>(k)), PositionOutcome::kDone);
        EXPECT_EQ(session->Outcome(static_cast<int>(k)).output, out + "/" + c.output);
        EXPECT_EQ(ReadRotationCw(out + "/" + c.output), 90);
        if (ProgramAvailable("exiftool")) {
            std::string type;
            EXPECT_EQ(RunProgram({"exiftool", "-s3", "-FileType", "-MIMEType", out + "/" + c.output},
                                 &type),
                      0);
            EXPECT_EQ(type, c.type);
        }
    }
    EXPECT_EQ(Names(out), expected);
    EXPECT_EQ(Read(out + "/d.mov"), "the user's");
}

TEST_F(Session, ADoneOutputThatCannotTakeItsFinalNameIsKeptEvenAfterACrash)
{
    // The final name is three bytes longer than the longest a file name may
    // be: the working name had to step over a file of the user's.
    const std::string input = in + "/c." + std::string(253, 'x');
    ASSERT_EQ(MakeMediaFile(input, MediaRecipe{}, "mp4"), "");
    WriteBytes(out + "/c.mov", "the user's");
    std::vector<BatchFile> files = PlanBatch({input}, out);
    ASSERT_EQ(files[0].output, out + "/c(0).mov");
    Begin(files);
    RunToTheEnd();

    EXPECT_EQ(Kind(0), PositionOutcome::kDone);
    EXPECT_EQ(session->Outcome(0).moveError, ENAMETOOLONG);
    EXPECT_EQ(session->Outcome(0).output, out + "/c(0).mov");
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_TRUE(journal->PendingOutputs().empty());
    // What a start-up after a crash would find: nothing to remove.
    std::vector<std::string> removed;
    RecoverPendingNames(journal->Path(), &removed);
    EXPECT_TRUE(removed.empty());
    EXPECT_EQ(ReadRotationCw(out + "/c(0).mov"), 90);
    EXPECT_EQ(Read(out + "/c.mov"), "the user's");
}

// Events on the watched folder other than reads, by name.
std::vector<std::string> ChangesSeen(int watch)
{
    std::vector<std::string> changes;
    alignas(inotify_event) char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(watch, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            constexpr std::uint32_t kReads = IN_OPEN | IN_ACCESS | IN_CLOSE_NOWRITE | IN_ISDIR;
            if ((event->mask & ~kReads) != 0)
                changes.push_back(std::string(event->len ? event->name : "(folder)") + " mask " +
                                  std::to_string(event->mask));
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return changes;
}

TEST_F(Session, NothingInTheSourceFolderChangesAtAnyMomentOfABatch)
{
    const std::vector<std::string> inputs = {Video("a.mkv"), Video("b.mp4"), Video("c.avi")};
    const std::set<std::string> before = Names(in);
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, in.c_str(), IN_ALL_EVENTS), 0);

    Begin(inputs);
    RunToTheEnd();

    EXPECT_EQ(ChangesSeen(watch), std::vector<std::string>{});
    ::close(watch);
    for (int position = 0; position < 3; ++position)
        EXPECT_EQ(Kind(position), PositionOutcome::kDone) << position;
    EXPECT_EQ(Names(in), before);
    EXPECT_EQ(Names(out), (std::set<std::string>{"a.mov", "b.mp4", "c.mov"}));
    EXPECT_TRUE(journal->PendingOutputs().empty());
}

// Fails its position with a failure that names the position, and touches
// nothing on disk: the worker's and the session's bookkeeping without media
// work.
class NamingFailureWriter : public FileWriter
{
public:
    WriteResult Write(PositionWork& work) override
    {
        Failure failure(Failure::kRotationNotWritten);
        failure.wanted_cw = work.Index();
        return WriteResult::Failed(failure);
    }
};

// The writers leave what they wrote of a failed file; the session removes
// it, and only it.
TEST_F(Session, TheSessionRemovesTheOutputOfAFileThatFailedAfterItsOutputWasMade)
{
    MediaRecipe longer;
    longer.seconds = 3.0;
    const std::string whole = Video("whole.mkv", longer);
    const std::string cut = in + "/cut.mkv";
    ASSERT_TRUE(CopyPrefix(whole, cut, FileSize(whole) / 2));
    std::vector<BatchFile> files = PlanBatch({cut, whole}, out);
    for (BatchFile& file : files)
        file.duration_s = 3.0;
    session = std::make_unique<BatchSession>(journal.get());
    session->Start(std::move(files), 90, 0);
    RunToTheEnd();

    ASSERT_EQ(Kind(0), PositionOutcome::kFailed);
    EXPECT_EQ(session->Outcome(0).failure.step, Failure::kCutShort);
    EXPECT_TRUE(session->Record()->reports[0].output_created.load());
    EXPECT_EQ(Kind(1), PositionOutcome::kDone);
    EXPECT_EQ(Names(out), (std::set<std::string>{"whole.mov"}));
    EXPECT_TRUE(journal->PendingOutputs().empty());
}

TEST_F(Session, EachFileIsTurnedByItsOwnTurn)
{
    // One file of either way: the byte copy and the remux.
    std::vector<BatchFile> files = PlanBatch({Video("a.mp4"), Video("b.mkv")}, out);
    files[0].turnDeg = 270;
    files[1].turnDeg = 180;
    session = std::make_unique<BatchSession>(journal.get());
    session->Start(std::move(files), 0);
    RunToTheEnd();

    ASSERT_EQ(Kind(0), PositionOutcome::kDone);
    ASSERT_EQ(Kind(1), PositionOutcome::kDone);
    EXPECT_EQ(ReadRotationCw(session->Outcome(0).output), 270);
    EXPECT_EQ(ReadRotationCw(session->Outcome(1).output), 180);
}

// The probe shares nothing with a running batch: what it finds and what
// the batch does are as they are alone. Also run under ThreadSanitizer.
TEST_F(Session, AProbeWhileABatchRunsChangesNeitherItsFactsNorTheBatch)
{
    const std::string probed = Video("probed.mkv");
    const MediaProbe alone = ProbeMedia(probed);
    ASSERT_TRUE(alone.hasVideo());
    const std::vector<std::string> inputs = {Video("a.mp4"), Video("b.mkv", Vp8()),
                                             Video("c.avi")};
    struct Run {
        std::vector<PositionOutcome::Kind> kinds;
        std::vector<Failure::Step> steps;
        std::vector<std::string> names;
        int probes = 0;
    };
    const auto runBatch = [&](const std::string& folder, bool probing) {
        fs::create_directory(folder);
        session = std::make_unique<BatchSession>(journal.get());
        session->Start(PlanBatch(inputs, folder), 90, 0);
        Run run;
        std::thread prober;
        if (probing) {
            prober = std::thread([&] {
                do {
                    const MediaProbe facts = ProbeMedia(probed);
                    EXPECT_EQ(facts.result, alone.result);
                    EXPECT_EQ(facts.width, alone.width);
                    EXPECT_EQ(facts.height, alone.height);
                    EXPECT_EQ(facts.duration_us, alone.duration_us);
                    EXPECT_EQ(facts.fps_num, alone.fps_num);
                    ++run.probes;
                } while (session->WorkerRunning());
            });
        }
        RunToTheEnd();
        if (prober.joinable())
            prober.join();
        for (int position = 0; position < 3; ++position) {
            const PositionOutcome& outcome = session->Outcome(position);
            run.kinds.push_back(outcome.kind);
            run.steps.push_back(outcome.failure.step);
        }
        for (const std::string& name : Names(folder))
            run.names.push_back(name);
        return run;
    };
    const Run quiet = runBatch(Path("quiet"), false);
    const Run probing = runBatch(Path("probing"), true);
    EXPECT_GE(probing.probes, 1);
    EXPECT_EQ(probing.kinds, quiet.kinds);
    EXPECT_EQ(probing.steps, quiet.steps);
    EXPECT_EQ(probing.names, quiet.names);
    EXPECT_EQ(quiet.kinds, (std::vector<PositionOutcome::Kind>{
                               PositionOutcome::kDone, PositionOutcome::kFailed,
                               PositionOutcome::kDone}));
}

TEST_F(Session, TenThousandAndOnePositionsRunAsOneBatch)
{
    // The first design's tables held 9999 positions.
    constexpr int kCount = 10001;
    std::vector<std::string> inputs;
    for (int k = 0; k < kCount; ++k)
        inputs.push_back(in + "/v" + std::to_string(k) + ".mkv");
    session = std::make_unique<BatchSession>(nullptr);
    session->ChooseWritersWith(
        [](const PositionWork&) { return std::make_unique<NamingFailureWriter>(); });
    session->Start(PlanBatch(inputs, out), 90, 0);
    const SessionEnd end = RunToTheEnd();

    EXPECT_EQ(end.end, BatchEnd::kFinished);
    ASSERT_EQ(session->FileCount(), kCount);
    EXPECT_EQ(settled.size(), static_cast<std::size_t>(kCount));
    int reached = 0;
    for (int position = 0; position < kCount; ++position) {
        const PositionOutcome& outcome = session->Outcome(position);
        reached += outcome.kind == PositionOutcome::kFailed &&
                           outcome.failure.wanted_cw == position
                       ? 1
                       : 0;
    }
    EXPECT_EQ(reached, kCount);
}

}  // namespace
