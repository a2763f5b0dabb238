#include "tests/support/IsoBoxEdit.h"

#include "tests/support/TempFolder.h"

#include <algorithm>
#include <functional>

namespace {

bool IsContainer(const std::string& type)
{
    static const char* const kContainers[] = {"moov", "trak", "mdia", "minf", "stbl", "mvex",
                                              "moof", "traf", "edts", "dinf", "mfra"};
    return std::any_of(std::begin(kContainers), std::end(kContainers),
                       [&](const char* c) { return type == c; });
}

bool Parse(const std::string& bytes, std::uint64_t start, std::uint64_t end,
           std::vector<TestBox>& out)
{
    std::uint64_t at = start;
    while (at < end) {
        if (end - at < 8)
            return false;
        TestBox box;
        box.old_start = at;
        std::uint64_t size = GetU32(bytes, at);
        box.type = bytes.substr(at + 4, 4);
        std::uint64_t header = 8;
        if (size == 1) {
            if (end - at < 16)
                return false;
            size = GetU64(bytes, at + 8);
            header = 16;
            box.large = true;
        } else if (size == 0) {
            size = end - at;
            box.to_end = true;
        }
        if (size < header || size > end - at)
            return false;
        box.old_size = size;
        box.old_header = header;
        box.container = IsContainer(box.type);
        if (box.container) {
            if (!Parse(bytes, at + header, at + size, box.children))
                return false;
        } else {
            box.payload = bytes.substr(at + header, size - header);
        }
        out.push_back(std::move(box));
        at += size;
    }
    return true;
}

std::uint64_t SizeOf(const TestBox& box)
{
    std::uint64_t size = (box.large ? 16 : 8) + box.payload.size();
    for (const TestBox& child : box.children)
        size += SizeOf(child);
    return size;
}

struct Moved {
    std::uint64_t old_body, old_body_size, new_body;
};

void Write(const TestBox& box, std::string& out,
           const std::function<std::uint64_t(std::uint64_t)>& map)
{
    const std::uint64_t size = SizeOf(box);
    if (box.large) {
        out += U32Bytes(1) + box.type;
        std::string wide(8, '\0');
        PutU64(wide, 0, size);
        out += wide;
    } else {
        out += U32Bytes(box.to_end ? 0 : static_cast<std::uint32_t>(size)) + box.type;
    }
    std::string payload = box.payload;
    if ((box.type == "stco" || box.type == "co64") && payload.size() >= 8) {
        const bool wide = box.type == "co64";
        const std::uint32_t count = GetU32(payload, 4);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::size_t at = 8 + i * (wide ? 8u : 4u);
            if (at + (wide ? 8 : 4) > payload.size())
                break;
            if (wide)
                PutU64(payload, at, map(GetU64(payload, at)));
            else
                PutU32(payload, at, static_cast<std::uint32_t>(map(GetU32(payload, at))));
        }
    }
    if (box.type == "tfhd" && payload.size() >= 16 && (GetU32(payload, 0) & 1))
        PutU64(payload, 8, map(GetU64(payload, 8)));
    out += payload;
    for (const TestBox& child : box.children)
        Write(child, out, map);
}

TestBox* FindIn(std::vector<TestBox>& boxes, const std::string& path)
{
    const std::size_t slash = path.find('/');
    std::string step = path.substr(0, slash);
    int nth = 0;
    if (const std::size_t open = step.find('['); open != std::string::npos) {
        nth = std::stoi(step.substr(open + 1));
        step = step.substr(0, open);
    }
    for (TestBox& box : boxes) {
        if (box.type != step || nth-- > 0)
            continue;
        if (slash == std::string::npos)
            return &box;
        return FindIn(box.children, path.substr(slash + 1));
    }
    return nullptr;
}

}  // namespace

TestBox* TestBox::Child(const std::string& child_type, int nth)
{
    for (TestBox& box : children) {
        if (box.type == child_type && nth-- == 0)
            return &box;
    }
    return nullptr;
}

TestBox LeafBox(const std::string& type, const std::string& payload)
{
    TestBox box;
    box.type = type;
    box.payload = payload;
    return box;
}

TestBox ContainerBox(const std::string& type, std::vector<TestBox> children,
                     const std::string& payload)
{
    TestBox box;
    box.type = type;
    box.container = true;
    box.payload = payload;
    box.children = std::move(children);
    return box;
}

IsoTestFile::IsoTestFile(const std::string& bytes) : source_(bytes)
{
    ok_ = Parse(bytes, 0, bytes.size(), boxes_);
}

IsoTestFile IsoTestFile::Load(const std::string& path)
{
    return IsoTestFile(ReadWholeFile(path));
}

TestBox* IsoTestFile::Find(const std::string& path)
{
    return FindIn(boxes_, path);
}

std::string IsoTestFile::Bytes() const
{
    std::vector<Moved> moved;
    std::uint64_t at = 0;
    for (const TestBox& box : boxes_) {
        if (box.old_size > 0)
            moved.push_back({box.old_start + box.old_header, box.old_size - box.old_header,
                             at + (box.large ? 16 : 8)});
        at += SizeOf(box);
    }
    const auto map = [&](std::uint64_t offset) {
        for (const Moved& m : moved) {
            if (offset >= m.old_body && offset - m.old_body < m.old_body_size)
                return m.new_body + (offset - m.old_body);
        }
        return offset;
    };
    std::string out;
    for (const TestBox& box : boxes_)
        Write(box, out, map);
    return out;
}

bool IsoTestFile::Save(const std::string& path) const
{
    return WriteBytes(path, Bytes());
}

std::uint32_t GetU32(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

std::uint64_t GetU64(const std::string& bytes, std::size_t at)
{
    return static_cast<std::uint64_t>(GetU32(bytes, at)) << 32 | GetU32(bytes, at + 4);
}

void PutU32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes.at(at + i) = static_cast<char>(value >> (24 - 8 * i));
}

void PutU64(std::string& bytes, std::size_t at, std::uint64_t value)
{
    PutU32(bytes, at, static_cast<std::uint32_t>(value >> 32));
    PutU32(bytes, at + 4, static_cast<std::uint32_t>(value));
}

std::string U32Bytes(std::uint32_t value)
{
    std::string bytes(4, '\0');
    PutU32(bytes, 0, value);
    return bytes;
}

std::size_t TrackMatrixAt(const TestBox& tkhd)
{
    return !tkhd.payload.empty() && tkhd.payload[0] == 1 ? 52 : 40;
}

std::array<std::int32_t, 9> TrackMatrix(const TestBox& tkhd)
{
    std::array<std::int32_t, 9> matrix{};
    const std::size_t at = TrackMatrixAt(tkhd);
    for (std::size_t i = 0; i < 9; ++i)
        matrix[i] = static_cast<std::int32_t>(GetU32(tkhd.payload, at + 4 * i));
    return matrix;
}

void SetTrackMatrix(TestBox& tkhd, const std::array<std::int32_t, 9>& matrix)
{
    const std::size_t at = TrackMatrixAt(tkhd);
    for (std::size_t i = 0; i < 9; ++i)
        PutU32(tkhd.payload, at + 4 * i, static_cast<std::uint32_t>(matrix[i]));
}

void WidenTrackHeader(TestBox& tkhd)
{
    if (tkhd.payload.empty() || tkhd.payload[0] != 0)
        return;
    const std::string& v0 = tkhd.payload;
    // version+flags, creation, modification, track id, reserved, duration
    std::string v1 = v0.substr(0, 4);
    v1[0] = 1;
    v1 += std::string(4, '\0') + v0.substr(4, 4);   // creation
    v1 += std::string(4, '\0') + v0.substr(8, 4);   // modification
    v1 += v0.substr(12, 8);                         // track id, reserved
    v1 += std::string(4, '\0') + v0.substr(20, 4);  // duration
    v1 += v0.substr(24);
    tkhd.payload = v1;
}

std::string TrackHandler(TestBox& trak)
{
    TestBox* mdia = trak.Child("mdia");
    TestBox* hdlr = mdia ? mdia->Child("hdlr") : nullptr;
    return hdlr && hdlr->payload.size() >= 12 ? hdlr->payload.substr(8, 4) : "";
}

void SetTrackHandler(TestBox& trak, const std::string& handler)
{
    trak.Child("mdia")->Child("hdlr")->payload.replace(8, 4, handler);
}

void SetTrackId(TestBox& trak, std::uint32_t id)
{
    TestBox* tkhd = trak.Child("tkhd");
    PutU32(tkhd->payload, tkhd->payload[0] == 1 ? 20 : 12, id);
}

void AddToSampleEntry(TestBox& trak, const TestBox& box)
{
    TestBox* stsd = trak.Child("mdia")->Child("minf")->Child("stbl")->Child("stsd");
    std::string& p = stsd->payload;
    // version and flags, entry count, then the first entry.
    const std::uint32_t entry_size = GetU32(p, 8);
    std::string added;
    Write(box, added, [](std::uint64_t offset) { return offset; });
    p.insert(8 + entry_size, added);
    PutU32(p, 8, entry_size + static_cast<std::uint32_t>(added.size()));
}

std::vector<std::uint64_t> VideoMatrixOffsets(const std::string& bytes)
{
    IsoTestFile file(bytes);
    std::vector<std::uint64_t> offsets;
    TestBox* moov = file.Find("moov");
    if (!moov)
        return offsets;
    for (TestBox& trak : moov->children) {
        if (trak.type != "trak")
            continue;
        const std::string handler = TrackHandler(trak);
        TestBox* tkhd = trak.Child("tkhd");
        if ((handler == "vide" || handler == "auxv") && tkhd)
            offsets.push_back(tkhd->old_start + tkhd->old_header + TrackMatrixAt(*tkhd));
    }
    return offsets;
}

void WidenChunkOffsets(TestBox& stbl)
{
    TestBox* stco = stbl.Child("stco");
    const std::uint32_t count = GetU32(stco->payload, 4);
    std::string wide = stco->payload.substr(0, 8);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string entry(8, '\0');
        PutU64(entry, 0, GetU32(stco->payload, 8 + 4 * i));
        wide += entry;
    }
    stco->type = "co64";
    stco->payload = wide;
}

void CompactSampleSizes(TestBox& stbl, int bits)
{
    TestBox* stsz = stbl.Child("stsz");
    const std::uint32_t count = GetU32(stsz->payload, 8);
    std::string compact = std::string(7, '\0') + static_cast<char>(bits) + U32Bytes(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t size = GetU32(stsz->payload, 12 + 4 * i);
        if (bits == 16) {
            compact += static_cast<char>(size >> 8);
            compact += static_cast<char>(size);
        } else if (bits == 8) {
            compact += static_cast<char>(size);
        } else if (i % 2 == 0) {
            compact += static_cast<char>(size << 4);
        } else {
            compact.back() = static_cast<char>(compact.back() | (size & 0x0f));
        }
    }
    stsz->type = "stz2";
    stsz->payload = compact;
}
