#pragma once

#include "engine/FileWriter.h"
#include "engine/iso/IsoInspection.h"

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
    int input_fd_;
    IsoInspection inspection_;
};
