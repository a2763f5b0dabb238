#pragma once

#include <cstdint>
#include <vector>

#include "engine/DisplayRotation.h"

// A small picture in plain 8-bit RGB, rows top to bottom, three bytes a
// pixel, no padding between rows.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    bool empty() const { return width <= 0 || height <= 0; }
    const std::uint8_t* at(int x, int y) const
    {
        return pixels.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                static_cast<std::size_t>(x)) *
                                   3;
    }
};

// Mean brightness (luma, 0 .. 255) of the picture; 0 for an empty one.
double MeanBrightness(const RgbPicture& picture);

// The picture turned clockwise by `degrees` (taken to the nearest quarter
// turn). With `mirrored` the result is what a mirroring display matrix
// that reads as `degrees` shows: the picture flipped top to bottom, then
// turned (a matrix is read by its first row, so a mirror-only matrix reads
// 180° and shows the picture flipped left to right).
RgbPicture TurnPicture(const RgbPicture& picture, int degrees, bool mirrored = false);

// The stored picture as a player shows it under the display matrix.
RgbPicture PictureAsShown(const RgbPicture& stored, const DisplayMatrix& matrix);

// The stored picture as a player shows it once the file's matrix has been
// turned clockwise by `turn` more (what a batch with that turn writes).
RgbPicture PictureAfterTurn(const RgbPicture& stored, const DisplayMatrix& matrix, int turn);

// The nearest quarter turn to `degrees`, in 0, 90, 180, 270.
int NearestQuarterTurn(int degrees);
