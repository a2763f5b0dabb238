#pragma once

#include <cstdint>

// Moves a stream's timestamps so that it starts near zero: the first
// packet's presentation time (when above 0) becomes the base that every
// later packet loses. Unset timestamps stay unset.
class TimestampShift {
public:
    // Decoding times outside this range are taken for wrapped values and
    // mirrored around the base instead of shifted.
    static constexpr std::int64_t kLowestPlausibleDts = -9000000000000LL;
    static constexpr std::int64_t kHighestPlausibleDts = 1000000000000LL;

    // Shifts video timestamps (with the plausibility test of the decoding time).
    void ShiftVideo(std::int64_t& pts, std::int64_t& dts);
    // Shifts audio timestamps (no plausibility test).
    void ShiftAudio(std::int64_t& pts, std::int64_t& dts);

    std::int64_t base() const { return base_; }

private:
    void TakeBase(std::int64_t pts);

    bool first_ = true;
    std::int64_t base_ = 0;
};

// Keeps one output stream's decoding times strictly increasing, the way
// FFmpeg's own command line does before it hands a packet to a muxer: a
// decoding time that does not increase is raised just past the previous
// one, and a presentation time before its decoding time is repaired, so the
// muxer never has a reason to reject the packet.
class MonotonicDts {
public:
    void Fix(std::int64_t& pts, std::int64_t& dts);

private:
    bool seen_ = false;
    std::int64_t last_dts_ = 0;
};
