#pragma once

#include <cstdint>

// Moves a stream's timestamps back by a base (in the stream's units), the
// same moment for every stream of a file (see EarliestStart). Unset
// timestamps stay unset.
class TimestampShift
{
public:
    // Decoding times outside this range are taken for wrapped values and
    // mirrored around the base instead of shifted.
    static constexpr std::int64_t kLowestPlausibleDts = -9000000000000LL;
    static constexpr std::int64_t kHighestPlausibleDts = 1000000000000LL;

    // Shifts video timestamps (with the plausibility test of the decoding time).
    void ShiftVideo(std::int64_t& pts, std::int64_t& dts);
    // Shifts audio timestamps (no plausibility test).
    void ShiftAudio(std::int64_t& pts, std::int64_t& dts);

    void SetBase(std::int64_t base) { base_ = base; }
    std::int64_t base() const { return base_; }

private:
    std::int64_t base_ = 0;
};

// Keeps one output stream's decoding times strictly increasing, the way
// FFmpeg's own command line does before it hands a packet to a muxer: a
// decoding time that does not increase is raised just past the previous
// one, and a presentation time before its decoding time is repaired, so the
// muxer never has a reason to reject the packet.
class MonotonicDts
{
public:
    void Fix(std::int64_t& pts, std::int64_t& dts);

private:
    bool seen_ = false;
    std::int64_t last_dts_ = 0;
};
