#pragma once

#include <atomic>

// Lets a signal handler stop the running batch at once instead of at the
// next poll: the batch runner names the cancel flag of the job its worker
// reads, and the handler sets it. Both calls are async-signal-safe.
void SetInterruptTarget(std::atomic<bool>* cancelFlag);  // nullptr: no worker runs
void RelayInterrupt();
