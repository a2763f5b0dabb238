#pragma once

#include "engine/DisplayRotation.h"

#include <array>
#include <cstdint>

// The matrix of a track header (tkhd) in an ISO base media file: nine
// big-endian 32-bit values a b u / c d v / x y w, laid out and scaled like a
// DisplayMatrix (a, b, c, d, x, y in 16.16; u, v, w in 2.30). Points are row
// vectors: a picture point p is shown at p * M.

using TrackMatrixBytes = std::array<std::uint8_t, 36>;

TrackMatrixBytes EncodeTrackMatrix(const DisplayMatrix& matrix);
DisplayMatrix DecodeTrackMatrix(const std::uint8_t* bytes);

// The matrix that shows what `stored` shows turned clockwise by `degrees_cw`
// more (reduced into 0..359; only multiples of 90 turn, anything else gives
// `stored` unchanged, as 0 does).
//  - The 2x2 part is stored * R with R the clockwise quarter turns: whole
//    numbers, so scale and mirroring are kept exactly (a value of -32768.0,
//    whose negation does not fit, stays as it is).
//  - u, v, w are kept.
//  - x, y move the turned track rectangle [0, W] x [0, H] (width_fx and
//    height_fx, 16.16, from the tkhd) back to the origin, as QuickTime
//    writers do: minus the smallest corner of the rectangle mapped through
//    the new 2x2 part. On an unmirrored track that is x = H for 90 degrees,
//    x = W and y = H for 180, y = W for 270, and 0 0 for none.
DisplayMatrix TurnTrackMatrix(const DisplayMatrix& stored, int degrees_cw, std::uint32_t width_fx,
                              std::uint32_t height_fx);
