#pragma once

#include "engine/Failure.h"

#include <cstdint>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVPacket;

// Tells whether the copy read all of an input, or whether the input ends
// before its own index or duration says (a file cut short: a download or a
// copy that did not finish, a camera that lost power).
//
// Two signs, each kept clear of what ordinary files do:
//  - a QuickTime/MP4 index lists every sample: a stream that had packets
//    but delivered fewer whole ones than its index lists was cut (the
//    demuxer hands out the remainder of a cut sample marked corrupt, and
//    stops). Other demuxers' indexes list only some packets, or are rebuilt
//    from what the file holds, and are not compared.
//  - the last time read (presentation, else decoding time, plus duration,
//    over every stream) is more than kTolerance_s short of the expected
//    duration: the larger of the duration the caller probed and the input's
//    own. The second of slack absorbs sound that ends a little before the
//    picture, a last packet without a duration and pictures without
//    presentation times. Durations the demuxer only estimated from the bit
//    rate are not compared.
class InputCompleteness
{
public:
    static constexpr double kTolerance_s = 1.0;

    explicit InputCompleteness(unsigned stream_count = 0);

    // Call for every packet read, before its timestamps are changed.
    void Count(const AVFormatContext* input, const AVPacket* packet);

    // A failure with step kNone when the input was read to its end;
    // otherwise kCutShort with where it ends and how long it should be.
    // `probed_duration_s` may be 0 or less when unknown.
    Failure Shortfall(const AVFormatContext* input, double probed_duration_s) const;

private:
    std::vector<std::int64_t> whole_packets_;  // per stream
    std::vector<bool> seen_;                   // per stream: any packet at all
    std::int64_t end_us_ = 0;                  // latest end read, in AV_TIME_BASE units
    bool any_time_ = false;
};

// A time as a player shows it: "m:ss", or "h:mm:ss" from an hour on
// (whole seconds, rounded down).
std::string ClockText(double seconds);
