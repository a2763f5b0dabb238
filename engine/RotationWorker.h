#pragma once

#include <thread>

struct ConversionJob;

// Processes every file of the job in order, on the caller's thread, after
// giving each a fresh report.
// Returns 0 when the batch ran to its end or was cancelled, -1 when a
// failure ended it (current_index then stays at the failed position).
//
// Outputs it leaves behind: a done file's complete output; whatever a
// cancelled (status stays 255) or failed (status 2) file got written, for
// the caller to remove by the identity reported in created_output. Every
// output is a file the worker created itself, under a name that was free.
// Inputs are only read. After a failure, AfterFailureOf says whether the
// batch goes on.
int RotationWorker(ConversionJob& job);

// Gives each file a fresh report, sets job.worker_active and runs the
// positions on a new thread; when the
// worker returns, its result goes to job.worker_exit_code and then
// worker_active becomes false. The returned thread is joinable; join it
// before the record goes or another batch starts on it.
std::thread StartRotationWorker(ConversionJob& job);
