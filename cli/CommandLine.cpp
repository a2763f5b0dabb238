#include "cli/CommandLine.h"

#include <utility>

namespace {

// Splits "--name=value" into its two parts; value is left alone otherwise.
bool SplitInlineValue(const std::string& arg, std::string& name, std::string& value)
{
    const std::size_t eq = arg.find('=');
    if (arg.rfind("--", 0) != 0 || eq == std::string::npos) {
        name = arg;
        return false;
    }
    name = arg.substr(0, eq);
    value = arg.substr(eq + 1);
    return true;
}

int ParseRotation(const std::string& text)
{
    if (text == "90")
        return 90;
    if (text == "180")
        return 180;
    if (text == "270")
        return 270;
    return 0;
}

// The first error found is the one said.
void NoteError(CommandLine& line, std::string error)
{
    if (line.error.empty())
        line.error = std::move(error);
}

// Which of the options every run needs were given, and the --rotate in force.
struct Given {
    bool rotation = false;
    bool output = false;
    int current_turn = 0;  // 0 before the first --rotate
};

// --rotate or --output (name, in either spelling) with its value.
void TakeValue(const std::string& name, const std::string& value, CommandLine& line, Given& given)
{
    if (name == "--rotate" || name == "-r") {
        const int turn = ParseRotation(value);
        if (turn == 0)
            NoteError(line, "--rotate takes 90, 180 or 270, not \"" + value + "\"");
        if (!given.rotation)
            line.rotation_deg = turn;
        given.rotation = true;
        given.current_turn = turn;
    } else {
        given.output = true;
        line.output_folder = value;
        if (value.empty())
            NoteError(line, "--output needs a folder");
    }
}

// An option that takes a value (args[i]), inline or as the next argument,
// which i then steps over.
void TakeValuedOption(const std::vector<std::string>& args, std::size_t& i, CommandLine& line,
                      Given& given)
{
    const std::string& arg = args[i];
    std::string name;
    std::string value;
    const bool inlineValue = SplitInlineValue(arg, name, value);
    const bool takesValue =
        name == "--rotate" || name == "-r" || name == "--output" || name == "-o";
    if (!takesValue) {
        NoteError(line, "unknown option " + arg);
        return;
    }
    if (!inlineValue) {
        if (i + 1 >= args.size()) {
            NoteError(line, "option " + name + " needs a value");
            return;
        }
        value = args[++i];
    }
    TakeValue(name, value, line, given);
}

// After every argument is read: the turns of early files and the options
// every run needs.
void Complete(CommandLine& line, const Given& given)
{
    // Files before the first --rotate take that one.
    for (int& turn : line.turns)
        if (turn == 0)
            turn = line.rotation_deg;
    if (!given.rotation)
        line.error = "missing --rotate 90|180|270";
    else if (!given.output)
        line.error = "missing --output DIR";
    else if (line.files.empty())
        line.error = "no FILE or FOLDER given";
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    CommandLine line;
    Given given;
    bool optionsEnded = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            line.files.push_back(arg);
            line.turns.push_back(given.current_turn);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            line.help = true;
            line.error.clear();
            return line;
        }
        if (arg == "--version") {
            line.version = true;
            line.error.clear();
            return line;
        }
        if (arg == "--verbose" || arg == "-v") {
            line.verbose = true;
            continue;
        }

        TakeValuedOption(args, i, line, given);
    }

    if (line.error.empty())
        Complete(line, given);
    return line;
}

std::string UsageText()
{
    return "usage: fennex-rotate --rotate 90|180|270 --output DIR [--verbose] FILE|FOLDER...\n"
           "           [--rotate 90|180|270 FILE|FOLDER...]...\n"
           "\n"
           "Writes, for every FILE, a copy into DIR whose display rotation is the\n"
           "file's own rotation turned further clockwise by the given angle. Each\n"
           "--rotate applies to the files after it, up to the next --rotate; files\n"
           "before the first --rotate take that first one:\n"
           "  fennex-rotate -r 90 a.mp4 b.mp4 -r 270 c.mp4 -o out\n"
           "turns a.mp4 and b.mp4 by 90 and c.mp4 by 270 degrees. Video\n"
           "and audio packets are copied byte for byte; nothing is re-encoded.\n"
           "Text subtitles go along as timed text; other subtitles that the new\n"
           "file's container cannot hold are left out, and a note under the file's\n"
           "\"done\" line says so.\n"
           "\n"
           "  -r, --rotate DEG   clockwise degrees to add to the files after it:\n"
           "                     90, 180 or 270\n"
           "  -o, --output DIR   existing, writable folder for the new files\n"
           "                     (it may be the folder of the inputs)\n"
           "  -v, --verbose      show FFmpeg's stream layouts and messages\n"
           "  -h, --help         show this text\n"
           "      --version      show the program's version\n"
           "  --                 end of options: later arguments are files\n"
           "\n"
           "Each FILE is first checked; one without a video stream or that cannot\n"
           "be read is reported on stderr with the reason and skipped.\n"
           "\n"
           "A FOLDER stands for every video inside it and its sub-folders, in name\n"
           "order: hidden files and folders (names starting with '.') and symbolic\n"
           "links are passed over, pipes and devices are never opened, and files\n"
           "whose extension is not a video container's (.mp4, .mov, .mkv, .avi,\n"
           ".webm, .mts, ...) are only counted. Each video is checked as a FILE is;\n"
           "a line on stderr says what the folder held: videos found, refused and\n"
           "other files skipped.\n"
           "\n"
           "Names: the new file's name is <stem> (the input's file name up to its\n"
           "last '.') and an extension that says its container. An MP4, MOV or 3GP\n"
           "input is copied and keeps its extension (clip.mp4 -> clip.mp4; a .MOV\n"
           "keeps its letter case); it is written as DIR/<stem>.mov and moved to\n"
           "that name when done. Every other input becomes a QuickTime file named\n"
           "<stem>.mov, or an MP4 file named <stem>.mp4 when its streams need one\n"
           "(VP9, AV1, Opus, FLAC, a stereo 3D video, a cover picture):\n"
           "clip.mkv -> clip.mov, clip.avi -> clip.mov, clip.webm -> clip.mp4.\n"
           "Every name is a free one (<stem>.mov, <stem>(0).mov, <stem>(1).mov,\n"
           "...); no existing file is ever overwritten.\n"
           "\n"
           "Inputs are never renamed, changed or removed. The partial output of a\n"
           "file that fails or is stopped is removed; only files this run created\n"
           "are ever removed.\n"
           "\n"
           "Ctrl+C stops after the packet in hand and cleans up as above; a second\n"
           "Ctrl+C ends the program at once and may leave that partial output.\n"
           "\n"
           "Exit status: 0 when every file is done, 1 when any file was rejected,\n"
           "failed, stopped or could not be given its final name, 2 for bad usage\n"
           "(unknown option, missing value, missing or unwritable output folder).\n";
}

std::string VersionText()
{
    return "fennex-rotate " FENNEX_VERSION "\n";
}
