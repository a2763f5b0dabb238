#pragma once

#include <cstdint>

// The earliest presentation time of a video stream, found from its first
// packets. A stream cut at an open GOP's key frame (a camera's transport
// stream, HEVC's leading pictures) decodes pictures after that key frame
// that are shown before it, so its first packet's time is not its start.
// Decoding times only grow and no picture is shown before it is decoded:
// once a decoding time reaches the earliest presentation time seen, no
// later packet can be shown earlier, and the earliest time is settled.
class LeadingPictures
{
public:
    // Offers a packet's times; unset times (AV_NOPTS_VALUE) are ignored.
    void Offer(std::int64_t pts, std::int64_t dts);
    bool known() const { return known_; }
    bool settled() const { return settled_; }
    std::int64_t earliest() const { return earliest_; }

private:
    bool known_ = false;
    bool settled_ = false;
    std::int64_t earliest_ = 0;
};
