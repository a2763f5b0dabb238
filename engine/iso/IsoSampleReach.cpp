#include "engine/iso/IsoSampleReach.h"

#include "engine/iso/IsoBoxIterator.h"
#include "engine/iso/IsoByteStream.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

std::uint64_t SatAdd(std::uint64_t a, std::uint64_t b)
{
    std::uint64_t sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? kMax : sum;
}

std::uint64_t SatMul(std::uint64_t a, std::uint64_t b)
{
    std::uint64_t product = 0;
    return __builtin_mul_overflow(a, b, &product) ? kMax : product;
}

// True when `count` entries of `width` bytes, after `fixed` bytes, fit in
// the body of the box.
bool EntriesFit(const IsoBox& box, std::uint64_t fixed, std::uint64_t count, std::uint64_t width)
{
    return fixed <= box.body_size() && SatMul(count, width) <= box.body_size() - fixed;
}

// True when `size` bytes at `offset` are not all inside a file of `file_size`.
bool PastEnd(std::uint64_t offset, std::uint64_t size, std::uint64_t file_size)
{
    return size > 0 && (offset > file_size || size > file_size - offset);
}

// How many whole samples of `size` bytes fit between `offset` and the end.
std::uint64_t SamplesThatFit(std::uint64_t offset, std::uint64_t size, std::uint64_t file_size)
{
    if (offset >= file_size || size == 0)
        return 0;
    return (file_size - offset) / size;
}

// The sample sizes of an stsz (32-bit entries, or one size for all) or an
// stz2 (4, 8 or 16-bit entries) box, in sample order.
class SampleSizes
{
public:
    SampleSizes(IsoBoxReader& reader, const IsoBox& box) : stream_(reader, box.body(), box.end()) {}

    // Reads the header; false when the box contradicts itself.
    bool Open(std::uint32_t type, bool& read_failed)
    {
        std::uint32_t version_flags = 0;
        if (type == FourCc("stz2")) {
            std::uint32_t reserved_and_field = 0;
            if (!stream_.U32(version_flags) || !stream_.U32(reserved_and_field) ||
                !stream_.U32(count_))
                return Fail(read_failed);
            field_bits_ = reserved_and_field & 0xff;
            if (field_bits_ != 4 && field_bits_ != 8 && field_bits_ != 16)
                return false;
            return SatAdd(SatMul(count_, field_bits_), 7) / 8 <= stream_.left();
        }
        if (!stream_.U32(version_flags) || !stream_.U32(constant_) || !stream_.U32(count_))
            return Fail(read_failed);
        field_bits_ = 32;
        return constant_ != 0 || SatMul(count_, 4) <= stream_.left();
    }

    std::uint64_t count() const { return count_; }
    // The size of every sample, or 0 when each has its own.
    std::uint32_t constant() const { return constant_; }

    bool Next(std::uint32_t& size)
    {
        switch (field_bits_) {
        case 32:
            return stream_.U32(size);
        case 16: {
            std::uint16_t value = 0;
            const bool ok = stream_.U16(value);
            size = value;
            return ok;
        }
        case 8: {
            std::uint8_t value = 0;
            const bool ok = stream_.U8(value);
            size = value;
            return ok;
        }
        default:  // 4: two sizes a byte, the first in the high half
            if (half_pending_) {
                half_pending_ = false;
                size = pending_ & 0x0f;
                return true;
            }
            if (!stream_.U8(pending_))
                return false;
            half_pending_ = true;
            size = pending_ >> 4;
            return true;
        }
    }

    bool failed() const { return stream_.failed(); }

private:
    bool Fail(bool& read_failed)
    {
        read_failed = stream_.failed();
        return false;
    }

    IsoByteStream stream_;
    std::uint32_t count_ = 0;
    std::uint32_t constant_ = 0;
    std::uint32_t field_bits_ = 32;
    std::uint8_t pending_ = 0;
    bool half_pending_ = false;
};

// The samples of one chunk, [index, index + n), whose data starts at
// offset: notes in reach the first whose data is not all in the file.
// False when a size cannot be read.
bool CheckChunk(SampleSizes& sizes, std::uint64_t offset, std::uint64_t n,
                std::uint64_t file_size, std::uint64_t index, IsoSampleReach::TableReach& reach)
{
    if (sizes.constant() != 0) {
        const std::uint64_t bytes = SatMul(n, sizes.constant());
        if (PastEnd(offset, bytes, file_size)) {
            reach.missing = true;
            reach.missing_index = index + SamplesThatFit(offset, sizes.constant(), file_size);
        }
        return true;
    }
    std::uint64_t position = offset;
    for (std::uint64_t k = 0; k < n; ++k) {
        std::uint32_t size = 0;
        if (!sizes.Next(size))
            return false;
        if (PastEnd(position, size, file_size)) {
            reach.missing = true;
            reach.missing_index = index + k;
            return true;
        }
        position += size;  // stays within the file: checked above
    }
    return true;
}

// The sample-to-chunk table read run by run: the run after the one in hand
// starts at chunk next_first (kMax past the last) with next_per_chunk
// samples a chunk.
struct ChunkRuns {
    enum class Read { kOk, kFailed, kOutOfOrder };

    ChunkRuns(IsoByteStream& stsc, std::uint32_t count) : stsc_(stsc), left_(count) {}

    Read Next()
    {
        if (left_ == 0) {
            next_first = kMax;
            return Read::kOk;
        }
        std::uint32_t first = 0, per_chunk = 0, description = 0;
        if (!stsc_.U32(first) || !stsc_.U32(per_chunk) || !stsc_.U32(description))
            return Read::kFailed;
        --left_;
        if (first <= next_first && next_first != kMax)
            return Read::kOutOfOrder;
        next_first = first;
        next_per_chunk = per_chunk;
        return Read::kOk;
    }

    std::uint64_t next_first = 0;
    std::uint32_t next_per_chunk = 0;

private:
    IsoByteStream& stsc_;
    std::uint32_t left_;
};

}  // namespace

IsoSampleReach::IsoSampleReach(IsoBoxReader& reader) : reader_(reader) {}

IsoSampleReach::Status IsoSampleReach::Malformed(const std::string& why)
{
    why_ = why;
    return Status::kMalformed;
}

IsoSampleReach::Status IsoSampleReach::Failed()
{
    why_ = "read error";
    return Status::kReadError;
}

IsoSampleReach::Track* IsoSampleReach::FindTrack(std::uint32_t id)
{
    for (Track& track : tracks_) {
        if (track.id == id)
            return &track;
    }
    return nullptr;
}

void IsoSampleReach::MarkMissing(Track& track, std::uint64_t index, std::uint64_t dts,
                                 bool dts_known)
{
    if (track.missing)
        return;
    track.missing = true;
    track.missing_index = index;
    track.missing_dts = dts;
    track.missing_time_known = dts_known;
}

IsoSampleReach::Status IsoSampleReach::AddTrack(const IsoTrackTables& tables)
{
    Track track;
    track.id = tables.track_id;
    track.timescale = tables.timescale;
    track.mdhd_duration = tables.duration;
    track.has_trex = tables.has_trex;
    track.trex_duration = tables.trex_duration;
    track.trex_size = tables.trex_size;
    if (const Status status = WalkTables(tables, track); status != Status::kOk)
        return status;
    tracks_.push_back(track);
    return Status::kOk;
}

IsoSampleReach::Status IsoSampleReach::WalkTables(const IsoTrackTables& tables, Track& track)
{
    // Without all three of sizes, chunks and samples per chunk no sample
    // can be located; such a track has nothing to check.
    TableReach reach;
    if (tables.sizes && tables.offsets && tables.stsc) {
        if (const Status status = WalkChunks(tables, reach); status != Status::kOk)
            return status;
    }
    return WalkTimes(tables, reach, track);
}

IsoSampleReach::Status IsoSampleReach::OpenTable(IsoByteStream& stream, const IsoBox& box,
                                                 std::uint64_t entry_size, std::uint32_t& count,
                                                 const char* name)
{
    std::uint32_t version_flags = 0;
    if (!stream.U32(version_flags) || !stream.U32(count))
        return stream.failed() ? Failed() : Malformed(std::string(name) + " box too short");
    if (!EntriesFit(box, 8, count, entry_size))
        return Malformed(std::string(name) + " table larger than its box");
    return Status::kOk;
}

IsoSampleReach::Status IsoSampleReach::WalkChunks(const IsoTrackTables& tables, TableReach& reach)
{
    SampleSizes sizes(reader_, *tables.sizes);
    bool read_failed = false;
    if (!sizes.Open(tables.sizes->type, read_failed))
        return read_failed ? Failed() : Malformed("sample size table larger than its box");
    reach.sample_count = sizes.count();

    const bool wide = tables.offsets->type == FourCc("co64");
    IsoByteStream offsets(reader_, tables.offsets->body(), tables.offsets->end());
    std::uint32_t chunk_count = 0;
    if (const Status s = OpenTable(offsets, *tables.offsets, wide ? 8 : 4, chunk_count, "chunk offset");
        s != Status::kOk)
        return s;
    IsoByteStream stsc(reader_, tables.stsc->body(), tables.stsc->end());
    std::uint32_t stsc_count = 0;
    if (const Status s = OpenTable(stsc, *tables.stsc, 12, stsc_count, "sample-to-chunk");
        s != Status::kOk)
        return s;

    ChunkRuns runs(stsc, stsc_count);
    auto read_run = [&]() -> Status {
        const ChunkRuns::Read read = runs.Next();
        if (read == ChunkRuns::Read::kFailed)
            return Failed();
        if (read == ChunkRuns::Read::kOutOfOrder)
            return Malformed("sample-to-chunk runs out of order");
        return Status::kOk;
    };
    if (const Status s = read_run(); s != Status::kOk)
        return s;
    if (stsc_count > 0 && runs.next_first != 1)
        return Malformed("sample-to-chunk does not start at the first chunk");
    std::uint64_t per_chunk = 0;

    std::uint64_t index = 0;
    for (std::uint64_t chunk = 1; chunk <= chunk_count && index < reach.sample_count && !reach.missing;
         ++chunk) {
        while (chunk >= runs.next_first) {
            per_chunk = runs.next_per_chunk;
            if (const Status s = read_run(); s != Status::kOk)
                return s;
        }
        std::uint64_t offset = 0;
        std::uint32_t offset32 = 0;
        if (wide ? !offsets.U64(offset) : !offsets.U32(offset32))
            return Failed();
        if (!wide)
            offset = offset32;
        const std::uint64_t n = std::min(per_chunk, reach.sample_count - index);
        if (n == 0)
            continue;
        if (!CheckChunk(sizes, offset, n, reader_.file_size(), index, reach))
            return Failed();
        index += n;
    }
    return Status::kOk;
}

IsoSampleReach::Status IsoSampleReach::WalkTimes(const IsoTrackTables& tables,
                                                 const TableReach& reach, Track& track)
{
    // Decoding times: the time of the missing sample, and where the
    // track's samples end (the fragments go on from there).
    bool missing_time_known = false;
    std::uint64_t missing_dts = 0;
    std::uint64_t dts = 0;
    std::uint64_t timed = 0;  // samples the time table covers
    bool overflow = false;
    if (tables.stts) {
        IsoByteStream stts(reader_, tables.stts->body(), tables.stts->end());
        std::uint32_t entries = 0;
        if (const Status s = OpenTable(stts, *tables.stts, 8, entries, "time-to-sample");
            s != Status::kOk)
            return s;
        for (std::uint32_t e = 0; e < entries; ++e) {
            std::uint32_t count = 0, delta = 0;
            if (!stts.U32(count) || !stts.U32(delta))
                return Failed();
            if (reach.missing && !missing_time_known && reach.missing_index - timed < count) {
                missing_dts = SatAdd(dts, SatMul(reach.missing_index - timed, delta));
                missing_time_known = missing_dts != kMax;
            }
            const std::uint64_t span = SatMul(count, delta);
            overflow = overflow || span == kMax || SatAdd(dts, span) == kMax;
            dts = SatAdd(dts, span);
            timed += count;
        }
    }
    track.next_dts = dts;
    track.samples = reach.sample_count;
    track.times_known = !overflow && timed >= reach.sample_count;
    if (reach.missing)
        MarkMissing(track, reach.missing_index, missing_dts, missing_time_known);
    return Status::kOk;
}

IsoSampleReach::Status IsoSampleReach::AddFragment(const IsoBox& moof)
{
    // Without an explicit base, the first track fragment's data is counted
    // from the start of the 'moof', and each later one's from the end of
    // the data of the one before.
    std::uint64_t data_end = moof.start;
    bool first = true;
    IsoBoxIterator boxes(reader_, moof);
    IsoBox traf;
    while (true) {
        const IsoBoxStatus status = boxes.Next(traf);
        if (status == IsoBoxStatus::kEnd)
            return Status::kOk;
        if (status == IsoBoxStatus::kReadError)
            return Failed();
        if (status != IsoBoxStatus::kBox || traf.to_end)
            return Malformed("box inside a movie fragment runs past it or has size 0");
        if (traf.type == FourCc("traf")) {
            if (const Status s = WalkTrackFragment(moof, traf, first, data_end); s != Status::kOk)
                return s;
            first = false;
        }
    }
}

IsoSampleReach::Status IsoSampleReach::WalkTrackFragment(const IsoBox& moof, const IsoBox& traf,
                                                         bool first_in_moof,
                                                         std::uint64_t& data_end)
{
    FragmentState state;
    IsoBoxIterator boxes(reader_, traf);
    IsoBox box;
    while (true) {
        const IsoBoxStatus status = boxes.Next(box);
        if (status == IsoBoxStatus::kEnd)
            break;
        if (status == IsoBoxStatus::kReadError)
            return Failed();
        if (status != IsoBoxStatus::kBox || box.to_end)
            return Malformed("box inside a track fragment runs past it or has size 0");

        Status read = Status::kOk;
        if (box.type == FourCc("tfhd"))
            read = ReadFragmentHeader(moof, box, first_in_moof, data_end, state);
        else if (box.type == FourCc("tfdt"))
            read = ReadDecodeTime(box, state);
        else if (box.type == FourCc("trun"))
            read = WalkTrackRun(box, state);
        if (read != Status::kOk)
            return read;
    }
    if (state.track)
        data_end = state.run_end;
    return Status::kOk;
}

IsoSampleReach::Status IsoSampleReach::ReadFragmentHeader(const IsoBox& moof, const IsoBox& box,
                                                          bool first_in_moof,
                                                          std::uint64_t data_end,
                                                          FragmentState& state)
{
    if (state.track)
        return Malformed("two track fragment headers");
    IsoByteStream s(reader_, box.body(), box.end());
    std::uint32_t version_flags = 0, id = 0;
    if (!s.U32(version_flags) || !s.U32(id))
        return s.failed() ? Failed() : Malformed("track fragment header too short");
    const std::uint32_t flags = version_flags & 0xffffff;
    Track* track = FindTrack(id);
    if (!track)
        return Malformed("fragment of a track the movie header does not list");
    state.track = track;
    std::uint32_t skipped = 0;
    if (flags & 0x01) {
        if (!s.U64(state.base))
            return s.failed() ? Failed() : Malformed("track fragment header too short");
    } else if ((flags & 0x20000) || first_in_moof) {
        state.base = moof.start;
    } else {
        state.base = data_end;
    }
    if ((flags & 0x02) && !s.U32(skipped))
        return s.failed() ? Failed() : Malformed("track fragment header too short");
    state.has_duration = (flags & 0x08) != 0;
    if (state.has_duration && !s.U32(state.default_duration))
        return s.failed() ? Failed() : Malformed("track fragment header too short");
    state.has_size = (flags & 0x10) != 0;
    if (state.has_size && !s.U32(state.default_size))
        return s.failed() ? Failed() : Malformed("track fragment header too short");
    if (!state.has_duration && track->has_trex) {
        state.has_duration = true;
        state.default_duration = track->trex_duration;
    }
    if (!state.has_size && track->has_trex) {
        state.has_size = true;
        state.default_size = track->trex_size;
    }
    state.run_end = state.base;
    return Status::kOk;
}

IsoSampleReach::Status IsoSampleReach::ReadDecodeTime(const IsoBox& box, FragmentState& state)
{
    if (!state.track)
        return Malformed("decode time before the track fragment header");
    std::uint8_t version = 0;
    std::uint32_t flags = 0;
    if (!reader_.VersionFlags(box, version, flags))
        return reader_.error() ? Failed() : Malformed("decode time box too short");
    IsoByteStream s(reader_, box.body() + 4, box.end());
    std::uint64_t time = 0;
    std::uint32_t time32 = 0;
    if (version == 1 ? !s.U64(time) : !s.U32(time32))
        return s.failed() ? Failed() : Malformed("decode time box too short");
    state.track->next_dts = version == 1 ? time : time32;
    state.track->times_known = true;
    return Status::kOk;
}

IsoSampleReach::Status IsoSampleReach::WalkTrackRun(const IsoBox& box, FragmentState& state)
{
    if (!state.track)
        return Malformed("track run before the track fragment header");
    IsoByteStream s(reader_, box.body(), box.end());
    std::uint32_t version_flags = 0, count = 0;
    if (!s.U32(version_flags) || !s.U32(count))
        return s.failed() ? Failed() : Malformed("track run too short");
    const std::uint32_t flags = version_flags & 0xffffff;
    std::uint64_t position = state.first_run ? state.base : state.run_end;
    if (flags & 0x01) {
        std::uint32_t raw = 0;
        if (!s.U32(raw))
            return s.failed() ? Failed() : Malformed("track run too short");
        const auto data_offset = static_cast<std::int32_t>(raw);
        if (data_offset < 0) {
            const auto back = static_cast<std::uint64_t>(-static_cast<std::int64_t>(data_offset));
            if (back > state.base)
                return Malformed("track run data before the start of the file");
            position = state.base - back;
        } else {
            position = SatAdd(state.base, static_cast<std::uint64_t>(data_offset));
        }
    }
    if ((flags & 0x04) && !s.Skip(4))
        return s.failed() ? Failed() : Malformed("track run too short");
    const bool own_duration = flags & 0x100, own_size = flags & 0x200;
    const std::uint64_t entry =
        4u * ((own_duration ? 1 : 0) + (own_size ? 1 : 0) + ((flags & 0x400) ? 1 : 0) +
              ((flags & 0x800) ? 1 : 0));
    if (SatMul(count, entry) > s.left())
        return Malformed("track run larger than its box");
    if ((!own_duration && !state.has_duration) || (!own_size && !state.has_size))
        return Malformed("track run without sample sizes or durations");

    state.first_run = false;
    if (entry == 0) {
        AddAlikeSamples(count, position, state);
        return Status::kOk;
    }
    const std::uint64_t file_size = reader_.file_size();
    Track& track = *state.track;
    for (std::uint32_t k = 0; k < count; ++k) {
        std::uint32_t duration = state.default_duration, size = state.default_size, skipped = 0;
        if ((own_duration && !s.U32(duration)) || (own_size && !s.U32(size)) ||
            ((flags & 0x400) && !s.U32(skipped)) || ((flags & 0x800) && !s.U32(skipped)))
            return Failed();
        if (PastEnd(position, size, file_size))
            MarkMissing(track, track.samples, track.next_dts, track.times_known);
        position = SatAdd(position, size);
        if (SatAdd(track.next_dts, duration) == kMax)
            track.times_known = false;
        track.next_dts = SatAdd(track.next_dts, duration);
        track.samples = SatAdd(track.samples, 1);
    }
    state.run_end = position;
    return Status::kOk;
}

// Every sample alike: no entry to read, whatever the count.
void IsoSampleReach::AddAlikeSamples(std::uint32_t count, std::uint64_t position,
                                     FragmentState& state)
{
    Track& track = *state.track;
    const std::uint64_t file_size = reader_.file_size();
    const std::uint64_t bytes = SatMul(count, state.default_size);
    if (PastEnd(position, bytes, file_size)) {
        const std::uint64_t fit = SamplesThatFit(position, state.default_size, file_size);
        MarkMissing(track, track.samples + fit,
                    SatAdd(track.next_dts, SatMul(fit, state.default_duration)),
                    track.times_known);
    }
    const std::uint64_t span = SatMul(count, state.default_duration);
    if (span == kMax || SatAdd(track.next_dts, span) == kMax)
        track.times_known = false;
    track.next_dts = SatAdd(track.next_dts, span);
    track.samples = SatAdd(track.samples, count);
    state.run_end = SatAdd(position, bytes);
}

bool IsoSampleReach::missing() const
{
    return std::any_of(tracks_.begin(), tracks_.end(), [](const Track& t) { return t.missing; });
}

std::uint64_t IsoSampleReach::DeclaredSamples() const
{
    std::uint64_t total = 0;
    for (const Track& track : tracks_)
        total = SatAdd(total, track.samples);
    return total;
}

double IsoSampleReach::MissingAt(double duration_s) const
{
    double earliest = -1;
    for (const Track& track : tracks_) {
        if (!track.missing)
            continue;
        double at = 0;
        if (track.missing_time_known && track.timescale > 0)
            at = static_cast<double>(track.missing_dts) / track.timescale;
        else if (track.samples > 0)
            at = duration_s * static_cast<double>(track.missing_index) /
                 static_cast<double>(track.samples);
        if (earliest < 0 || at < earliest)
            earliest = at;
    }
    return std::max(earliest, 0.0);
}

double IsoSampleReach::ListedEnd() const
{
    double latest = 0;
    for (const Track& track : tracks_) {
        if (track.samples > 0 && track.timescale > 0 && track.times_known)
            latest = std::max(latest, static_cast<double>(track.next_dts) / track.timescale);
    }
    return latest;
}

double IsoSampleReach::LongestTrack() const
{
    double longest = 0;
    for (const Track& track : tracks_) {
        if (track.timescale == 0)
            continue;
        const std::uint64_t end =
            std::max(track.mdhd_duration, track.times_known ? track.next_dts : 0);
        longest = std::max(longest, static_cast<double>(end) / track.timescale);
    }
    return longest;
}
