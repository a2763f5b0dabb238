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

#include "bench/support/BenchProcess.h"

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

bool Fail(const std::string& what)
{
    std::cerr << "engine_bench: " << what << '\n';
    return false;
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
    if (!MakeLargeInput(folder, sizeMb, longMinutes, input, "mkv")) {
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
            const Measure m = RunMeasured(c.argv, folder + "/log.txt");
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
