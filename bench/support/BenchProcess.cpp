#include "bench/support/BenchProcess.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

Measure RunMeasured(const std::vector<std::string>& argv, const std::string& log)
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
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool MakeLargeInput(const std::string& folder, std::uintmax_t sizeMb, std::uintmax_t longMinutes,
                    std::string& input, const std::string& extension)
{
    const std::string segment = folder + "/segment.mp4";
    const bool big = longMinutes == 0;
    Measure made =
        RunMeasured({"ffmpeg",
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
    if (made.status != 0) {
        std::cerr << "ffmpeg could not make the clip\n";
        return false;
    }
    const std::uintmax_t segmentBytes = fs::file_size(segment);
    const std::uintmax_t wanted = sizeMb * 1000 * 1000;
    const std::uintmax_t copies = big ? (wanted + segmentBytes - 1) / segmentBytes : longMinutes;

    const std::string list = folder + "/list.txt";
    {
        std::ofstream out(list);
        for (std::uintmax_t i = 0; i < copies; ++i)
            out << "file 'segment.mp4'\n";
    }
    input = folder + "/input." + extension;
    made = RunMeasured({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "concat", "-safe", "0",
                        "-i", list, "-c", "copy", input});
    fs::remove(segment);
    fs::remove(list);
    if (made.status != 0) {
        std::cerr << "ffmpeg could not join the clips\n";
        return false;
    }
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
