#pragma once

#include "engine/FileWriter.h"
#include "engine/iso/IsoInspection.h"
#include "engine/iso/IsoMatrixPatch.h"

#include <cstdint>
#include <optional>
#include <vector>

// The way for ISO base media files (MP4, MOV, 3GP) that the box reader
// takes: the output is a copy of the input, byte for byte, except the
// matrix in the header of every video track, which is turned by the
// rotation asked for. Every track, box, key and sample survives as it is,
// and the container stays the input's. The copy shares the input's blocks
// where the filesystem allows (a reflink), else it is made in the kernel.
//
// Before "done", the matrices are read back from the output, and the
// rotation libavformat reports for its first video stream must be the one
// wanted. A copy cut short by a cancel ends as cancelled; the session
// removes it, as every output that did not get done.
class IsoCopyWriter : public FileWriter
{
public:
    // input_fd: the input, open for reading, as inspected (kRewritable or
    // kCutShort); the writer closes it.
    IsoCopyWriter(int input_fd, IsoInspection inspection);
    ~IsoCopyWriter() override;
    IsoCopyWriter(const IsoCopyWriter&) = delete;
    IsoCopyWriter& operator=(const IsoCopyWriter&) = delete;

    WriteResult Write(PositionWork& work) override;

private:
    // Copies the input whole; a cancel or a failed side ends the write.
    std::optional<WriteResult> CopyInput(PositionWork& work, int out, std::uint64_t size);
    // Reads the output back: its size, its matrices and the rotation shown.
    std::optional<Failure> CheckWritten(int out, std::uint64_t size,
                                        const std::vector<IsoMatrixPatch>& patches) const;

    int input_fd_;
    IsoInspection inspection_;
};
