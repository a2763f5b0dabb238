// What listing a phone-dump-like folder costs: N files (nine in ten small
// videos, one small clip copied under many names; the rest text and
// pictures by name) in folders of 100, scanned with the real input check
// and with the walk alone. Also the longest gap between two progress
// reports, which bounds how stale a progress display can get.
//   bench_folder_scan [files] [folder]   (folder: where the tree is made, default /tmp)
#include "batch/FolderScan.h"
#include "tests/support/MediaFixtures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

struct Run {
    FolderScanResult result;
    double seconds = 0;
    double longestGap = 0;
};

Run Measure(const FolderScan& scan, const std::string& root)
{
    Run run;
    const auto start = Clock::now();
    auto last = start;
    run.result = scan.Scan(root, nullptr, [&](const FolderScanProgress&) {
        const auto now = Clock::now();
        run.longestGap = std::max(run.longestGap, std::chrono::duration<double>(now - last).count());
        last = now;
    });
    run.seconds = Seconds(start);
    return run;
}

void Print(const char* what, const Run& run, int files)
{
    std::printf("%-26s %8.3f s  %7.3f ms/file  longest gap %6.1f ms  "
                "(%zu videos, %zu refused, %zu skipped, %zu folders)\n",
                what, run.seconds, 1000.0 * run.seconds / files, 1000.0 * run.longestGap,
                run.result.videos.size(), run.result.refused.size(), run.result.skipped,
                run.result.folders);
}

}  // namespace

int main(int argc, char* argv[])
{
    const int files = argc > 1 ? std::atoi(argv[1]) : 5000;
    const std::string base = argc > 2 ? argv[2] : "/tmp";
    char pattern[4096];
    std::snprintf(pattern, sizeof pattern, "%s/fennex-scan-bench-XXXXXX", base.c_str());
    if (!::mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string root = pattern;
    const std::string clip = root + "/clip.mp4";
    MediaRecipe recipe;
    recipe.seconds = 0.2;
    recipe.audio_codec = "";
    if (const std::string error = MakeMediaFile(clip, recipe); !error.empty()) {
        std::fprintf(stderr, "cannot make the clip: %s\n", error.c_str());
        return 1;
    }
    const std::string tree = root + "/tree";
    const auto makeStart = Clock::now();
    for (int i = 0; i < files; ++i) {
        const std::string folder = tree + "/f" + std::to_string(i / 100);
        if (i % 100 == 0)
            fs::create_directories(folder);
        const std::string name = folder + "/VID_" + std::to_string(i);
        if (i % 10 == 9)
            std::ofstream(name + (i % 20 == 9 ? ".txt" : ".jpg")) << "not a video\n";
        else
            fs::copy_file(clip, name + ".mp4");
    }
    std::printf("made %d files in %.2f s (%lld bytes per clip)\n", files, Seconds(makeStart),
                static_cast<long long>(fs::file_size(clip)));

    Print("walk only (no check)",
          Measure(FolderScan([](const std::string&) { return InputVerdict{}; }), tree), files);
    Print("walk and input check", Measure(FolderScan(), tree), files);
    Print("again (warm cache)", Measure(FolderScan(), tree), files);

    fs::remove_all(root);
    return 0;
}
