#pragma once

#include "engine/iso/FileDataCopy.h"
#include "engine/iso/IsoInspection.h"
#include "engine/iso/IsoMatrixPatch.h"

#include <string>
#include <vector>

// Inspects a file by its path.
IsoInspection InspectPath(const std::string& path,
                          IsoInspectDepth depth = IsoInspectDepth::kComplete);

// What a rotation by byte copy did, step by step.
struct RotatedCopy {
    std::string failed;  // "" when every step worked, else which one failed and why
    IsoInspection inspection;
    CopyOutcome copy;
    std::vector<IsoMatrixPatch> patches;
    MatrixCheck check;
};

// Inspects `in`, copies it to the new file `out`, writes the turned
// matrices into `out` and reads them back: the whole way the writer goes.
RotatedCopy RotateByCopy(const std::string& in, const std::string& out, int degrees_cw,
                         const CopyOptions& options = {});

// True when every byte range where the files differ lies inside one of the
// 36-byte matrices at `offsets`; `why` names the first that does not.
bool DiffersOnlyInMatrices(const std::string& a, const std::string& b,
                           const std::vector<std::uint64_t>& offsets, std::string* why);
