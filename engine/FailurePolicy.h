#pragma once

#include "engine/Failure.h"

// What the batch does after a file failed.
enum class AfterFailure {
    kNextFile,
    kNextFileAfterWait,  // the pause before a file once more, then the next file
    kEndBatch,           // the failure ends the batch
};

// The one table from the step that failed to what the batch does next.
AfterFailure AfterFailureOf(Failure::Step step);
