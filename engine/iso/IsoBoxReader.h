#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads the boxes of an ISO base media file (MP4, MOV, 3GP) through pread
// on an open descriptor: box headers and small exact reads, never the file
// whole. Small reads are served from one block read ahead, so that a walk
// over many small boxes costs a read per block, not one per header. Every offset and size is checked before it is used, so that a file
// whose sizes lie can only give a status, never a read outside its bounds.

// A four-character code as the big-endian number it is stored as.
constexpr std::uint32_t FourCc(const char (&text)[5])
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(text[0])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[3]));
}

// "moov", with bytes that are not printable as \xNN.
std::string FourCcText(std::uint32_t code);

// Big-endian values in a byte buffer.
std::uint16_t ReadU16(const std::uint8_t* p);
std::uint32_t ReadU32(const std::uint8_t* p);
std::uint64_t ReadU64(const std::uint8_t* p);
void WriteU32(std::uint8_t* p, std::uint32_t value);

struct IsoBox {
    std::uint32_t type = 0;
    std::uint64_t start = 0;              // file offset of its size field
    std::uint64_t header = 0;             // 8; 16 with a 64-bit size; 16 more for 'uuid'
    std::uint64_t size = 0;               // the whole box, header included
    bool to_end = false;                  // stored size 0: up to the end of its parent (or file)
    bool large = false;                   // stored size 1 and a 64-bit size
    std::array<std::uint8_t, 16> uuid{};  // the extended type of a 'uuid' box

    std::uint64_t body() const { return start + header; }
    std::uint64_t end() const { return start + size; }
    std::uint64_t body_size() const { return size - header; }
};

enum class IsoBoxStatus {
    kBox,        // a box that lies inside the limit
    kEnd,        // no box left (the limit reached, or zero padding shorter than a header)
    kPastLimit,  // the header or the box runs past the limit
    kMalformed,  // a size smaller than its header
    kReadError,  // the file could not be read (error() says why)
};

class IsoBoxReader
{
public:
    // `file_size` is the size of the file when it was opened; nothing past
    // it is ever read.
    IsoBoxReader(int fd, std::uint64_t file_size);

    // The header of the box at `offset` within a parent that ends at
    // `limit` (the file size for top-level boxes). A size 0 box reaches
    // to `limit`. Up to 7 zero bytes before the limit are the padding some
    // writers leave at the end of a container (QuickTime's 32-bit
    // terminator) and give kEnd. `box` holds what was read of the header
    // (its start, and its type once 8 bytes were there) whatever the status.
    IsoBoxStatus Next(std::uint64_t offset, std::uint64_t limit, IsoBox& box);

    // Reads exactly `size` bytes at `offset`. False when that range is not
    // inside the file, or on a read error (then error() is its errno).
    bool Read(std::uint64_t offset, void* buffer, std::size_t size);

    // A full box's version (high byte) and flags (low 24 bits); false when
    // its body is shorter than the 4 bytes or cannot be read.
    bool VersionFlags(const IsoBox& box, std::uint8_t& version, std::uint32_t& flags);

    int fd() const { return fd_; }
    std::uint64_t file_size() const { return file_size_; }
    // The errno of the last failed read; 0 when no read failed.
    int error() const { return error_; }

private:
    static constexpr std::size_t kBlock = 64 * 1024;
    static constexpr std::size_t kSmallRead = 256;  // reads up to this size go through the block

    bool ReadFromFile(std::uint64_t offset, void* buffer, std::size_t size);

    int fd_;
    std::uint64_t file_size_;
    int error_ = 0;
    // The file never changes under one reader: it inspects a file that is
    // only read while the reader lives.
    std::vector<std::uint8_t> block_;
    std::uint64_t block_start_ = 0;
};
