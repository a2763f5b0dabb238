#pragma once

#include <cstdint>

// The earliest first presentation time among a file's copied streams, in
// the units of the stream it came from. Every stream is shifted by it, so
// each keeps its start against the others (sound that starts half a
// second after the picture still does) and the earliest starts at zero.
//
// A start before zero moves every stream later by as much. Sound whose
// first packet is the encoder's priming often starts so (-0.023 s for AAC
// in Matroska or a transport stream, where nothing marks those samples as
// hidden): left before zero, the QuickTime muxer would hide that packet
// behind an edit list and the output's first sound frame would be the
// input's second. Priming that the input itself hides (an MP4's edit list,
// which the demuxer hands over as samples to skip) does not count: the
// demuxer already gives such a stream the start of its first shown sample.
class EarliestStart
{
public:
    // Offers a stream's first presentation time in units of num/den
    // seconds; an unset time (AV_NOPTS_VALUE) is ignored.
    void Offer(std::int64_t time, int num, int den);
    bool known() const { return known_; }
    // What a stream with units of num/den seconds subtracts from its
    // timestamps: the earliest start, rounded to those units (negative for
    // a start before zero); 0 when it is unknown.
    std::int64_t ShiftIn(int num, int den) const;

private:
    bool known_ = false;
    std::int64_t time_ = 0;
    int num_ = 0;
    int den_ = 1;
};
