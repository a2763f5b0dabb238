#include "tests/support/IsoFixtures.h"

#include "tests/support/MediaFixtures.h"
#include "tests/support/TempFolder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

std::string Seconds(double s)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", s);
    return text;
}

}  // namespace

std::string MakeIsoWithFfmpeg(const std::string& path, const IsoRecipe& recipe)
{
    const std::string size = std::to_string(recipe.width) + "x" + std::to_string(recipe.height);
    const std::string length = Seconds(recipe.seconds);
    std::vector<std::string> args = {"ffmpeg", "-nostdin", "-loglevel", "error", "-y"};
    std::vector<std::string> maps;
    int input = 0;
    if (recipe.video) {
        args.insert(args.end(),
                    {"-f", "lavfi", "-i", "testsrc=size=" + size + ":rate=25:duration=" + length});
        maps.insert(maps.end(), {"-map", std::to_string(input++)});
    }
    if (recipe.second_video) {
        args.insert(args.end(),
                    {"-f", "lavfi", "-i", "testsrc2=size=80x60:rate=25:duration=" + length});
        maps.insert(maps.end(), {"-map", std::to_string(input++)});
    }
    if (!recipe.audio.empty()) {
        args.insert(args.end(), {"-f", "lavfi", "-i", "sine=frequency=440:duration=" + length});
        maps.insert(maps.end(), {"-map", std::to_string(input++)});
    }
    args.insert(args.end(), maps.begin(), maps.end());
    if (recipe.video || recipe.second_video)
        args.insert(args.end(), {"-c:v", "mpeg4", "-q:v", "5", "-g", "25"});
    if (!recipe.audio.empty())
        args.insert(args.end(), {"-c:a", recipe.audio});
    if (!recipe.movflags.empty())
        args.insert(args.end(), {"-movflags", recipe.movflags});
    if (!recipe.format.empty())
        args.insert(args.end(), {"-f", recipe.format});
    args.push_back(path);
    std::string log;
    return RunProgram(args, &log) == 0 ? "" : "ffmpeg failed: " + log;
}

std::string MakeIsoWithGstreamer(const std::string& path, int fragment_ms, bool quicktime)
{
    std::vector<std::string> args = {"gst-launch-1.0",
                                     "-q",
                                     "-e",
                                     "videotestsrc",
                                     "num-buffers=50",
                                     "!",
                                     "video/x-raw,width=160,height=120,framerate=25/1",
                                     "!",
                                     "x265enc",
                                     "speed-preset=ultrafast",
                                     "bitrate=64",
                                     "key-int-max=10",
                                     "!",
                                     "h265parse",
                                     "!"};
    args.push_back(quicktime ? "qtmux" : "mp4mux");
    args.push_back("name=mux");
    if (fragment_ms > 0)
        args.push_back("fragment-duration=" + std::to_string(fragment_ms));
    args.insert(args.end(), {"!", "filesink", "location=" + path, "audiotestsrc", "num-buffers=40",
                             "!", "avenc_aac", "!", "mux."});
    std::string log;
    if (RunProgram(args, &log) != 0 || FileSize(path) <= 0)
        return "gst-launch-1.0 failed: " + log;
    return "";
}

int ExiftoolRotation(const std::string& path)
{
    std::string out;
    if (RunProgram({"exiftool", "-s3", "-Rotation", path}, &out) != 0)
        return -1;
    char* end = nullptr;
    const long value = std::strtol(out.c_str(), &end, 10);
    return end == out.c_str() ? -1 : static_cast<int>(value);
}

std::vector<ProbedPacket> ProbePackets(const std::string& path)
{
    std::string out;
    std::vector<ProbedPacket> packets;
    // The fields come in ffprobe's own order: stream, dts_time, size, pos.
    if (RunProgram({"ffprobe", "-v", "error", "-show_entries",
                    "packet=stream_index,dts_time,size,pos", "-of", "csv=p=0", path},
                   &out) != 0)
        return packets;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        ProbedPacket p;
        unsigned long long size = 0, pos = 0;
        if (std::sscanf(line.c_str(), "%d,%lf,%llu,%llu", &p.stream, &p.dts_s, &size, &pos) == 4) {
            p.size = size;
            p.pos = pos;
            packets.push_back(p);
        }
    }
    return packets;
}

double FirstPacketPast(const std::vector<ProbedPacket>& packets, std::uint64_t kept)
{
    double first = -1;
    for (const ProbedPacket& p : packets) {
        if (p.pos + p.size > kept && (first < 0 || p.dts_s < first))
            first = p.dts_s;
    }
    return first;
}

std::vector<std::pair<std::uint64_t, std::uint64_t>> DifferingRanges(const std::string& a,
                                                                     const std::string& b)
{
    const std::string x = ReadWholeFile(a), y = ReadWholeFile(b);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
    const std::size_t common = std::min(x.size(), y.size());
    std::size_t i = 0;
    while (i < common) {
        if (x[i] == y[i]) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < common && x[i] != y[i])
            ++i;
        ranges.emplace_back(start, i);
    }
    if (x.size() != y.size())
        ranges.emplace_back(common, std::max(x.size(), y.size()));
    return ranges;
}
