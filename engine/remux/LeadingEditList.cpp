#include "engine/remux/LeadingEditList.h"

#include "engine/iso/IsoBoxIterator.h"
#include "engine/iso/IsoBoxReader.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <initializer_list>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/mathematics.h>
}

namespace {

// A movie box larger than this is left as it is.
constexpr std::uint64_t kLargestMovieBox = 512ULL << 20;

// A box inside the movie box, held in memory.
struct Span {
    std::uint32_t type = 0;
    std::size_t start = 0;
    std::size_t header = 0;
    std::size_t size = 0;
    std::size_t body() const { return start + header; }
    std::size_t end() const { return start + size; }
};

using Bytes = std::vector<std::uint8_t>;

bool NextBox(const Bytes& b, std::size_t offset, std::size_t end, Span& box)
{
    if (end > b.size() || offset > end || end - offset < 8)
        return false;
    box.start = offset;
    box.type = ReadU32(&b[offset + 4]);
    std::uint64_t size = ReadU32(&b[offset]);
    box.header = 8;
    if (size == 1) {
        if (end - offset < 16)
            return false;
        size = ReadU64(&b[offset + 8]);
        box.header = 16;
    } else if (size == 0) {
        size = end - offset;
    }
    if (size < box.header || size > end - offset)
        return false;
    box.size = static_cast<std::size_t>(size);
    return true;
}

bool FindChild(const Bytes& b, const Span& parent, std::uint32_t type, Span& child)
{
    for (std::size_t at = parent.body(); NextBox(b, at, parent.end(), child); at = child.end()) {
        if (child.type == type)
            return true;
    }
    return false;
}

// The timescale of a movie or media header.
std::int64_t Timescale(const Bytes& b, const Span& header)
{
    const std::size_t at = header.body() + (b[header.body()] == 1 ? 20 : 12);
    return at + 4 <= header.end() ? ReadU32(&b[at]) : 0;
}

void WriteU64(std::uint8_t* p, std::uint64_t value)
{
    WriteU32(p, static_cast<std::uint32_t>(value >> 32));
    WriteU32(p + 4, static_cast<std::uint32_t>(value));
}

void Shrink(Bytes& b, const Span& box, std::size_t by)
{
    if (box.header == 16)
        WriteU64(&b[box.start + 8], box.size - by);
    else
        WriteU32(&b[box.start], static_cast<std::uint32_t>(box.size - by));
}

// Rewrites the edit list of one video track where it is the muxer's for
// `track`; true when it did. `moov` and `trak` shrink with it when the
// empty edit goes.
bool Rewrite(Bytes& b, const Span& moov, const Span& trak, std::int64_t movie_scale,
             const LeadingTrack& track)
{
    Span mdia, hdlr, mdhd, edts, elst;
    if (!FindChild(b, trak, FourCc("mdia"), mdia) || !FindChild(b, mdia, FourCc("hdlr"), hdlr) ||
        !FindChild(b, mdia, FourCc("mdhd"), mdhd) || !FindChild(b, trak, FourCc("edts"), edts) ||
        !FindChild(b, edts, FourCc("elst"), elst))
        return false;
    if (hdlr.body() + 12 > hdlr.end() || ReadU32(&b[hdlr.body() + 8]) != FourCc("vide") ||
        mdhd.body() >= mdhd.end() || Timescale(b, mdhd) != track.timescale)
        return false;
    const bool wide = b[elst.body()] == 1;
    const std::size_t entry = wide ? 20 : 12;
    const std::size_t first = elst.body() + 8;
    if (elst.end() < first + 2 * entry || ReadU32(&b[elst.body() + 4]) != 2)
        return false;
    auto duration = [&](std::size_t e) {
        return wide ? ReadU64(&b[e]) : static_cast<std::uint64_t>(ReadU32(&b[e]));
    };
    auto mediaTime = [&](std::size_t e) {
        return wide ? static_cast<std::int64_t>(ReadU64(&b[e + 8]))
                    : static_cast<std::int64_t>(static_cast<std::int32_t>(ReadU32(&b[e + 4])));
    };
    auto toMovie = [&](std::int64_t t) {
        return av_rescale_rnd(t, movie_scale, track.timescale, AV_ROUND_DOWN);
    };
    // The muxer's: an empty edit up to the first packet's presentation
    // time, then the media from that packet on.
    const std::size_t second = first + entry;
    const std::int64_t emptyFor = toMovie(track.first_pts);
    if (mediaTime(first) != -1 || static_cast<std::int64_t>(duration(first)) != emptyFor ||
        mediaTime(second) != track.first_pts - track.first_dts)
        return false;

    // Nothing before the output's zero is shown, as before.
    const std::int64_t from = std::max<std::int64_t>(track.earliest_pts, 0);
    const std::int64_t newEmpty = toMovie(from);
    const std::uint64_t shown = duration(second) + static_cast<std::uint64_t>(emptyFor - newEmpty);
    const std::int64_t start = from - track.first_dts;
    if (!wide && (shown > UINT32_MAX || start > INT32_MAX))
        return false;
    auto writeMedia = [&](std::size_t e) {
        if (wide) {
            WriteU64(&b[e], shown);
            WriteU64(&b[e + 8], static_cast<std::uint64_t>(start));
        } else {
            WriteU32(&b[e], static_cast<std::uint32_t>(shown));
            WriteU32(&b[e + 4], static_cast<std::uint32_t>(start));
        }
    };
    writeMedia(second);
    if (newEmpty > 0) {
        if (wide)
            WriteU64(&b[first], static_cast<std::uint64_t>(newEmpty));
        else
            WriteU32(&b[first], static_cast<std::uint32_t>(newEmpty));
        return true;
    }
    // No empty edit left: the list holds the media edit alone.
    WriteU32(&b[elst.body() + 4], 1);
    b.erase(b.begin() + static_cast<std::ptrdiff_t>(first),
            b.begin() + static_cast<std::ptrdiff_t>(second));
    for (const Span* box : std::initializer_list<const Span*>{&moov, &trak, &edts, &elst})
        Shrink(b, *box, entry);
    return true;
}

int WriteAll(int fd, const Bytes& b, std::uint64_t offset)
{
    std::size_t done = 0;
    while (done < b.size()) {
        const ssize_t n =
            pwrite(fd, b.data() + done, b.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return AVERROR(n < 0 ? errno : EIO);
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// Finds the movie box at the top level (it must end the file and be of a
// size kept in memory) and reads it into b. Returns 0 with b empty when
// there is none to rewrite, or an FFmpeg error.
int ReadMovieBox(int fd, std::uint64_t fileSize, IsoBox& top, Bytes& b)
{
    IsoBoxReader reader(fd, fileSize);
    IsoBoxIterator boxes(reader, 0, fileSize);
    IsoBoxStatus status = boxes.Next(top);
    while (status == IsoBoxStatus::kBox && top.type != FourCc("moov"))
        status = boxes.Next(top);
    if (status == IsoBoxStatus::kReadError)
        return AVERROR(reader.error());
    if (status != IsoBoxStatus::kBox || top.end() != fileSize || top.size > kLargestMovieBox)
        return 0;
    b.resize(static_cast<std::size_t>(top.size));
    if (!reader.Read(top.start, b.data(), b.size())) {
        b.clear();
        return AVERROR(reader.error() ? reader.error() : EIO);
    }
    return 0;
}

// Rewrites, in the movie box b, the edit list of every track that starts
// before its first picture. True when anything changed.
bool RewriteTracks(Bytes& b, std::int64_t movieScale, const std::vector<LeadingTrack>& tracks)
{
    Span moov;
    std::vector<bool> done(tracks.size(), false);
    bool changed = false;
    // A rewrite may shorten the box, so each pass starts over from the
    // movie box's (updated) header.
    for (bool again = true; again;) {
        again = false;
        NextBox(b, 0, b.size(), moov);
        Span trak;
        for (std::size_t t = moov.body(); !again && NextBox(b, t, moov.end(), trak);
             t = trak.end()) {
            if (trak.type != FourCc("trak"))
                continue;
            for (std::size_t k = 0; k < tracks.size(); ++k) {
                if (done[k] || tracks[k].timescale <= 0 ||
                    tracks[k].earliest_pts >= tracks[k].first_pts)
                    continue;
                const std::size_t before = b.size();
                if (Rewrite(b, moov, trak, movieScale, tracks[k])) {
                    done[k] = true;
                    changed = true;
                    again = b.size() != before;
                    break;
                }
            }
        }
    }
    return changed;
}

}  // namespace

int ShowLeadingPictures(int fd, const std::vector<LeadingTrack>& tracks)
{
    if (tracks.empty())
        return 0;
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return AVERROR(errno);
    const auto fileSize = static_cast<std::uint64_t>(st.st_size);
    IsoBox top;
    Bytes b;
    if (const int ret = ReadMovieBox(fd, fileSize, top, b); ret < 0 || b.empty())
        return ret;
    Span moov;
    if (!NextBox(b, 0, b.size(), moov))
        return 0;
    Span mvhd;
    if (!FindChild(b, moov, FourCc("mvhd"), mvhd) || mvhd.body() >= mvhd.end())
        return 0;
    const std::int64_t movieScale = Timescale(b, mvhd);
    if (movieScale <= 0)
        return 0;

    if (!RewriteTracks(b, movieScale, tracks))
        return 0;
    if (const int ret = WriteAll(fd, b, top.start); ret < 0)
        return ret;
    if (b.size() < top.size && ftruncate(fd, static_cast<off_t>(top.start + b.size())) != 0)
        return AVERROR(errno);
    return 0;
}
