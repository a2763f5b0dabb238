#include "engine/iso/IsoBoxReader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

std::string FourCcText(std::uint32_t code)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<unsigned char>(code >> shift);
        if (c >= 0x20 && c < 0x7f) {
            text += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            text += escaped;
        }
    }
    return text;
}

std::uint16_t ReadU16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

std::uint32_t ReadU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

std::uint64_t ReadU64(const std::uint8_t* p)
{
    return static_cast<std::uint64_t>(ReadU32(p)) << 32 | ReadU32(p + 4);
}

void WriteU32(std::uint8_t* p, std::uint32_t value)
{
    p[0] = static_cast<std::uint8_t>(value >> 24);
    p[1] = static_cast<std::uint8_t>(value >> 16);
    p[2] = static_cast<std::uint8_t>(value >> 8);
    p[3] = static_cast<std::uint8_t>(value);
}

IsoBoxReader::IsoBoxReader(int fd, std::uint64_t file_size) : fd_(fd), file_size_(file_size) {}

bool IsoBoxReader::Read(std::uint64_t offset, void* buffer, std::size_t size)
{
    if (offset > file_size_ || size > file_size_ - offset)
        return false;
    if (size > kSmallRead)
        return ReadFromFile(offset, buffer, size);
    if (offset < block_start_ || offset + size > block_start_ + block_.size()) {
        block_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, file_size_ - offset)));
        if (!ReadFromFile(offset, block_.data(), block_.size())) {
            block_.clear();
            return false;
        }
        block_start_ = offset;
    }
    std::copy_n(block_.data() + (offset - block_start_), size, static_cast<std::uint8_t*>(buffer));
    return true;
}

bool IsoBoxReader::ReadFromFile(std::uint64_t offset, void* buffer, std::size_t size)
{
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd_, out + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error_ = errno;
            return false;
        }
        if (n == 0) {
            // The file is shorter than when it was measured.
            error_ = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

IsoBoxStatus IsoBoxReader::Next(std::uint64_t offset, std::uint64_t limit, IsoBox& box)
{
    box = IsoBox{};
    box.start = offset;
    limit = std::min(limit, file_size_);
    if (offset >= limit)
        return IsoBoxStatus::kEnd;
    const std::uint64_t remaining = limit - offset;
    std::uint8_t head[16];
    if (remaining < 8) {
        if (!Read(offset, head, static_cast<std::size_t>(remaining)))
            return IsoBoxStatus::kReadError;
        const bool zero =
            std::all_of(head, head + remaining, [](std::uint8_t b) { return b == 0; });
        return zero ? IsoBoxStatus::kEnd : IsoBoxStatus::kPastLimit;
    }
    if (!Read(offset, head, 8))
        return IsoBoxStatus::kReadError;

    box.type = ReadU32(head + 4);
    const std::uint32_t size32 = ReadU32(head);
    box.header = 8;
    if (size32 == 1) {
        if (remaining < 16)
            return IsoBoxStatus::kPastLimit;
        if (!Read(offset + 8, head + 8, 8))
            return IsoBoxStatus::kReadError;
        box.size = ReadU64(head + 8);
        box.large = true;
        box.header = 16;
    } else if (size32 == 0) {
        box.size = remaining;
        box.to_end = true;
    } else {
        box.size = size32;
    }
    if (box.type == FourCc("uuid")) {
        if (remaining < box.header + 16)
            return IsoBoxStatus::kPastLimit;
        if (!Read(offset + box.header, box.uuid.data(), box.uuid.size()))
            return IsoBoxStatus::kReadError;
        box.header += 16;
    }
    if (box.size < box.header)
        return IsoBoxStatus::kMalformed;
    if (box.size > remaining)
        return IsoBoxStatus::kPastLimit;
    return IsoBoxStatus::kBox;
}

bool IsoBoxReader::VersionFlags(const IsoBox& box, std::uint8_t& version, std::uint32_t& flags)
{
    std::uint8_t bytes[4];
    if (box.body_size() < 4 || !Read(box.body(), bytes, 4))
        return false;
    version = bytes[0];
    flags = ReadU32(bytes) & 0xffffffu;
    return true;
}
