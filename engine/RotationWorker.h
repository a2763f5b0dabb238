#pragma once

#include <thread>

struct ConversionJob;

// Thread procedure: processes positions 0 .. file_count - 1 of the job.
// Returns 0 when the batch ran to its end or was cancelled, -1 when a
// failure ended it (current_index then stays at the failed position).
//
// Outputs it leaves behind: a done file's complete output; a cancelled
// file's output up to the cancel, closed so that it plays (its status stays
// 255; the caller removes it if it wants, by the identity reported in
// created_output); nothing for a failed file (status 2). Every output is a
// file the worker created itself, under a name that was free. Inputs are
// only read.
int RotationWorker(ConversionJob& job);

// Sets job.worker_active and runs RotationWorker on a new thread; when the
// worker returns, its result goes to job.worker_exit_code and then
// worker_active becomes false. The returned thread is joinable; join it
// before starting another batch or a probe.
std::thread StartRotationWorker(ConversionJob& job);
