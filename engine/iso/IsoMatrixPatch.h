#pragma once

#include "engine/DisplayRotation.h"
#include "engine/iso/IsoInspection.h"

#include <cstdint>
#include <string>
#include <vector>

// The matrices a rotated copy of an ISO base media file gets, written into
// the copy only and read back from it.

struct IsoMatrixPatch {
    std::uint64_t offset = 0;  // of the 36 matrix bytes in a tkhd
    DisplayMatrix matrix{};
};

// One patch per video track of the inspection, in its order: each track's
// stored matrix turned clockwise by `degrees_cw` more (TurnTrackMatrix).
std::vector<IsoMatrixPatch> TurnedMatrices(const IsoInspection& inspection, int degrees_cw);

// Writes the matrices at their offsets with pwrite (the file position is
// not used). Returns 0, or the errno of the first write that failed;
// EINVAL when a patch does not lie inside the file, which is then left
// unchanged by it.
int WriteMatrices(int out_fd, const std::vector<IsoMatrixPatch>& patches);

struct MatrixCheck {
    bool matches = false;
    int read_error = 0;      // errno when the file could not be read
    std::string difference;  // what differs, for logs and tests
};

// Reads the file's video track headers again through the box reader and
// compares their places and matrices with `expected`, track by track.
MatrixCheck VerifyMatrices(int fd, const std::vector<IsoMatrixPatch>& expected);
