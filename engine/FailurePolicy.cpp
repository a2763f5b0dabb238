#include "engine/FailurePolicy.h"

AfterFailure AfterFailureOf(Failure::Step step)
{
    switch (step) {
    // An input that cannot be opened or read as media, or an output that
    // cannot be created at all (its folder is gone or refuses files), ends
    // the batch.
    case Failure::kOpenInput:
    case Failure::kReadStreams:
    case Failure::kSetUpDecoder:
    case Failure::kOpenDecoder:
    case Failure::kCreateOutputFile:
        return AfterFailure::kEndBatch;
    // A header the muxer refused: the pause before a file comes once more
    // before the next one.
    case Failure::kWriteHeader:
        return AfterFailure::kNextFileAfterWait;
    case Failure::kNone:
    case Failure::kSetUpOutput:
    case Failure::kCheckOutputStreams:
    case Failure::kStreamRefused:
    case Failure::kOutputNameTaken:
    case Failure::kOutputIsInput:
    case Failure::kReadInput:
    case Failure::kWriteOutput:
    case Failure::kCompleteOutput:
    case Failure::kCutShort:
    case Failure::kOutOfMemory:
    case Failure::kRotationNotWritten:
    case Failure::kOutputDisappeared:
    case Failure::kSamplesOverclaimed:
    case Failure::kTooManyStreams:
    case Failure::kInputChanged:
        break;
    }
    return AfterFailure::kNextFile;
}
