#pragma once

#include "engine/Failure.h"
#include "engine/LeftOutStream.h"

#include <string>
#include <vector>

// What became of one position of a batch, for the window and the command
// line alike.
struct PositionOutcome {
    enum Kind {
        kPending,     // the worker has not passed it yet
        kDone,        // complete output
        kFailed,      // nothing of it is left
        kStopped,     // cut short by a stop
        kNotReached,  // the worker never opened it
    } kind = kPending;
    // The output file is the worker's and incomplete (a failed or stopped
    // file that the worker had reached): it is removed, so that no
    // cut-short video is taken for a result.
    bool removeOutput = false;
    // A done file's output where it now is: its final name, or the name it
    // was written under when the move failed (moveError then says why).
    std::string output;
    int moveError = 0;
    // Why a failed file failed.
    Failure failure;
    // The input's streams a done file's output does not carry (bitmap
    // subtitles its container cannot hold).
    std::vector<LeftOutStream> leftOut;
};
