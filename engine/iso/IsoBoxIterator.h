#pragma once

#include "engine/iso/IsoBoxReader.h"

#include <cstdint>

// Walks the boxes that follow one another in a range of the file (the
// children of a box, or the top level), one header at a time through the
// reader, so every rule of the reader holds: a size 0 box reaches to the end
// of the range (box.to_end), a 64-bit size is read (box.large), a box that
// runs past the range gives kPastLimit, one smaller than its header
// kMalformed. What a walk does with a size 0 box, and how many boxes it
// takes, is its own to decide; count() tells how many it was given.
class IsoBoxIterator
{
public:
    // The boxes in [begin, limit); limit is cut to the file's size.
    IsoBoxIterator(IsoBoxReader& reader, std::uint64_t begin, std::uint64_t limit)
        : reader_(reader), offset_(begin), limit_(limit)
    {}
    // The children of `parent`.
    IsoBoxIterator(IsoBoxReader& reader, const IsoBox& parent)
        : IsoBoxIterator(reader, parent.body(), parent.end())
    {}

    // The next box's header (see IsoBoxReader::Next, whose status this is).
    // Only kBox moves on, past that box; any other status is given again
    // if asked again.
    IsoBoxStatus Next(IsoBox& box)
    {
        const IsoBoxStatus status = reader_.Next(offset_, limit_, box);
        if (status == IsoBoxStatus::kBox) {
            offset_ = box.end();
            ++count_;
        }
        return status;
    }

    // Boxes given so far.
    std::uint64_t count() const { return count_; }

private:
    IsoBoxReader& reader_;
    std::uint64_t offset_;
    std::uint64_t limit_;
    std::uint64_t count_ = 0;
};
