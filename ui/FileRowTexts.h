#pragma once

#include <cstdint>
#include <string>

struct MediaProbe;

// What the probe found out about one file.
struct ProbeFigures {
    std::int64_t duration_us = 0;
    int width = 0;
    int height = 0;
    int bit_rate = 0;
    int fps_num = 0;
    int fps_den = 0;
    int video_profile = 0;
};

// The figures of what the probe found.
ProbeFigures FiguresOf(const MediaProbe& probe);

// The texts of the file list's columns 1 to 5 and 7 for a probed file;
// column 0 is the path, 6 the status word, 8 and 9 are filled by a batch.
struct FileRowTexts {
    std::string extension;   // 1: text after the path's last '.'
    std::string duration;    // 2: HH:MM:SS.mmm
    std::string size;        // 3: width*height
    std::string bit_rate;    // 4: kilobits per second, "2500kbps"
    std::string frame_rate;  // 5: "%5.2f" followed by "fps"
    std::string profile;     // 7: the video profile number
};

FileRowTexts MakeFileRowTexts(const std::string& path, const ProbeFigures& figures);

// Column 2's duration: the probe's microseconds in whole milliseconds,
// reduced to the low 32 bits (an unknown duration thus shows a fixed,
// recognisable text rather than failing).
int DurationMilliseconds(std::int64_t duration_us);

// Column 5: frames per second "%5.2f" + "fps"; a rate with no denominator
// shows as 0.00 rather than "inf" or "nan".
std::string FrameRateText(int num, int den);
