#pragma once

// ISO base media files (MP4, MOV, 3GP) made the way phones, cameras and
// common tools write them, and readers that are not the engine's.

#include <cstdint>
#include <string>
#include <vector>

struct IsoRecipe {
    double seconds = 1.0;
    int width = 160, height = 120;
    std::string audio = "aac";  // "aac", "pcm_s16le", "" for none
    bool video = true;
    bool second_video = false;  // a second video track (80x60) after the first
    // The muxer's -movflags, e.g. "+faststart", "frag_keyframe+empty_moov".
    std::string movflags;
    // The container, when not the one of the path's extension ("mp4", "mov", "3gp").
    std::string format;
};

// Writes the file with FFmpeg's command line (MPEG-4 Part 2 pictures of a
// test pattern, a sine tone). Returns "" or FFmpeg's complaint.
std::string MakeIsoWithFfmpeg(const std::string& path, const IsoRecipe& recipe);

// Writes two seconds of HEVC pictures (50, ten to a key frame) and one of
// AAC sound with GStreamer's MP4 muxer (fragmented every
// `fragment_ms` when it is not 0) or, with `quicktime`, its QuickTime
// muxer. Returns "" or gst-launch's complaint.
std::string MakeIsoWithGstreamer(const std::string& path, int fragment_ms, bool quicktime = false);

// The clockwise rotation exiftool reads (its Rotation tag); -1 when it
// cannot say.
int ExiftoolRotation(const std::string& path);

struct ProbedPacket {
    int stream = 0;
    double dts_s = 0;
    std::uint64_t pos = 0;
    std::uint64_t size = 0;
};
// Every packet as ffprobe lists it: stream, decoding time, place and size.
std::vector<ProbedPacket> ProbePackets(const std::string& path);

// The earliest decoding time of a packet of `path` whose bytes are not all
// in its first `kept` bytes: where a copy cut at `kept` stops playing.
// -1 when every packet fits.
double FirstPacketPast(const std::vector<ProbedPacket>& packets, std::uint64_t kept);

// The byte ranges [first, last) where two files differ (over the length
// of the shorter, and the tail of the longer).
std::vector<std::pair<std::uint64_t, std::uint64_t>> DifferingRanges(const std::string& a,
                                                                     const std::string& b);
