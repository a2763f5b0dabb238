#pragma once

#include <cstdint>

// The earliest first presentation time among a file's copied streams, in
// the units of the stream it came from. Every stream is shifted by it, so
// each keeps its start against the others (sound that starts half a
// second after the picture still does) and the earliest starts at zero.
class EarliestStart
{
public:
    // Offers a stream's first presentation time in units of num/den
    // seconds; an unset time (AV_NOPTS_VALUE) is ignored.
    void Offer(std::int64_t time, int num, int den);
    bool known() const { return known_; }
    // What a stream with units of num/den seconds subtracts from its
    // timestamps: the earliest start, rounded to those units, when it is
    // after zero; 0 when it is at or before zero or unknown.
    std::int64_t ShiftIn(int num, int den) const;

private:
    bool known_ = false;
    std::int64_t time_ = 0;
    int num_ = 0;
    int den_ = 1;
};
