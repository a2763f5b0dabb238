#pragma once

#include <cstdint>
#include <string>

// What the probe found out about one file. Every figure the file does not
// supply reads 0.
struct MediaProbe {
    // 0 for a file with a video stream, -1 when the file cannot be opened or
    // has no video stream, -2 when its stream information cannot be read,
    // -12 when memory runs out, or another negative FFmpeg error code.
    int result = 0;
    // The container's duration, else the longest stream's, else 0.
    std::int64_t duration_us = 0;
    int video_profile = 0;
    int bit_rate = 0;
    int height = 0;
    int width = 0;
    int fps_den = 0;
    int fps_num = 0;

    bool hasVideo() const { return result == 0; }
};

// Opens the file at path (UTF-8) and reads its facts. Touches nothing
// shared, so it may run while a rotation worker runs.
MediaProbe ProbeMedia(const std::string& path);
