#pragma once

#include "engine/Failure.h"
#include "engine/LeftOutStream.h"

#include <utility>
#include <vector>

class PositionWork;

// How the writing of one position ended, and nothing else: what becomes of
// the batch after a failure is the worker's to decide (FailurePolicy), what
// becomes of an output that did not get done is the session's.
struct WriteResult {
    enum Kind {
        kDone,       // the output is complete and closed
        kFailed,     // failure says why
        kCancelled,  // a cancel came before the output was complete
    } kind = kDone;
    Failure failure;                      // kFailed
    std::vector<LeftOutStream> left_out;  // kDone: the input's streams the output does not carry

    static WriteResult Done(std::vector<LeftOutStream> leftOut = {})
    {
        WriteResult result;
        result.left_out = std::move(leftOut);
        return result;
    }
    static WriteResult Failed(Failure why)
    {
        WriteResult result;
        result.kind = kFailed;
        result.failure = std::move(why);
        return result;
    }
    static WriteResult Cancelled()
    {
        WriteResult result;
        result.kind = kCancelled;
        return result;
    }
};

// One way of writing a position's output. The worker picks one per file at
// set-up (see RotationWorker); each writes through the PositionWork it is
// given, which holds everything the ways share: the input's path and
// times, the creation of the output, progress, the cancel and the closing
// of a finished output.
class FileWriter
{
public:
    virtual ~FileWriter() = default;

    // Writes the output and says how that ended.
    virtual WriteResult Write(PositionWork& work) = 0;
};
