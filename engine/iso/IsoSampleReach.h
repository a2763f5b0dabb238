#pragma once

#include "engine/iso/IsoBoxReader.h"

class IsoByteStream;

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Where the sample data of an ISO base media file lies, checked against the
// end of the file: every chunk of the sample tables in the movie header,
// and every track run of the movie fragments. Tables are read in blocks
// (IsoByteStream) and only a few numbers are kept per track, so memory does
// not grow with the length of the file; work grows with the size of the
// tables, never with a count a table merely claims.

// The boxes of one track that locate and time its samples.
struct IsoTrackTables {
    std::uint32_t track_id = 0;
    std::uint32_t timescale = 0;    // mdhd; 0 when missing or stored as 0
    std::uint64_t duration = 0;     // mdhd, in timescale units
    std::optional<IsoBox> stts;     // decoding times
    std::optional<IsoBox> stsc;     // samples per chunk
    std::optional<IsoBox> sizes;    // stsz or stz2
    std::optional<IsoBox> offsets;  // stco or co64
    // Defaults for the track's fragments (trex).
    bool has_trex = false;
    std::uint32_t trex_duration = 0;
    std::uint32_t trex_size = 0;
};

class IsoSampleReach
{
public:
    enum class Status {
        kOk,
        kMalformed,  // a table that contradicts itself or its box (why() says how)
        kReadError,  // the reader's error() says why
    };

    explicit IsoSampleReach(IsoBoxReader& reader);

    // Walks the tables of one track of the movie header. Tracks are added
    // before any fragment.
    Status AddTrack(const IsoTrackTables& tables);
    // Walks the track runs of one movie fragment ('moof'), in file order.
    Status AddFragment(const IsoBox& moof);

    // True when the data of some sample lies (partly) past the end of the file.
    bool missing() const;
    // The samples the tables and track runs declare, over every track.
    std::uint64_t DeclaredSamples() const;
    // The time, in seconds, of the first sample whose data is not all in the
    // file, the earliest over the tracks. Within a track it is the decoding
    // time (stts, or the fragments' tfdt and durations) over the mdhd
    // timescale. Where that cannot be worked out (no timescale, or a time
    // table shorter than the samples) the track's share of samples before
    // the missing one times `duration_s` stands in for it.
    double MissingAt(double duration_s) const;
    // Where the samples that are listed end, in seconds: the latest end
    // over the tracks (for a file cut where no sample table reaches).
    double ListedEnd() const;
    // The longest track, in seconds: its mdhd duration or the end of its
    // samples, whichever is later.
    double LongestTrack() const;

    const std::string& why() const { return why_; }

    // What the sample tables of a track say of where its samples lie.
    struct TableReach {
        std::uint64_t sample_count = 0;
        bool missing = false;             // some sample's data is not all in the file
        std::uint64_t missing_index = 0;  // samples before the first such one
    };

private:
    struct Track {
        std::uint32_t id = 0;
        std::uint32_t timescale = 0;
        std::uint64_t mdhd_duration = 0;
        std::uint32_t trex_duration = 0, trex_size = 0;
        bool has_trex = false;
        std::uint64_t next_dts = 0;  // decoding time after the last sample seen
        std::uint64_t samples = 0;   // samples seen
        bool times_known = true;     // next_dts counts every sample seen
        bool missing = false;
        std::uint64_t missing_dts = 0;
        bool missing_time_known = false;
        std::uint64_t missing_index = 0;  // samples before the missing one
    };

    Status Malformed(const std::string& why);
    Status Failed();
    // A track fragment's defaults and position, as its boxes are read in
    // order.
    struct FragmentState {
        Track* track = nullptr;  // set by the header
        std::uint64_t base = 0;
        bool has_duration = false, has_size = false;
        std::uint32_t default_duration = 0, default_size = 0;
        bool first_run = true;
        std::uint64_t run_end = 0;
    };

    Status WalkTables(const IsoTrackTables& tables, Track& track);
    // Reads the header and the first entries of a table (count: its
    // entries); name says which table in the reason for a refusal.
    Status OpenTable(IsoByteStream& stream, const IsoBox& box, std::uint64_t entry_size,
                     std::uint32_t& count, const char* name);
    // Where the samples lie: sizes, chunk offsets and samples per chunk.
    Status WalkChunks(const IsoTrackTables& tables, TableReach& reach);
    // Their decoding times, and the time of the first missing one.
    Status WalkTimes(const IsoTrackTables& tables, const TableReach& reach, Track& track);
    Status WalkTrackFragment(const IsoBox& moof, const IsoBox& traf, bool first_in_moof,
                             std::uint64_t& data_end);
    Status ReadFragmentHeader(const IsoBox& moof, const IsoBox& box, bool first_in_moof,
                              std::uint64_t data_end, FragmentState& state);
    Status ReadDecodeTime(const IsoBox& box, FragmentState& state);
    Status WalkTrackRun(const IsoBox& box, FragmentState& state);
    void AddAlikeSamples(std::uint32_t count, std::uint64_t position, FragmentState& state);
    Track* FindTrack(std::uint32_t id);
    void MarkMissing(Track& track, std::uint64_t index, std::uint64_t dts, bool dts_known);

    IsoBoxReader& reader_;
    std::vector<Track> tracks_;
    std::string why_;
};
