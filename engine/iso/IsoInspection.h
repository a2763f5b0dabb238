#pragma once

#include "engine/DisplayRotation.h"

#include <cstdint>
#include <string>
#include <vector>

// What an ISO base media file (MP4, MOV, 3GP) holds for a rotation that
// copies it byte for byte and rewrites only the matrices of its video
// tracks' headers: where those matrices are, and whether the file is whole.

// One track ('trak') whose mdia/hdlr handler is 'vide' or 'auxv'.
struct IsoVideoTrack {
    std::uint64_t matrix_offset = 0;  // file offset of the 36 matrix bytes in its tkhd
    DisplayMatrix matrix{};           // as stored
    std::uint32_t width_fx = 0;       // tkhd width, 16.16
    std::uint32_t height_fx = 0;      // tkhd height, 16.16
    std::uint32_t handler = 0;        // 'vide' or 'auxv' (see FourCc)
    std::uint32_t track_id = 0;
};

struct IsoInspection {
    enum class Verdict {
        // A whole file whose video track headers can be rewritten in a copy.
        kRewritable,
        // Not for a byte copy (not an ISO file, a compressed or ambiguous
        // header, sizes that contradict each other, no video track): the
        // file goes the way of a remux, which judges it for itself.
        kNotTaken,
        // The file ends before its own boxes or sample positions say.
        kCutShort,
        // Reading failed (read_error).
        kUnreadable,
        // The sample tables declare more samples than the file has bytes:
        // no reader can hold them, and an index of them would not fit in
        // memory. Refused by every way.
        kOverclaimed,
    };
    Verdict verdict = Verdict::kNotTaken;
    std::string not_taken;  // why not taken (or why cut short), for tests and logs; never shown
    int read_error = 0;     // errno when kUnreadable

    // kCutShort: where the media stops and how long it should be, in
    // seconds. ends_at_s is the decoding time of the first sample whose data
    // is not all in the file, the earliest over the tracks (or, for a track
    // without usable times, its share of samples before that one times the
    // duration). When every listed sample is there but a box after them is
    // cut (a fragment header, an index at the end), it is where the listed
    // samples end (the latest end over the tracks). With the movie header itself cut or missing
    // nothing can be played: ends_at_s is 0. duration_s is the movie header's duration, else that
    // of its fragments (mehd), else the longest track; 0 when unknown (the movie header is not in
    // the file).
    double ends_at_s = 0;
    double duration_s = 0;

    std::uint64_t file_size = 0;
    // kRewritable only (empty otherwise). In the order of the movie header;
    // the first is the first video stream of libavformat, which makes one
    // stream per track in that order.
    std::vector<IsoVideoTrack> video_tracks;
    // kRewritable only: where every box of the tracks' sample tables starts
    // (every child of an 'stbl' but the sample descriptions), for a look at
    // the header that leaves the index of the samples out.
    std::vector<std::uint64_t> sample_tables;
};

enum class IsoInspectDepth {
    kStructure,  // the boxes and the tracks only (a read-back of a copy)
    kComplete,   // and every sample's position against the end of the file
};

// Inspects the file open on `fd` (read only; its file position is not used
// or moved). Memory stays bounded whatever the size of the file: tables are
// read in blocks, and only a few numbers are kept per track.
IsoInspection InspectIsoFile(int fd, IsoInspectDepth depth = IsoInspectDepth::kComplete);
