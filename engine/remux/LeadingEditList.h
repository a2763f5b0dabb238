#pragma once

#include <cstdint>
#include <vector>

// Shows a finished QuickTime or MP4 file's leading pictures. libavformat's
// muxer starts a track's edit list at its first packet's presentation time,
// so pictures decoded after the first one but shown before it stay hidden.
// Where a track starts with such pictures, its edit list is made to start at
// the earliest of them instead: the empty edit before the track shortens
// (or goes) and the media edit starts that much earlier and lasts that much
// longer, so every other picture keeps its time and the track its length.
struct LeadingTrack {
    // In the track's own units (its output stream's time base, 1/timescale).
    std::int64_t timescale = 0;
    std::int64_t first_pts = 0;  // the first packet written
    std::int64_t first_dts = 0;
    std::int64_t earliest_pts = 0;  // the earliest of all packets written
};

// `fd` is the finished file, open for reading and writing; its movie box
// must be its last box (the muxer's default), else nothing changes. Tracks
// are matched by the edit list the muxer wrote for them; one that does not
// match stays as it is. Returns 0, or a negative AVERROR when the file could
// not be read or written.
int ShowLeadingPictures(int fd, const std::vector<LeadingTrack>& tracks);
