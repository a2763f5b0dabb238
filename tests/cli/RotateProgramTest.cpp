#include "tests/cli/ProgramRun.h"
#include "tests/support/ClipTree.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavutil/avutil.h>
}

namespace fs = std::filesystem;

namespace {

class RotateProgram : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(root.empty());
        in = root + "/in";
        out = root + "/out";
        fs::create_directory(in);
        fs::create_directory(out);
    }

    // Makes a fixture and remembers its bytes, so that the test can check
    // afterwards that the input is untouched under its own name.
    std::string Make(const std::string& path, const MediaRecipe& recipe = {},
                     const std::string& format = "")
    {
        const std::string error = MakeMediaFile(path, recipe, format);
        EXPECT_EQ(error, "") << path;
        originals[path] = ReadWholeFile(path);
        return path;
    }
    std::string Keep(const std::string& path)
    {
        originals[path] = ReadWholeFile(path);
        return path;
    }
    void ExpectInputsUntouched() const
    {
        for (const auto& [path, bytes] : originals) {
            EXPECT_TRUE(fs::is_regular_file(path)) << path;
            EXPECT_TRUE(ReadWholeFile(path) == bytes) << path << " changed";
        }
    }

    TempFolder temp{"cli"};
    std::string root = temp.path(), in, out;
    std::map<std::string, std::string> originals;
};

// Payloads of every packet of each stream, in order.
std::map<int, std::vector<std::vector<std::uint8_t>>> PayloadsByStream(const std::string& path)
{
    std::map<int, std::vector<std::vector<std::uint8_t>>> streams;
    for (FixturePacket& packet : ReadPackets(path))
        streams[packet.stream_index].push_back(std::move(packet.data));
    return streams;
}

// The lines of text that are not progress lines ("[1/2] 40% name"), which a
// slow run prints and a fast one may not.
std::string WithoutProgress(const std::string& text)
{
    static const std::regex progress(R"(\[[0-9]+/[0-9]+\] [0-9]+% .*)");
    std::string kept;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        const std::string line = text.substr(at, end - at);
        if (!std::regex_match(line.substr(0, line.find('\n')), progress))
            kept += line;
        at = end;
    }
    return kept;
}

}  // namespace

TEST_F(RotateProgram, HelpAndBadUsage)
{
    const ProgramResult help = RunRotate({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: fennex-rotate --rotate 90|180|270 --output DIR"),
              std::string::npos);
    EXPECT_NE(help.out.find("removed"), std::string::npos);
    EXPECT_NE(help.out.find("--version"), std::string::npos);

    const ProgramResult version = RunRotate({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "fennex-rotate " FENNEX_VERSION "\n");
    EXPECT_EQ(version.err, "");

    const std::string clip = Make(in + "/a.mp4");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--rotate", "90", "--output", out, "--fast", clip},
             {"--rotate", "45", "--output", out, clip},
             {"--rotate", "90", clip},
             {"--rotate", "90", "--output", out},
             {"--rotate", "90", "--output", root + "/missing", clip},
             {"--rotate", "90", "--output", clip, clip},
         }) {
        const ProgramResult bad = RunRotate(args);
        EXPECT_EQ(bad.status, 2) << args[args.size() - 2] << "\n" << bad.err;
        EXPECT_NE(bad.err, "");
    }
    EXPECT_TRUE(Names(out).empty());
    ExpectInputsUntouched();
}

TEST_F(RotateProgram, UnwritableOutputFolderIsBadUsage)
{
    // Permissions do not stop root; a folder of /proc stops everyone.
    std::string folder = "/proc";
    if (::geteuid() != 0) {
        folder = out;
        fs::permissions(out, fs::perms::owner_read | fs::perms::owner_exec);
    }
    const ProgramResult result =
        RunRotate({"--rotate", "90", "--output", folder, Make(in + "/a.mp4")});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("cannot write"), std::string::npos) << result.err;
    ExpectInputsUntouched();
}

// MP4, MOV and 3GP inputs are copied and keep their names; the others are
// remuxed and named after the container they now are, which a reader that
// is not FFmpeg confirms.
TEST_F(RotateProgram, RotatesEveryContainerOnTopOfItsOwnRotation)
{
    struct Case {
        std::string name;
        MediaRecipe recipe;
        int expected_cw;
        bool start_codes;  // H.264 from AVI or TS is converted by the MOV muxer
        std::string output;
        std::string file_type;  // exiftool's FileType and MIMEType
    };
    MediaRecipe mp4;
    mp4.video_codec = "h264";
    mp4.rotation_cw = 90;
    MediaRecipe mov;
    mov.audio_codec = "mp3";
    MediaRecipe mkv;
    mkv.video_codec = "h264";
    mkv.audio_codec = "mp3";
    mkv.rotate_tag = "270";  // Matroska keeps a tag, not a matrix
    MediaRecipe avi;
    avi.audio_codec = "mp3";
    MediaRecipe ts;
    ts.video_codec = "h264";
    MediaRecipe web;
    web.video_codec = "vp9";
    web.audio_codec = "opus";
    MediaRecipe three;
    three.video_codec = "h264";
    const std::string mp4Type = "MP4\nvideo/mp4\n";
    const std::string movType = "MOV\nvideo/quicktime\n";
    const std::vector<Case> cases{
        {"phone.mp4", mp4, 180, false, "phone.mp4", mp4Type},
        {"cam.MOV", mov, 90, false, "cam.MOV", movType},
        {"call.3gp", three, 90, false, "call.3gp", "3GP\nvideo/3gpp\n"},
        {"film.mkv", mkv, 0, false, "film.mov", movType},
        {"old.avi", avi, 90, false, "old.mov", movType},
        {"tv.ts", ts, 90, true, "tv.mov", movType},
        {"web.webm", web, 90, false, "web.mp4", mp4Type},
    };
    std::vector<std::string> args{"--rotate", "90", "--output", out};
    for (const Case& c : cases)
        args.push_back(Make(in + "/" + c.name, c.recipe));

    const ProgramResult result = RunRotate(args);
    ASSERT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(CountLines(result.out, "done: "), cases.size());
    std::set<std::string> outputs;
    for (const Case& c : cases)
        outputs.insert(c.output);
    EXPECT_EQ(Names(out), outputs);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string input = in + "/" + c.name;
        const std::string output = out + "/" + c.output;
        EXPECT_NE(result.out.find("done: " + input + " -> " + output + "\n"), std::string::npos);
        EXPECT_EQ(ReadInfo(output).format_name.find("mov"), 0u);
        if (ProgramAvailable("exiftool")) {
            std::string type;
            EXPECT_EQ(RunProgram({"exiftool", "-s3", "-FileType", "-MIMEType", output}, &type), 0);
            EXPECT_EQ(type, c.file_type);
        }
        EXPECT_EQ(ReadRotationCw(output), c.expected_cw);
        if (c.start_codes) {
            EXPECT_EQ(DecodedPictureHashes(output), DecodedPictureHashes(input));
        } else {
            EXPECT_TRUE(PayloadsByStream(output) == PayloadsByStream(input));
        }
    }
    // A reader that is not FFmpeg sees the same clockwise angle.
    if (ProgramAvailable("exiftool")) {
        std::string rotation;
        EXPECT_EQ(RunProgram({"exiftool", "-s3", "-Rotation", out + "/phone.mp4"}, &rotation), 0);
        EXPECT_EQ(rotation, "180\n");
    }
    ExpectInputsUntouched();
}

TEST_F(RotateProgram, RejectsBadInputsAndFailsUnwritableCodecsWithoutLeavingOutputs)
{
    const std::string first = Make(in + "/first.mp4");
    const std::string garbage = in + "/garbage.mp4";
    WriteBytes(garbage, std::string(4096, '\x5a'));
    Keep(garbage);
    const std::string empty = in + "/empty.mov";
    WriteBytes(empty, "");
    Keep(empty);
    MediaRecipe audioOnly;
    audioOnly.video_codec = "";
    const std::string sound = Make(in + "/sound.m4a", audioOnly, "mp4");
    MediaRecipe vp8;
    vp8.video_codec = "vp8";
    vp8.audio_codec = "";
    const std::string refused = Make(in + "/refused.mkv", vp8);  // the MOV muxer cannot store VP8
    const std::string last = Make(in + "/last.mkv");
    const std::string pipe = in + "/pipe.mp4";  // opening it for reading would block
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);

    const ProgramResult result =
        RunRotate({"--rotate", "180", "--output", out, first, garbage, in + "/missing.mp4", empty,
                   sound, pipe, refused, last});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("garbage.mp4: not a media file we can read"), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("missing.mp4: cannot open"), std::string::npos);
    EXPECT_NE(result.err.find("empty.mov: empty file"), std::string::npos);
    EXPECT_NE(result.err.find("sound.m4a: no video stream"), std::string::npos);
    EXPECT_NE(result.err.find("pipe.mp4: not a regular file"), std::string::npos);
    EXPECT_NE(result.out.find("failed: " + refused), std::string::npos) << result.out;
    // The line says why, in the engine's words.
    EXPECT_NE(result.out.find("failed: " + refused + ": QuickTime cannot hold On2 VP8 video\n"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("2 done, 1 failed, 5 rejected"), std::string::npos);

    EXPECT_EQ(Names(out), (std::set<std::string>{"first.mp4", "last.mov"}));
    EXPECT_EQ(ReadRotationCw(out + "/first.mp4"), 180);
    EXPECT_EQ(ReadRotationCw(out + "/last.mov"), 180);
    ExpectInputsUntouched();
}

// FFmpeg's own lines ("[mov,mp4,... @ 0x...] moov atom not found") show
// only with --verbose; without it the program's own line says why.
TEST_F(RotateProgram, FFmpegSpeaksOnlyWhenAskedTo)
{
    const std::string whole = Make(in + "/whole.mp4");
    const std::string cut = in + "/cut.mp4";  // its index, at the end, is gone
    const std::string bytes = ReadWholeFile(whole);
    WriteBytes(cut, bytes.substr(0, bytes.size() / 2));
    Keep(cut);

    const ProgramResult quiet = RunRotate({"--rotate", "90", "--output", out, cut});
    EXPECT_EQ(quiet.status, 1);
    EXPECT_NE(quiet.err.find("skipped " + cut + ": "), std::string::npos) << quiet.err;
    EXPECT_EQ(quiet.err.find("moov atom not found"), std::string::npos) << quiet.err;
    EXPECT_EQ(quiet.err.find(" @ 0x"), std::string::npos) << quiet.err;

    const ProgramResult verbose = RunRotate({"--verbose", "--rotate", "90", "--output", out, cut});
    EXPECT_EQ(verbose.status, 1);
    EXPECT_NE(verbose.err.find("moov atom not found"), std::string::npos) << verbose.err;
    EXPECT_TRUE(Names(out).empty());
    ExpectInputsUntouched();
}

// Streams the output cannot carry are said beside "done"; what the
// container is comes from the streams, and the name says it.
TEST_F(RotateProgram, DoneLineNotesSubtitlesLeftOut)
{
    MediaRecipe dvd;
    dvd.video_codec = "h264";
    dvd.dvd_subtitle = true;
    const std::string film = Make(in + "/film.mkv", dvd);
    MediaRecipe web;
    web.video_codec = "vp9";
    web.audio_codec = "opus";
    const std::string clip = Make(in + "/clip.webm", web);

    const ProgramResult result = RunRotate({"--rotate", "90", "--output", out, film, clip});
    ASSERT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("done: " + film + " -> " + out +
                              "/film.mov\n"
                              "  note: DVD subtitles left out: the output container cannot hold "
                              "them\n"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("done: " + clip + " -> " + out + "/clip.mp4\n"), std::string::npos)
        << result.out;
    EXPECT_EQ(CountLines(result.out, "  note: "), 1u) << result.out;
    EXPECT_EQ(WithoutProgress(result.err), "");
    EXPECT_EQ(ReadRotationCw(out + "/clip.mp4"), 90);
    ExpectInputsUntouched();
}

// A video from last summer stays dated last summer, and being old does not
// make its output look like somebody else's file.
TEST_F(RotateProgram, OutputOfAnOldInputIsDoneAndKeepsItsDate)
{
    const std::string clip = Make(in + "/holiday.mp4");
    const timespec times[2] = {{1657000000, 0}, {1656000000, 500000000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, clip.c_str(), times, 0), 0);
    const ProgramResult result = RunRotate({"--rotate", "90", "--output", out, clip});
    ASSERT_EQ(result.status, 0) << result.out << result.err;
    struct stat info {};
    ASSERT_EQ(::stat((out + "/holiday.mp4").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, times[1].tv_sec);
    EXPECT_EQ(info.st_mtim.tv_nsec, times[1].tv_nsec);
    EXPECT_EQ(ReadRotationCw(out + "/holiday.mp4"), 90);
    ExpectInputsUntouched();
}

// The free-name rule works on the container's name: a user's clip.mov
// stays as it is, and two QuickTime outputs of one stem get numbers.
TEST_F(RotateProgram, SameStemWithSeveralExtensionsKeepsEveryName)
{
    const std::string avi = Make(in + "/clip.avi");
    const std::string ts = Make(in + "/clip.ts");
    MediaRecipe web;
    web.video_codec = "vp9";
    web.audio_codec = "opus";
    const std::string webm = Make(in + "/clip.webm", web);
    std::ofstream(out + "/clip.mov") << "the user's own";
    const ProgramResult result = RunRotate({"--rotate", "90", "--output", out, avi, ts, webm});
    ASSERT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(Names(out),
              (std::set<std::string>{"clip.mov", "clip(0).mov", "clip(1).mov", "clip.mp4"}));
    EXPECT_NE(result.out.find("done: " + ts + " -> " + out + "/clip(1).mov"), std::string::npos)
        << result.out;
    EXPECT_EQ(ReadWholeFile(out + "/clip.mov"), "the user's own");
    EXPECT_EQ(ReadRotationCw(out + "/clip(0).mov"), 90);
    EXPECT_EQ(ReadRotationCw(out + "/clip.mp4"), 90);
    ExpectInputsUntouched();
}

TEST_F(RotateProgram, OutputFolderMayBeTheInputsFolder)
{
    MediaRecipe recipe;
    recipe.rotation_cw = 180;
    const std::string mp4 = Make(in + "/a.mp4", recipe);
    const std::string mov = Make(in + "/b.mov", recipe);
    const std::string upper = Make(in + "/C.MOV", recipe);
    Make(in + "/b(0).mov");  // a user's file of the first free name: skipped, untouched

    const ProgramResult result = RunRotate({"--rotate", "270", "--output", in, mp4, mov, upper});
    ASSERT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(Names(in), (std::set<std::string>{"a.mp4", "b.mov", "C.MOV", "b(0).mov", "a(0).mp4",
                                                "b(1).mov", "C(0).MOV"}));
    for (const std::string name : {"a(0).mp4", "b(1).mov", "C(0).MOV"})
        EXPECT_EQ(ReadRotationCw(in + "/" + name), 90) << name;
    ExpectInputsUntouched();
}

TEST_F(RotateProgram, OddNamesAndNamesWithoutExtension)
{
    const std::string spaced = Make(in + "/my holiday clip.mp4");
    const std::string quoted = Make(in + "/it's \"quoted\" $HOME.mov");
    const std::string chinese = Make(in + "/旋转 视频.mkv");
    const std::string bare = Make(in + "/noextension", {}, "mp4");
    const std::string dotted = Make(in + "/v1.2.final.ts");

    const ProgramResult result =
        RunRotate({"--rotate", "90", "--output", out + "/", spaced, quoted, chinese, bare, dotted});
    ASSERT_EQ(result.status, 0) << result.out << result.err;
    // A name without extension keeps the .mov name of what it now is.
    const std::set<std::string> expected{"my holiday clip.mp4", "it's \"quoted\" $HOME.mov",
                                         "旋转 视频.mov", "noextension.mov", "v1.2.final.mov"};
    EXPECT_EQ(Names(out), expected);
    for (const std::string& name : expected)
        EXPECT_EQ(ReadRotationCw(out + "/" + std::string(name)), 90) << name;
    ExpectInputsUntouched();
}

TEST_F(RotateProgram, SameStemTwiceGivesTwoCompleteOutputs)
{
    fs::create_directory(in + "/second");
    MediaRecipe longer;
    longer.seconds = 2;
    const std::string one = Make(in + "/clip.mp4");
    const std::string two = Make(in + "/second/clip.mp4", longer);

    const ProgramResult result = RunRotate({"--rotate", "90", "--output", out, one, two, one});
    ASSERT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(Names(out), (std::set<std::string>{"clip.mp4", "clip(0).mp4", "clip(1).mp4"}));
    EXPECT_TRUE(PayloadsByStream(out + "/clip.mp4") == PayloadsByStream(one));
    EXPECT_TRUE(PayloadsByStream(out + "/clip(0).mp4") == PayloadsByStream(two));
    EXPECT_TRUE(PayloadsByStream(out + "/clip(1).mp4") == PayloadsByStream(one));
    ExpectInputsUntouched();
}

TEST_F(RotateProgram, CtrlCStopsCleanlyAndKeepsWhatIsDone)
{
    MediaRecipe recipe;
    recipe.seconds = 4;
    recipe.width = 640;
    recipe.height = 480;
    const std::string clip = Make(in + "/clip.mp4", recipe);
    std::vector<std::string> args{"--rotate", "90", "--output", out};
    // Enough work that the stop lands well before the end.
    for (int i = 0; i < 600; ++i)
        args.push_back(clip);

    RunningRotate running(args);
    std::string line;
    bool sawDone = false;
    while (running.ReadLine(line)) {
        if (line.rfind("done: ", 0) == 0) {
            sawDone = true;
            break;
        }
    }
    ASSERT_TRUE(sawDone);
    running.Signal(SIGINT);
    const ProgramResult result = running.Wait();

    EXPECT_EQ(result.status, 1) << result.out;
    const std::size_t done = CountLines(result.out, "done: ");  // the one read above included
    ASSERT_LT(done, args.size() - 4) << "the batch ended before the stop reached it";
    EXPECT_GE(CountLines(result.out, "not started: "), 1u);
    // Every file in the folder is a finished output with the input's extension.
    const std::set<std::string> names = Names(out);
    EXPECT_EQ(names.size(), done);
    for (const std::string& name : names) {
        EXPECT_EQ(fs::path(name).extension(), ".mp4") << name;
        EXPECT_EQ(ReadRotationCw(out + "/" + std::string(name)), 90) << name;
    }
    ExpectInputsUntouched();
}

TEST_F(RotateProgram, AReaderThatGoesAwayDoesNotCutTheBatchShort)
{
    const std::string clip = Make(in + "/clip.mp4");
    std::vector<std::string> args{"--rotate", "180", "--output", out};
    for (int i = 0; i < 20; ++i)
        args.push_back(clip);
    RunningRotate running(args);
    running.CloseOutput();
    const ProgramResult result = running.Wait();
    EXPECT_EQ(result.status, 0) << result.err;
    const std::set<std::string> names = Names(out);
    EXPECT_EQ(names.size(), 20u);
    for (const std::string& name : names)
        EXPECT_EQ(ReadRotationCw(out + "/" + name), 180) << name;
    ExpectInputsUntouched();
}

// Each --rotate turns the files after it; those before the first take the
// first. Every output's rotation is its input's plus its own turn.
TEST_F(RotateProgram, EachFileTakesTheRotateBeforeIt)
{
    struct Case {
        const char* name;
        int stored_cw;
        int expected_cw;
    };
    const Case cases[] = {
        {"before.mp4", 0, 90}, {"a.mov", 90, 180}, {"b.mkv", 0, 90}, {"c.mp4", 90, 0},
    };
    for (const Case& c : cases) {
        MediaRecipe recipe;
        recipe.rotation_cw = c.stored_cw;
        Make(in + "/" + c.name, recipe);
    }
    const ProgramResult result =
        RunRotate({in + "/before.mp4", "-r", "90", in + "/a.mov", in + "/b.mkv", "--rotate=270",
                   in + "/c.mp4", "-o", out});
    ASSERT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(CountLines(result.out, "done: "), 4u);
    EXPECT_NE(result.out.find("4 done, 0 failed, 0 rejected\n"), std::string::npos);
    const std::map<std::string, std::string> outputs = {
        {"before.mp4", "before.mp4"}, {"a.mov", "a.mov"}, {"b.mkv", "b.mov"}, {"c.mp4", "c.mp4"}};
    for (const Case& c : cases) {
        const std::string output = out + "/" + outputs.at(c.name);
        EXPECT_NE(result.out.find("done: " + in + "/" + c.name + " -> " + output + "\n"),
                  std::string::npos)
            << c.name;
        EXPECT_EQ(ReadRotationCw(output), c.expected_cw) << c.name;
        if (ProgramAvailable("exiftool")) {
            std::string rotation;
            EXPECT_EQ(RunProgram({"exiftool", "-s3", "-Rotation", output}, &rotation), 0);
            EXPECT_EQ(rotation, std::to_string(c.expected_cw) + "\n") << c.name;
        }
    }
    ExpectInputsUntouched();
}
namespace {

// A folder argument stands for the videos of its tree: each is written,
// the refused one has its line, and one line says what the folder held.
// A file named beside the folder is taken as before.
TEST_F(RotateProgram, AFolderGivesEveryVideoInside)
{
    const std::string phone = root + "/phone";
    const ClipTree tree = MakeClipTree(phone);
    ASSERT_EQ(tree.error, "");
    for (const std::string& video : tree.videos)
        Keep(video);
    const std::string single = Make(in + "/single.mkv");

    const ProgramResult result = RunRotate({"--rotate", "90", "--output", out, phone, single});
    EXPECT_EQ(result.status, 1);  // fake.mp4 was refused
    EXPECT_EQ(Names(out), (std::set<std::string>{"a.mp4", "b.mov", "d.MOV", "single.mov"}));
    for (const char* name : {"a.mp4", "b.mov", "d.MOV", "single.mov"})
        EXPECT_EQ(ReadRotationCw(out + "/" + std::string(name)), 90) << name;
    EXPECT_NE(result.err.find("skipped " + phone + "/fake.mp4: not a media file we can read"),
              std::string::npos)
        << result.err;
    const std::string summary = "fennex-rotate: folder " + phone +
                                ": 3 videos, 1 refused, 6 other files skipped, in 3 folders\n";
    EXPECT_NE(result.err.find(summary), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("fennex-rotate: folder ", result.err.find(summary) + 1),
              std::string::npos)
        << "one summary only: " << result.err;
    EXPECT_NE(result.out.find("4 done, 0 failed, 1 rejected\n"), std::string::npos) << result.out;
    ExpectInputsUntouched();

    // Only the folder's videos are refused: a folder of nothing but text is no failure.
    const std::string words = root + "/words";
    fs::create_directory(words);
    WriteBytes(words + "/readme.txt", "hello\n");
    const ProgramResult empty = RunRotate({"--rotate", "90", "--output", out, words});
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_NE(empty.err.find("folder " + words +
                             ": 0 videos, 0 refused, 1 other files skipped, in 1 folder\n"),
              std::string::npos)
        << empty.err;
}

}  // namespace
