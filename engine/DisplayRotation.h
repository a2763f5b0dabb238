#pragma once

#include <array>
#include <cstdint>
#include <string>

// A stream's display matrix: nine 32-bit values, the first two columns in
// 16.16 fixed point and the last one in 2.30, as FFmpeg stores it.
using DisplayMatrix = std::array<std::int32_t, 9>;

// Degrees reduced into 0 .. 359.
int ReduceDegrees(long long degrees);

// Clockwise rotation the matrix shows, in 0 .. 359; 0 for a singular matrix.
int MatrixRotationCw(const DisplayMatrix& matrix);

// True when the matrix mirrors the picture (negative determinant).
bool MatrixIsMirror(const DisplayMatrix& matrix);

// The matrix of a picture turned clockwise by `degrees`.
DisplayMatrix RotationMatrix(int degrees);

// The matrix that shows what `matrix` shows, then turned clockwise by
// `degrees` more. A mirror stays a mirror.
DisplayMatrix TurnMatrix(const DisplayMatrix& matrix, int degrees);

// A "rotate" tag's text as a number the way strtol reads it (text that is
// not a number gives 0).
long long RotateTagValue(const std::string& text);
