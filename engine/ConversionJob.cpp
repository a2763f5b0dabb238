#include "engine/ConversionJob.h"

void ConversionJob::ResetReports()
{
    // Built in place: a report holds atomics and is never moved.
    reports = std::vector<PositionReport>(files.size());
    current_index.store(-1);
    progress_percent.store(0);
    worker_exit_code.store(0);
}
