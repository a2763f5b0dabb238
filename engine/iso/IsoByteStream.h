#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class IsoBoxReader;

// Reads consecutive big-endian values from one range of a file (a sample
// table, the entries of a track run) through a small buffer, so that a
// table of millions of entries costs a few blocks of memory, not its size.
class IsoByteStream
{
public:
    static constexpr std::size_t kBlock = 64 * 1024;

    // The bytes [begin, end) of the reader's file.
    IsoByteStream(IsoBoxReader& reader, std::uint64_t begin, std::uint64_t end);

    // False when the range has fewer bytes left, or on a read error (then
    // failed() is true and the reader's error() says why).
    bool U8(std::uint8_t& value);
    bool U16(std::uint16_t& value);
    bool U32(std::uint32_t& value);
    bool U64(std::uint64_t& value);
    bool Skip(std::uint64_t bytes);

    std::uint64_t position() const { return position_; }
    std::uint64_t left() const { return end_ - position_; }
    bool failed() const { return failed_; }

private:
    // Makes `size` bytes at position_ available in the buffer.
    const std::uint8_t* Take(std::size_t size);

    IsoBoxReader& reader_;
    std::uint64_t position_;
    std::uint64_t end_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t buffer_start_ = 0;  // file offset of buffer_[0]
    bool failed_ = false;
};
