#pragma once

#include <string>

// The display rotation that libavformat reports for the first video stream
// of a file (cover pictures left out), as clockwise degrees in 0..359: 0
// when the stream has no display matrix. -1 when the file cannot be opened
// or has no video stream. A rotated copy is done only once this reads the
// rotation it should have.
int ReportedRotationCw(const std::string& path);
