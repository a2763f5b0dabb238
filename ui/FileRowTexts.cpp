#include "ui/FileRowTexts.h"

#include "batch/FileNames.h"
#include "engine/ProbeMedia.h"

#include <cstdio>

ProbeFigures FiguresOf(const MediaProbe& probe)
{
    ProbeFigures f;
    f.duration_us = probe.duration_us;
    f.width = probe.width;
    f.height = probe.height;
    f.bit_rate = probe.bit_rate;
    f.fps_num = probe.fps_num;
    f.fps_den = probe.fps_den;
    f.video_profile = probe.video_profile;
    return f;
}

int DurationMilliseconds(std::int64_t duration_us)
{
    const std::int64_t ms = duration_us / 1000;
    // Low 32 bits, two's complement.
    return static_cast<int>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms)));
}

std::string FrameRateText(int num, int den)
{
    const double fps = den != 0 ? static_cast<double>(num) / static_cast<double>(den) : 0.0;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%5.2ffps", fps);
    return buffer;
}

FileRowTexts MakeFileRowTexts(const std::string& path, const ProbeFigures& figures)
{
    FileRowTexts t;
    t.extension = FileExtension(path);
    t.duration = FormatDuration(DurationMilliseconds(figures.duration_us));
    t.size = std::to_string(figures.width) + "*" + std::to_string(figures.height);
    t.bit_rate = std::to_string(figures.bit_rate / 1000) + "kbps";
    t.frame_rate = FrameRateText(figures.fps_num, figures.fps_den);
    t.profile = std::to_string(figures.video_profile);
    return t;
}
