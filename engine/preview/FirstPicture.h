#pragma once

#include <string>

#include "engine/DisplayRotation.h"
#include "engine/preview/RgbPicture.h"

// How far the search for a video's first telling picture goes.
struct PictureSearch {
    // The picture is scaled to fit this box, its shape kept.
    int box_width = 160;
    int box_height = 90;
    // Only pictures within this many seconds of the video's start count.
    double seconds = 10.0;
    // A picture whose mean brightness (0 .. 255) reaches this is not black.
    double black_threshold = 24.0;
    // At most this many pictures are decoded when the key frames are all
    // black and every frame is looked at.
    int max_decoded = 300;
};

// Why a file has no picture.
enum class PictureFailure {
    kNone,
    kCannotOpen,   // not a media file libavformat reads, or cut short before its index
    kNoVideo,      // no video stream (sound only, or only a cover)
    kNoDecoder,    // this FFmpeg has no decoder for the video's codec
    kUndecodable,  // no picture of the first seconds decodes (a damaged or cut-short file)
};

struct VideoPicture {
    PictureFailure failure = PictureFailure::kNone;
    // The codec's short name ("h264", "vvc"), when the file was read that far.
    std::string codec;
    // The picture as stored, before any display matrix, scaled into the box.
    RgbPicture stored;
    // The video's stored size in pixels and its display matrix (identity
    // when the file has none).
    int stored_width = 0;
    int stored_height = 0;
    DisplayMatrix matrix{};
    // The mean brightness of the picture chosen.
    double brightness = 0.0;

    bool ok() const { return failure == PictureFailure::kNone; }
    int rotationCw() const { return MatrixRotationCw(matrix); }
    bool mirrored() const { return MatrixIsMirror(matrix); }
};

// The first picture within the first seconds of the video at path (UTF-8)
// whose mean brightness clears the black threshold, else the brightest one
// seen. Key frames are decoded first; only when all of them are black is
// every frame looked at. Touches nothing shared, so several may run at once,
// also while a batch runs.
VideoPicture FirstPicture(const std::string& path, const PictureSearch& search = {});
