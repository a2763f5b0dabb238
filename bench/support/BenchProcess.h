#pragma once

// What the benchmarks share: running a program and measuring it, and the
// large generated input they time programs on.

#include <cstdint>
#include <string>
#include <vector>

struct Measure {
    int status = -1;  // exit status; -1 when it could not run or was killed
    double seconds = 0;
    long peakKb = 0;  // the child's own peak resident memory (wait4)
};

// Runs argv with stdout and stderr to `log` (/dev/null by default).
Measure RunMeasured(const std::vector<std::string>& argv, const std::string& log = "/dev/null");

double Median(std::vector<double> values);

// Writes folder/input.<extension> (an MP4, or a Matroska file with "mkv"):
// at least sizeMb megabytes of 1080p MPEG-4 video and AAC sound, or, with
// longMinutes, that many minutes of tiny pictures, where index sizes follow
// the number of packets rather than the bytes. False (after saying why on
// stderr) when FFmpeg fails.
bool MakeLargeInput(const std::string& folder, std::uintmax_t sizeMb, std::uintmax_t longMinutes,
                    std::string& input, const std::string& extension = "mp4");

// Reads a file once, so that every contender finds it in the page cache.
void WarmCache(const std::string& path);
// Removes everything inside a folder.
void RemoveAll(const std::string& folder);
