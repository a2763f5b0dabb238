#include "engine/iso/IsoByteStream.h"

#include "engine/iso/IsoBoxReader.h"

#include <algorithm>

IsoByteStream::IsoByteStream(IsoBoxReader& reader, std::uint64_t begin, std::uint64_t end)
    : reader_(reader), position_(std::min(begin, end)), end_(end)
{}

const std::uint8_t* IsoByteStream::Take(std::size_t size)
{
    if (failed_ || size > left())
        return nullptr;
    const std::uint64_t held = buffer_.size();
    if (position_ < buffer_start_ || position_ - buffer_start_ + size > held) {
        const auto block = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, left()));
        buffer_.resize(block);
        if (!reader_.Read(position_, buffer_.data(), block)) {
            failed_ = true;
            buffer_.clear();
            return nullptr;
        }
        buffer_start_ = position_;
    }
    const std::uint8_t* p = buffer_.data() + (position_ - buffer_start_);
    position_ += size;
    return p;
}

bool IsoByteStream::U8(std::uint8_t& value)
{
    const std::uint8_t* p = Take(1);
    if (p)
        value = *p;
    return p != nullptr;
}

bool IsoByteStream::U16(std::uint16_t& value)
{
    const std::uint8_t* p = Take(2);
    if (p)
        value = ReadU16(p);
    return p != nullptr;
}

bool IsoByteStream::U32(std::uint32_t& value)
{
    const std::uint8_t* p = Take(4);
    if (p)
        value = ReadU32(p);
    return p != nullptr;
}

bool IsoByteStream::U64(std::uint64_t& value)
{
    const std::uint8_t* p = Take(8);
    if (p)
        value = ReadU64(p);
    return p != nullptr;
}

bool IsoByteStream::Skip(std::uint64_t bytes)
{
    if (failed_ || bytes > left())
        return false;
    position_ += bytes;
    return true;
}
