#pragma once

#include <thread>

struct ConversionJob;

// Thread procedure: processes positions 0 .. file_count - 1 of the job.
// Returns 0 when the batch ran to its end or was cancelled, -1 when a
// failure ended it.
int RotationWorker(ConversionJob& job);

// Sets job.worker_active and runs RotationWorker on a new thread. The
// returned thread is joinable; join it before starting another batch or a
// probe.
std::thread StartRotationWorker(ConversionJob& job);
