#include "engine/DisplayRotation.h"

#include <cmath>
#include <cstdlib>

extern "C" {
#include <libavutil/display.h>
}

int ReduceDegrees(long long degrees)
{
    return static_cast<int>(((degrees % 360) + 360) % 360);
}

int MatrixRotationCw(const DisplayMatrix& matrix)
{
    const double ccw = av_display_rotation_get(matrix.data());
    if (!std::isfinite(ccw))
        return 0;
    return ReduceDegrees(-std::llround(ccw));
}

bool MatrixIsMirror(const DisplayMatrix& m)
{
    const double det = static_cast<double>(m[0]) * m[4] - static_cast<double>(m[1]) * m[3];
    return det < 0;
}

DisplayMatrix RotationMatrix(int degrees)
{
    DisplayMatrix m{};
    av_display_rotation_set(m.data(), ReduceDegrees(degrees));
    return m;
}

DisplayMatrix TurnMatrix(const DisplayMatrix& matrix, int degrees)
{
    if (!MatrixIsMirror(matrix))
        return RotationMatrix(MatrixRotationCw(matrix) + degrees);

    // Points are row vectors multiplied from the left, so the matrix that
    // applies `matrix` first and the extra turn second is matrix * turn.
    // Work in real numbers: two columns are 16.16, the last one 2.30.
    const DisplayMatrix turn = RotationMatrix(degrees);
    auto real = [](const DisplayMatrix& m, int row, int col) {
        return m[static_cast<std::size_t>(row * 3 + col)] / (col == 2 ? 1073741824.0 : 65536.0);
    };
    DisplayMatrix result{};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            double sum = 0;
            for (int k = 0; k < 3; ++k)
                sum += real(matrix, row, k) * real(turn, k, col);
            const double scaled = sum * (col == 2 ? 1073741824.0 : 65536.0);
            result[static_cast<std::size_t>(row * 3 + col)] =
                static_cast<std::int32_t>(std::llround(scaled));
        }
    }
    return result;
}

long long RotateTagValue(const std::string& text)
{
    return std::strtoll(text.c_str(), nullptr, 10);
}
