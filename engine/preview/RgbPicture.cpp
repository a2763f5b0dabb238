#include "engine/preview/RgbPicture.h"

#include <cstdlib>

double MeanBrightness(const RgbPicture& picture)
{
    if (picture.empty())
        return 0.0;
    // Integer luma weights (BT.601, scaled by 1024).
    std::uint64_t sum = 0;
    const std::size_t count =
        static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
    for (std::size_t i = 0; i < count && i * 3 + 2 < picture.pixels.size(); ++i) {
        const std::uint8_t* p = picture.pixels.data() + i * 3;
        sum += 306u * p[0] + 601u * p[1] + 117u * p[2];
    }
    return static_cast<double>(sum) / 1024.0 / static_cast<double>(count);
}

int NearestQuarterTurn(int degrees)
{
    return ReduceDegrees((static_cast<long long>(ReduceDegrees(degrees)) + 45) / 90 * 90);
}

RgbPicture TurnPicture(const RgbPicture& picture, int degrees, bool mirrored)
{
    // The display matrix's 2x2 part for a quarter turn: points are row
    // vectors, p' = p * M, x to the right and y downwards, so [0 1; -1 0]
    // is a quarter turn clockwise. A mirror negates the second row.
    int a = 1, b = 0, c = 0, d = 1;
    switch (NearestQuarterTurn(degrees)) {
    case 90:
        a = 0, b = 1, c = -1, d = 0;
        break;
    case 180:
        a = -1, b = 0, c = 0, d = -1;
        break;
    case 270:
        a = 0, b = -1, c = 1, d = 0;
        break;
    default:
        break;
    }
    if (mirrored)
        c = -c, d = -d;

    RgbPicture out;
    if (picture.empty() || picture.pixels.size() < static_cast<std::size_t>(picture.width) *
                                                       static_cast<std::size_t>(picture.height) * 3)
        return out;
    const bool swapped = a == 0;
    out.width = swapped ? picture.height : picture.width;
    out.height = swapped ? picture.width : picture.height;
    out.pixels.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) *
                      3);
    // Each shown pixel takes the stored pixel the inverse (the transpose of
    // an orthogonal matrix) leads back to, in doubled coordinates about the
    // picture's centre so that no half pixel is lost.
    std::uint8_t* target = out.pixels.data();
    for (int y = 0; y < out.height; ++y) {
        const int y2 = 2 * y - (out.height - 1);
        for (int x = 0; x < out.width; ++x) {
            const int x2 = 2 * x - (out.width - 1);
            const int sx = (a * x2 + b * y2 + (picture.width - 1)) / 2;
            const int sy = (c * x2 + d * y2 + (picture.height - 1)) / 2;
            const std::uint8_t* source = picture.at(sx, sy);
            *target++ = source[0];
            *target++ = source[1];
            *target++ = source[2];
        }
    }
    return out;
}

RgbPicture PictureAsShown(const RgbPicture& stored, const DisplayMatrix& matrix)
{
    return TurnPicture(stored, MatrixRotationCw(matrix), MatrixIsMirror(matrix));
}

RgbPicture PictureAfterTurn(const RgbPicture& stored, const DisplayMatrix& matrix, int turn)
{
    return PictureAsShown(stored, TurnMatrix(matrix, turn));
}
