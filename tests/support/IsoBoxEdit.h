#pragma once

// A small ISO base media file (MP4, MOV, 3GP) editor for making the test
// files that tools do not write: a box tree held in memory, changed, and
// written back with every size recomputed. It is a reader of its own,
// independent of the engine's, so the tests also use it to look at what
// the engine wrote.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct TestBox {
    std::string type;  // four characters
    // A leaf's body, or the bytes of a container's body before its first
    // child (a full box's version and flags, for 'meta').
    std::string payload;
    std::vector<TestBox> children;
    bool container = false;
    bool large = false;   // written with a 64-bit size
    bool to_end = false;  // written with size 0 (only right for the last box)
    // Where it was in the bytes it was read from (0 for a new box).
    std::uint64_t old_start = 0;
    std::uint64_t old_size = 0;
    std::uint64_t old_header = 0;

    TestBox* Child(const std::string& type, int nth = 0);
};

// A leaf box with the given body.
TestBox LeafBox(const std::string& type, const std::string& payload);
// A container box with the given children.
TestBox ContainerBox(const std::string& type, std::vector<TestBox> children,
                     const std::string& payload = "");

class IsoTestFile
{
public:
    // Reads the tree from bytes or from a file; ok() is false when the bytes
    // are not a well-formed box tree.
    explicit IsoTestFile(const std::string& bytes);
    static IsoTestFile Load(const std::string& path);

    bool ok() const { return ok_; }
    std::vector<TestBox>& boxes() { return boxes_; }

    // A box by path: "moov/trak[1]/mdia/hdlr" (the index counts the boxes
    // of that type among their siblings, from 0); nullptr when missing.
    TestBox* Find(const std::string& path);

    // The file again. Chunk offsets (stco, co64) and fragments' base data
    // offsets (tfhd) that pointed into a top-level box that moved are moved
    // with it, so that an edit of the movie header keeps the file playable.
    std::string Bytes() const;
    bool Save(const std::string& path) const;

private:
    std::vector<TestBox> boxes_;
    std::string source_;
    bool ok_ = false;
};

// Big-endian values in a string of bytes.
std::uint32_t GetU32(const std::string& bytes, std::size_t at);
std::uint64_t GetU64(const std::string& bytes, std::size_t at);
void PutU32(std::string& bytes, std::size_t at, std::uint32_t value);
void PutU64(std::string& bytes, std::size_t at, std::uint64_t value);
std::string U32Bytes(std::uint32_t value);

// The tkhd of a trak: its version, the matrix and where it starts in the body.
std::size_t TrackMatrixAt(const TestBox& tkhd);  // 40 (version 0) or 52 (version 1)
std::array<std::int32_t, 9> TrackMatrix(const TestBox& tkhd);
void SetTrackMatrix(TestBox& tkhd, const std::array<std::int32_t, 9>& matrix);
// Rewrites a version 0 tkhd as version 1 (64-bit times and duration).
void WidenTrackHeader(TestBox& tkhd);

// The handler type of a trak's mdia/hdlr ("vide", "soun", ...).
std::string TrackHandler(TestBox& trak);
void SetTrackHandler(TestBox& trak, const std::string& handler);
// Sets the track id in the tkhd.
void SetTrackId(TestBox& trak, std::uint32_t id);

// Adds a box at the end of the first sample entry of the trak's stsd (where
// avcC, hvcC, dvvC and dvcC live).
void AddToSampleEntry(TestBox& trak, const TestBox& box);

// Rewrites a sample table's stco as co64 (64-bit chunk offsets), or its
// stsz as stz2 with 4, 8 or 16-bit sizes (every size must fit).
void WidenChunkOffsets(TestBox& stbl);
void CompactSampleSizes(TestBox& stbl, int bits);

// File offsets of the 36 matrix bytes of every track whose handler is
// 'vide' or 'auxv', in the order of the movie header, in the given file.
std::vector<std::uint64_t> VideoMatrixOffsets(const std::string& bytes);
