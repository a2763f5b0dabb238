// Rotates one large generated video with fennex-rotate and, in the same run,
// copies it with `ffmpeg -c copy` and with `cp`, then prints the three wall
// times, their ratios and each program's peak resident memory.
//
//   engine_bench [--size-mb N | --long-minutes N] [--runs N] [--tmp DIR] [--fennex PATH]
//
// The input is made from a short, high bit rate MPEG-4 clip with AAC audio,
// repeated by stream copy into a Matroska file until it reaches the size:
// the remux way's kind of input (MP4 and QuickTime inputs may be copied
// byte for byte instead). --long-minutes makes a long file of tiny pictures
// instead: the QuickTime muxer keeps an index entry per packet, so there
// memory follows the duration, not the bytes. Every program reads the
// same file, already in the page cache, and writes into the same folder; each
// output is removed before the next run. Goals: fennex/ffmpeg <= 1.10 and a
// peak RSS below 80 MB whatever the size.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Measure {
    int status = -1;
    double seconds = 0;
    long peakKb = 0;
};

// Runs argv with stdout and stderr to /dev/null (or to log when given);
// wait4 gives the child's own peak RSS.
Measure Run(const std::vector<std::string>& argv, const std::string& log = "/dev/null")
{
    Measure m;
    // Whatever is still buffered would otherwise be printed by the child too.
    std::cout.flush();
    std::fflush(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::freopen("/dev/null", "r", stdin);
        std::freopen(log.c_str(), "w", stdout);
        std::freopen(log.c_str(), "a", stderr);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        std::_Exit(127);
    }
    if (pid < 0)
        return m;
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid)
        return m;
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    m.peakKb = usage.ru_maxrss;
    return m;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool Fail(const std::string& what)
{
    std::cerr << "engine_bench: " << what << '\n';
    return false;
}

// Writes folder/input.mkv: at least sizeMb megabytes of 1080p video, or,
// with longMinutes, that many minutes of tiny video, where memory is set by
// the number of packets rather than by bytes.
bool MakeInput(const std::string& folder, std::uintmax_t sizeMb, std::uintmax_t longMinutes,
               std::string& input)
{
    const std::string segment = folder + "/segment.mp4";
    const bool big = longMinutes == 0;
    Measure made = Run({"ffmpeg",
                        "-nostdin",
                        "-v",
                        "error",
                        "-y",
                        "-f",
                        "lavfi",
                        "-i",
                        big ? "testsrc2=size=1920x1080:rate=30" : "testsrc=size=160x120:rate=30",
                        "-f",
                        "lavfi",
                        "-i",
                        "sine=frequency=440:sample_rate=48000",
                        "-t",
                        big ? "10" : "60",
                        "-c:v",
                        "mpeg4",
                        "-q:v",
                        big ? "1" : "10",
                        "-c:a",
                        "aac",
                        "-b:a",
                        big ? "128k" : "32k",
                        segment});
    if (made.status != 0)
        return Fail("ffmpeg could not make the clip");
    const std::uintmax_t segmentBytes = fs::file_size(segment);
    const std::uintmax_t wanted = sizeMb * 1000 * 1000;
    const std::uintmax_t copies = big ? (wanted + segmentBytes - 1) / segmentBytes : longMinutes;

    const std::string list = folder + "/list.txt";
    {
        std::ofstream out(list);
        for (std::uintmax_t i = 0; i < copies; ++i)
            out << "file 'segment.mp4'\n";
    }
    input = folder + "/input.mkv";
    made = Run({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "concat", "-safe", "0", "-i", list,
                "-c", "copy", input});
    fs::remove(segment);
    fs::remove(list);
    if (made.status != 0)
        return Fail("ffmpeg could not join the clips");
    return true;
}

void WarmCache(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> buffer(1 << 20);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
    }
}

void RemoveAll(const std::string& folder)
{
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored))
        fs::remove_all(entry.path(), ignored);
}

}  // namespace

int main(int argc, char** argv)
{
    std::uintmax_t sizeMb = 600;
    std::uintmax_t longMinutes = 0;
    int runs = 3;
    std::string tmp = fs::temp_directory_path().string();
    std::string fennex = FENNEX_ROTATE_EXE;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--size-mb")
            sizeMb = std::strtoull(argv[i + 1], nullptr, 10);
        else if (name == "--long-minutes")
            longMinutes = std::strtoull(argv[i + 1], nullptr, 10);
        else if (name == "--runs")
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (name == "--tmp")
            tmp = argv[i + 1];
        else if (name == "--fennex")
            fennex = argv[i + 1];
        else {
            Fail("unknown option " + name);
            return 2;
        }
    }

    // Input plus one output at a time, with room to spare.
    struct statvfs disk {};
    if (::statvfs(tmp.c_str(), &disk) == 0) {
        const double freeMb =
            static_cast<double>(disk.f_bavail) * static_cast<double>(disk.f_frsize) / 1e6;
        if (freeMb < static_cast<double>(sizeMb) * 2.5) {
            std::cerr << "engine_bench: only " << static_cast<long>(freeMb) << " MB free in " << tmp
                      << '\n';
            return 1;
        }
    }

    std::string pattern = tmp + "/fennex-bench-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        Fail("cannot make a folder in " + tmp);
        return 1;
    }
    const std::string folder = pattern;
    const std::string outFolder = folder + "/out";
    fs::create_directory(outFolder);

    std::string input;
    if (longMinutes > 0)
        std::cout << "making a " << longMinutes << " minute file of small pictures ..."
                  << std::endl;
    else
        std::cout << "making a file of at least " << sizeMb << " MB ..." << std::endl;
    if (!MakeInput(folder, sizeMb, longMinutes, input)) {
        fs::remove_all(folder);
        return 1;
    }
    const double inputMb = static_cast<double>(fs::file_size(input)) / 1e6;
    const std::string pictures =
        longMinutes > 0 ? "160x120, " + std::to_string(longMinutes) + " min" : "1920x1080";
    std::printf("input: %.0f MB (Matroska: MPEG-4 %s and AAC), %d runs each, median times\n",
                inputMb, pictures.c_str(), runs);

    struct Contender {
        const char* name;
        std::vector<std::string> argv;
        std::vector<double> times;
        long peakKb = 0;
        bool failed = false;
    };
    std::vector<Contender> contenders{
        {"fennex-rotate", {fennex, "--rotate", "90", "--output", outFolder, input}, {}, 0, false},
        {"ffmpeg -c copy",
         {"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", input, "-map", "0", "-c", "copy",
          outFolder + "/ffmpeg.mov"},
         {},
         0,
         false},
        {"cp", {"cp", input, outFolder + "/cp.mkv"}, {}, 0, false},
    };

    // Interleaved runs, so that a slow patch of the disk hurts all alike.
    for (int run = 0; run < runs; ++run) {
        for (Contender& c : contenders) {
            WarmCache(input);
            ::sync();
            const Measure m = Run(c.argv, folder + "/log.txt");
            ::sync();
            if (m.status != 0) {
                c.failed = true;
                std::ifstream log(folder + "/log.txt");
                std::cerr << c.name << " failed (" << m.status << "):\n" << log.rdbuf() << '\n';
            }
            c.times.push_back(m.seconds);
            c.peakKb = std::max(c.peakKb, m.peakKb);
            RemoveAll(outFolder);
        }
    }

    const double fennexTime = Median(contenders[0].times);
    const double ffmpegTime = Median(contenders[1].times);
    const double cpTime = Median(contenders[2].times);
    for (const Contender& c : contenders) {
        const double t = Median(c.times);
        std::printf("%-15s %7.2f s  %7.1f MB/s  peak RSS %6.1f MB%s\n", c.name, t, inputMb / t,
                    static_cast<double>(c.peakKb) / 1024.0, c.failed ? "  FAILED" : "");
    }
    std::printf("fennex/ffmpeg  %.3f   (goal <= 1.10)\n", fennexTime / ffmpegTime);
    std::printf("fennex/cp      %.3f\n", fennexTime / cpTime);
    std::printf("ffmpeg/cp      %.3f\n", ffmpegTime / cpTime);
    const double fennexPeakMb = static_cast<double>(contenders[0].peakKb) / 1024.0;
    std::printf("fennex peak RSS %.1f MB   (goal < 80 MB)\n", fennexPeakMb);

    fs::remove_all(folder);
    const bool met =
        !contenders[0].failed && fennexTime / ffmpegTime <= 1.10 && fennexPeakMb < 80.0;
    std::printf("%s\n", met ? "goals met" : "goals NOT met");
    return met ? 0 : 1;
}
