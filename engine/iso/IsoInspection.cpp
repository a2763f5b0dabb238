#include "engine/iso/IsoInspection.h"

#include "engine/iso/IsoBoxIterator.h"
#include "engine/iso/IsoBoxReader.h"
#include "engine/iso/IsoSampleReach.h"
#include "engine/iso/IsoTrackMatrix.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <sys/stat.h>

namespace {

// The reader only descends along moov/trak/mdia/minf/stbl, mvex and
// moof/traf, so real files never come near these bounds; they keep a
// hostile file from costing more than a few seconds or a few megabytes.
constexpr int kMaxDepth = 8;
constexpr std::size_t kMaxTracks = 4096;
constexpr std::uint64_t kMaxChildren = 1u << 20;  // boxes in one container
constexpr std::uint64_t kMaxTopLevel = 1u << 24;  // boxes at the top of the file

// A value stored as all ones means "unknown" in some writers' headers.
constexpr std::uint64_t kUnknown32 = 0xffffffffu;

bool Printable(std::uint32_t type)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<unsigned char>(type >> shift);
        // 0xa9 is the copyright sign QuickTime puts before its own names.
        if ((c < 0x20 || c > 0x7e) && c != 0xa9)
            return false;
    }
    return true;
}

// The boxes a QuickTime or ISO file can start with.
bool FirstBoxOfIsoFile(std::uint32_t type)
{
    for (const std::uint32_t known :
         {FourCc("ftyp"), FourCc("moov"), FourCc("mdat"), FourCc("wide"), FourCc("free"),
          FourCc("skip"), FourCc("pnot")}) {
        if (type == known)
            return true;
    }
    return false;
}

// Versions 0 and 1 of a movie or media header: the 32 or 64-bit times
// and duration around a 32-bit timescale.
bool ParseTimeHeader(const std::uint8_t* body, std::size_t size, std::uint32_t& timescale,
                     std::uint64_t& duration)
{
    if (size < 4 || body[0] > 1)
        return false;
    const bool wide = body[0] == 1;
    if (size < (wide ? 32u : 20u))
        return false;
    timescale = ReadU32(body + (wide ? 20 : 12));
    duration = wide ? ReadU64(body + 24) : ReadU32(body + 16);
    if (!wide && duration == kUnknown32)
        duration = 0;
    return true;
}

struct TrackHeader {
    std::uint32_t track_id = 0;
    std::uint64_t matrix_offset = 0;
    DisplayMatrix matrix{};
    std::uint32_t width_fx = 0, height_fx = 0;
};

struct Trak {
    std::optional<TrackHeader> tkhd;
    bool has_mdia = false, has_minf = false, has_stbl = false, has_mdhd = false;
    std::optional<std::uint32_t> handler;
    IsoTrackTables tables;
};

struct Trex {
    std::uint32_t track_id = 0, duration = 0, size = 0;
};

// The steps every part of an inspection takes: reading a box's header or
// body, walking its children within the limits, and stopping with the
// verdict at the first thing that rules the file out. Each returns false
// once the inspection stopped.
class InspectionSteps
{
protected:
    IsoInspection Unreadable(int error)
    {
        result_.verdict = IsoInspection::Verdict::kUnreadable;
        result_.read_error = error != 0 ? error : EIO;
        result_.video_tracks.clear();
        result_.sample_tables.clear();
        stopped_ = true;
        return result_;
    }

    bool NotTaken(const std::string& why)
    {
        if (!stopped_) {
            result_.verdict = IsoInspection::Verdict::kNotTaken;
            result_.not_taken = why;
            result_.video_tracks.clear();
            result_.sample_tables.clear();
            stopped_ = true;
        }
        return false;
    }

    bool ReadFailed()
    {
        Unreadable(reader_->error());
        return false;
    }

    bool Reach(IsoSampleReach::Status status)
    {
        if (status == IsoSampleReach::Status::kReadError)
            return ReadFailed();
        if (status == IsoSampleReach::Status::kMalformed)
            return NotTaken(reach_->why());
        return true;
    }

    bool Full(const IsoBox& box, std::uint8_t& version)
    {
        std::uint32_t flags = 0;
        if (reader_->VersionFlags(box, version, flags))
            return true;
        if (reader_->error() != 0)
            return ReadFailed();
        return NotTaken("'" + FourCcText(box.type) + "' too short");
    }

    // Reads `size` bytes of the box's body into `bytes`.
    bool Body(const IsoBox& box, std::uint8_t* bytes, std::size_t size)
    {
        if (box.body_size() < size)
            return NotTaken("'" + FourCcText(box.type) + "' too short");
        return reader_->Read(box.body(), bytes, size) || ReadFailed();
    }

    // Calls visit(child) for each child box of `parent`, which lies inside
    // the file; false once the inspection stopped.
    template <typename Visit>
    bool Children(const IsoBox& parent, int depth, Visit visit)
    {
        if (depth > kMaxDepth)
            return NotTaken("boxes nested too deep");
        IsoBoxIterator boxes(*reader_, parent);
        IsoBox box;
        while (!stopped_) {
            switch (boxes.Next(box)) {
            case IsoBoxStatus::kEnd:
                return true;
            case IsoBoxStatus::kReadError:
                return ReadFailed();
            case IsoBoxStatus::kPastLimit:
                return NotTaken("a box runs past its parent '" + FourCcText(parent.type) + "'");
            case IsoBoxStatus::kMalformed:
                return NotTaken("a box in '" + FourCcText(parent.type) +
                                "' is smaller than its header");
            case IsoBoxStatus::kBox:
                break;
            }
            // Size 0 ("to the end") is meant for the last box of the file;
            // inside a header it would hide whatever follows.
            if (box.to_end)
                return NotTaken("a box of size 0 in '" + FourCcText(parent.type) + "'");
            if (boxes.count() > kMaxChildren)
                return NotTaken("too many boxes in '" + FourCcText(parent.type) + "'");
            if (!visit(box, depth + 1))
                return false;
        }
        return false;
    }

    // A header that may appear once: a second one makes the file ambiguous.
    bool Once(bool& seen, const IsoBox& box)
    {
        if (seen)
            return NotTaken("two '" + FourCcText(box.type) + "' boxes in one parent");
        seen = true;
        return true;
    }

    bool Table(std::optional<IsoBox>& slot, const IsoBox& box)
    {
        if (slot)
            return NotTaken("two '" + FourCcText(box.type) + "' tables in one track");
        slot = box;
        return true;
    }

    IsoInspection result_;
    std::optional<IsoBoxReader> reader_;
    std::optional<IsoSampleReach> reach_;
    bool stopped_ = false;
};

// Reads the movie header ('moov'): its tracks, their headers and sample
// tables, and the defaults of its fragments.
class MovieHeader : protected InspectionSteps
{
protected:
    explicit MovieHeader(IsoInspectDepth depth) : depth_(depth) {}

    bool Tkhd(const IsoBox& box, Trak& trak)
    {
        if (trak.tkhd)
            return NotTaken("two track headers in one track");
        std::uint8_t version = 0;
        if (!Full(box, version))
            return false;
        if (version > 1)
            return NotTaken("track header of unknown version");
        // Version 1 widens the two times and the duration to 64 bits.
        const std::size_t id_at = version == 1 ? 20 : 12;
        const std::size_t matrix_at = version == 1 ? 52 : 40;
        std::uint8_t bytes[96];
        if (!Body(box, bytes, matrix_at + 36 + 8))
            return false;
        TrackHeader header;
        header.track_id = ReadU32(bytes + id_at);
        header.matrix_offset = box.body() + matrix_at;
        header.matrix = DecodeTrackMatrix(bytes + matrix_at);
        header.width_fx = ReadU32(bytes + matrix_at + 36);
        header.height_fx = ReadU32(bytes + matrix_at + 40);
        trak.tkhd = header;
        return true;
    }

    // The timescale and duration of an mvhd or mdhd.
    bool TimeHeader(const IsoBox& box, std::uint32_t& timescale, std::uint64_t& duration)
    {
        std::uint8_t bytes[32];
        const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(box.body_size(), 32));
        if (!reader_->Read(box.body(), bytes, size))
            return ReadFailed();
        if (!ParseTimeHeader(bytes, size, timescale, duration))
            return NotTaken("'" + FourCcText(box.type) + "' too short or of unknown version");
        return true;
    }

    bool Stbl(const IsoBox& stbl, int depth, Trak& trak)
    {
        return Children(stbl, depth, [&](const IsoBox& box, int) {
            if (box.type != FourCc("stsd"))
                result_.sample_tables.push_back(box.start);
            IsoTrackTables& t = trak.tables;
            if (box.type == FourCc("stts"))
                return Table(t.stts, box);
            if (box.type == FourCc("stsc"))
                return Table(t.stsc, box);
            if (box.type == FourCc("stsz") || box.type == FourCc("stz2"))
                return Table(t.sizes, box);
            if (box.type == FourCc("stco") || box.type == FourCc("co64"))
                return Table(t.offsets, box);
            return true;
        });
    }

    bool Mdia(const IsoBox& mdia, int depth, Trak& trak)
    {
        bool has_hdlr = false;
        return Children(mdia, depth, [&](const IsoBox& box, int inner) {
            if (box.type == FourCc("mdhd")) {
                return Once(trak.has_mdhd, box) &&
                       TimeHeader(box, trak.tables.timescale, trak.tables.duration);
            }
            if (box.type == FourCc("hdlr")) {
                // The handler of the media; a QuickTime minf holds a second,
                // data handler ('alis', 'url '), which is not read.
                std::uint8_t bytes[12];
                if (!Once(has_hdlr, box) || !Body(box, bytes, sizeof bytes))
                    return false;
                trak.handler = ReadU32(bytes + 8);
                return true;
            }
            if (box.type == FourCc("minf")) {
                return Once(trak.has_minf, box) &&
                       Children(box, inner, [&](const IsoBox& child, int deeper) {
                           if (child.type != FourCc("stbl"))
                               return true;
                           return Once(trak.has_stbl, child) && Stbl(child, deeper, trak);
                       });
            }
            return true;
        });
    }

    bool TrakBox(const IsoBox& box, int depth)
    {
        if (traks_.size() >= kMaxTracks)
            return NotTaken("too many tracks");
        Trak trak;
        const bool read = Children(box, depth, [&](const IsoBox& child, int inner) {
            if (child.type == FourCc("tkhd"))
                return Tkhd(child, trak);
            if (child.type == FourCc("mdia"))
                return Once(trak.has_mdia, child) && Mdia(child, inner, trak);
            return true;
        });
        if (!read)
            return false;
        if (!trak.handler)
            return NotTaken("a track without a media handler");
        traks_.push_back(trak);
        return true;
    }

    bool Mvex(const IsoBox& mvex, int depth)
    {
        return Children(mvex, depth, [&](const IsoBox& box, int) {
            if (box.type == FourCc("trex")) {
                std::uint8_t bytes[24];
                if (!Body(box, bytes, sizeof bytes))
                    return false;
                trex_.push_back({ReadU32(bytes + 4), ReadU32(bytes + 12), ReadU32(bytes + 16)});
                if (trex_.size() > kMaxTracks)
                    return NotTaken("too many track defaults");
                return true;
            }
            if (box.type == FourCc("mehd")) {
                std::uint8_t version = 0;
                if (!Full(box, version))
                    return false;
                std::uint8_t bytes[12];
                if (!Body(box, bytes, version == 1 ? 12 : 8))
                    return false;
                fragment_duration_ = version == 1 ? ReadU64(bytes + 4) : ReadU32(bytes + 4);
                return true;
            }
            return true;
        });
    }

    bool Moov(const IsoBox& moov)
    {
        bool has_mvhd = false;
        const bool read = Children(moov, 1, [&](const IsoBox& box, int depth) {
            if (box.type == FourCc("cmov"))
                return NotTaken("compressed movie header");
            if (box.type == FourCc("mvhd"))
                return Once(has_mvhd, box) && TimeHeader(box, movie_timescale_, movie_duration_);
            if (box.type == FourCc("trak"))
                return TrakBox(box, depth);
            if (box.type == FourCc("mvex"))
                return Once(has_mvex_, box) && Mvex(box, depth);
            return true;
        });
        return read && DistinctTrackIds() && CollectVideoTracks() && ReachTracks();
    }

    bool DistinctTrackIds()
    {
        for (std::size_t i = 0; i < traks_.size(); ++i) {
            for (std::size_t j = 0; j < i; ++j) {
                if (traks_[i].tkhd && traks_[j].tkhd &&
                    traks_[i].tkhd->track_id == traks_[j].tkhd->track_id)
                    return NotTaken("two tracks with one id");
            }
        }
        return true;
    }

    bool CollectVideoTracks()
    {
        for (const Trak& trak : traks_) {
            if (*trak.handler != FourCc("vide") && *trak.handler != FourCc("auxv"))
                continue;
            if (!trak.tkhd)
                return NotTaken("a video track without a track header");
            IsoVideoTrack video;
            video.matrix_offset = trak.tkhd->matrix_offset;
            video.matrix = trak.tkhd->matrix;
            video.width_fx = trak.tkhd->width_fx;
            video.height_fx = trak.tkhd->height_fx;
            video.handler = *trak.handler;
            video.track_id = trak.tkhd->track_id;
            result_.video_tracks.push_back(video);
        }
        if (result_.video_tracks.empty())
            return NotTaken("no video track");
        return true;
    }

    // Where the samples of every track lie, for a complete inspection.
    bool ReachTracks()
    {
        if (depth_ != IsoInspectDepth::kComplete)
            return true;
        for (Trak& trak : traks_) {
            IsoTrackTables& tables = trak.tables;
            tables.track_id = trak.tkhd ? trak.tkhd->track_id : 0;
            for (const Trex& trex : trex_) {
                if (trak.tkhd && trex.track_id == tables.track_id) {
                    tables.has_trex = true;
                    tables.trex_duration = trex.duration;
                    tables.trex_size = trex.size;
                }
            }
            if (!Reach(reach_->AddTrack(tables)))
                return false;
        }
        return true;
    }

    IsoInspectDepth depth_;
    std::vector<Trak> traks_;
    std::vector<Trex> trex_;
    bool has_mvex_ = false;
    std::uint32_t movie_timescale_ = 0;
    std::uint64_t movie_duration_ = 0;
    std::uint64_t fragment_duration_ = 0;
};

// Walks the top level of the file and gives the verdict.
class Inspector : private MovieHeader
{
public:
    Inspector(int fd, IsoInspectDepth depth) : MovieHeader(depth), fd_(fd) {}

    IsoInspection Run()
    {
        struct stat info {};
        if (::fstat(fd_, &info) != 0)
            return Unreadable(errno);
        if (!S_ISREG(info.st_mode)) {
            NotTaken("not a regular file");
            return result_;
        }
        result_.file_size = static_cast<std::uint64_t>(info.st_size);
        reader_.emplace(fd_, result_.file_size);
        reach_.emplace(*reader_);
        Walk();
        return result_;
    }

private:
    // The movie header's duration from a movie box that the end of the
    // file cut: its mvhd usually comes first and may be whole.
    void DurationOfCutMoov(const IsoBox& moov)
    {
        // The movie box runs past the file, so its children are read up to
        // the end of the file.
        IsoBoxIterator boxes(*reader_, moov.body(), result_.file_size);
        IsoBox box;
        for (int i = 0; i < 64; ++i) {
            if (boxes.Next(box) != IsoBoxStatus::kBox)
                return;
            if (box.type == FourCc("mvhd")) {
                std::uint8_t bytes[32];
                const auto size =
                    static_cast<std::size_t>(std::min<std::uint64_t>(box.body_size(), 32));
                std::uint32_t timescale = 0;
                std::uint64_t duration = 0;
                if (reader_->Read(box.body(), bytes, size) &&
                    ParseTimeHeader(bytes, size, timescale, duration) && timescale > 0)
                    result_.duration_s = static_cast<double>(duration) / timescale;
                return;
            }
        }
    }

    double Duration() const
    {
        if (movie_timescale_ > 0 && movie_duration_ > 0)
            return static_cast<double>(movie_duration_) / movie_timescale_;
        if (movie_timescale_ > 0 && fragment_duration_ > 0 && fragment_duration_ != kUnknown32)
            return static_cast<double>(fragment_duration_) / movie_timescale_;
        return reach_->LongestTrack();
    }

    void CutShort(const std::string& why)
    {
        result_.verdict = IsoInspection::Verdict::kCutShort;
        result_.not_taken = why;
        result_.video_tracks.clear();
        result_.sample_tables.clear();
    }

    // What the walk over the top-level boxes found.
    struct TopLevel {
        bool moov_seen = false;
        bool cut = false;  // the last box runs past the end of the file
    };

    void Walk()
    {
        TopLevel top;
        if (WalkTopLevel(top))
            Judge(top);
    }

    // The boxes at the top of the file; false once the inspection stopped.
    bool WalkTopLevel(TopLevel& top)
    {
        IsoBoxIterator boxes(*reader_, 0, result_.file_size);
        bool first = true;
        IsoBox box;
        while (!stopped_) {
            const IsoBoxStatus status = boxes.Next(box);
            if (status == IsoBoxStatus::kEnd)
                break;
            if (status == IsoBoxStatus::kReadError)
                return ReadFailed();
            if (status == IsoBoxStatus::kMalformed)
                return NotTaken("a box at the top is smaller than its header");
            const bool header_read = box.type != 0 || status == IsoBoxStatus::kBox;
            if (first && !(header_read && FirstBoxOfIsoFile(box.type)))
                return NotTaken("not an ISO base media file");
            if (header_read && !Printable(box.type))
                return NotTaken("no box at offset " + std::to_string(box.start));
            first = false;
            if (status == IsoBoxStatus::kPastLimit) {
                // The last box runs past the end of the file.
                top.cut = true;
                if (box.type == FourCc("moov") && !top.moov_seen)
                    DurationOfCutMoov(box);
                break;
            }
            if (boxes.count() > kMaxTopLevel)
                return NotTaken("too many boxes");
            if (!TopBox(box, top))
                return false;
        }
        return !stopped_;
    }

    // One whole box at the top: the movie header or a movie fragment.
    bool TopBox(const IsoBox& box, TopLevel& top)
    {
        if (box.type == FourCc("moov")) {
            if (top.moov_seen)
                return NotTaken("two movie headers");
            top.moov_seen = true;
            return Moov(box);
        }
        if (box.type == FourCc("moof")) {
            if (!top.moov_seen || !has_mvex_)
                return NotTaken("a movie fragment without a fragmented movie header before it");
            if (depth_ == IsoInspectDepth::kComplete && !Reach(reach_->AddFragment(box)))
                return false;
        }
        return true;
    }

    // The verdict on a file whose boxes were all read.
    void Judge(const TopLevel& top)
    {
        if (!top.moov_seen) {
            if (!top.cut) {
                NotTaken("no movie header");
                return;
            }
            // Nothing can be played without the movie header.
            CutShort("the file ends before its movie header does");
            result_.ends_at_s = 0;
            return;
        }
        result_.duration_s = Duration();
        if (depth_ == IsoInspectDepth::kComplete &&
            reach_->DeclaredSamples() > result_.file_size) {
            CutShort("the tables describe more samples than the file holds");
            result_.verdict = IsoInspection::Verdict::kOverclaimed;
        } else if (depth_ == IsoInspectDepth::kComplete && reach_->missing()) {
            CutShort("sample data past the end of the file");
            result_.ends_at_s = reach_->MissingAt(result_.duration_s);
        } else if (top.cut) {
            CutShort("the last box runs past the end of the file");
            result_.ends_at_s = reach_->ListedEnd();
        } else {
            result_.verdict = IsoInspection::Verdict::kRewritable;
            result_.not_taken.clear();
        }
    }

    int fd_;
};

}  // namespace

IsoInspection InspectIsoFile(int fd, IsoInspectDepth depth)
{
    return Inspector(fd, depth).Run();
}
