#pragma once

#include <cstdint>
#include <vector>

// The display rotation that libavformat reports for the first video stream
// (cover pictures left out) of the ISO base media file open on fd (size
// bytes), as clockwise degrees in 0..359: 0 when the stream has no display
// matrix, -1 when the file cannot be opened or has no video stream. A
// rotated copy is done only once this reads the rotation it should have.
// The boxes that start at hidden_boxes are shown to libavformat as free
// space.
// Hiding the sample tables keeps this look at the header as small and quick
// for a three-hour film as for a clip: libavformat then builds no index of
// the samples, while every byte it does read is the file's own.
int ReportedRotationCw(int fd, std::uint64_t size, const std::vector<std::uint64_t>& hidden_boxes);
