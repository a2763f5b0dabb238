#include "engine/iso/IsoTrackMatrix.h"

#include "engine/iso/IsoBoxReader.h"

#include <algorithm>
#include <limits>

namespace {

std::int32_t Wrap(std::int64_t value)
{
    // Conversion to a narrower signed type is modular since C++20.
    return static_cast<std::int32_t>(value);
}

std::int32_t Saturate(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// A 16.16 length times a 16.16 factor, in 16.16 (rounded down). The
// product of a 32-bit unsigned and a 32-bit signed value fits in 64 bits.
std::int64_t Scaled(std::uint32_t length_fx, std::int32_t factor_fx)
{
    return (static_cast<std::int64_t>(length_fx) * factor_fx) >> 16;
}

}  // namespace

TrackMatrixBytes EncodeTrackMatrix(const DisplayMatrix& matrix)
{
    TrackMatrixBytes bytes{};
    for (std::size_t i = 0; i < matrix.size(); ++i)
        WriteU32(bytes.data() + 4 * i, static_cast<std::uint32_t>(matrix[i]));
    return bytes;
}

DisplayMatrix DecodeTrackMatrix(const std::uint8_t* bytes)
{
    DisplayMatrix matrix{};
    for (std::size_t i = 0; i < matrix.size(); ++i)
        matrix[i] = static_cast<std::int32_t>(ReadU32(bytes + 4 * i));
    return matrix;
}

DisplayMatrix TurnTrackMatrix(const DisplayMatrix& stored, int degrees_cw, std::uint32_t width_fx,
                              std::uint32_t height_fx)
{
    const int degrees = ReduceDegrees(degrees_cw);
    if (degrees == 0 || degrees % 90 != 0)
        return stored;
    const std::int64_t a = stored[0], b = stored[1], c = stored[3], d = stored[4];
    // Rows times the clockwise turn: 90 is [0 1; -1 0], 180 is [-1 0; 0 -1],
    // 270 is [0 -1; 1 0].
    std::int64_t na = 0, nb = 0, nc = 0, nd = 0;
    switch (degrees) {
    case 90:
        na = -b, nb = a, nc = -d, nd = c;
        break;
    case 180:
        na = -a, nb = -b, nc = -c, nd = -d;
        break;
    default:  // 270
        na = b, nb = -a, nc = d, nd = -c;
        break;
    }
    DisplayMatrix turned = stored;
    turned[0] = Wrap(na);
    turned[1] = Wrap(nb);
    turned[3] = Wrap(nc);
    turned[4] = Wrap(nd);

    // The corners (W, 0), (0, H) and (W, H) through the new 2x2 part; (0, 0)
    // stays at the origin.
    const std::int64_t wx = Scaled(width_fx, turned[0]), wy = Scaled(width_fx, turned[1]);
    const std::int64_t hx = Scaled(height_fx, turned[3]), hy = Scaled(height_fx, turned[4]);
    const std::int64_t min_x = std::min({std::int64_t{0}, wx, hx, wx + hx});
    const std::int64_t min_y = std::min({std::int64_t{0}, wy, hy, wy + hy});
    turned[6] = Saturate(-min_x);
    turned[7] = Saturate(-min_y);
    return turned;
}
