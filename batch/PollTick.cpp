#include "batch/PollTick.h"

#include "engine/ConversionJob.h"

#include <algorithm>

JobSnapshot ReadJob(const ConversionJob& job)
{
    JobSnapshot s;
    s.workerActive = job.worker_active.load();
    s.cancelRequested = job.cancel_requested.load();
    s.current = job.current_index.load();
    s.total = job.FileCount();
    s.percent = job.progress_percent.load();
    // The worker sized the reports before it started; before that there
    // is nothing to read.
    const int n = std::min(s.total, static_cast<int>(job.reports.size()));
    s.status.resize(static_cast<std::size_t>(n));
    s.failure.resize(static_cast<std::size_t>(n));
    s.leftOut.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const std::size_t at = static_cast<std::size_t>(i);
        const PositionReport& report = job.reports[at];
        s.status[at] = report.file_status.load();
        // The worker writes the failure before it stores the status.
        if (s.status[at] == kFileFailed)
            s.failure[at] = report.failure;
        // And what a done file left out before it stores "done".
        if (s.status[at] == kFileDone)
            s.leftOut[at] = report.left_out;
    }
    return s;
}

namespace {

std::uint8_t StatusAt(const JobSnapshot& job, int position)
{
    if (position < 0 || position >= static_cast<int>(job.status.size()))
        return kFilePending;
    return job.status[static_cast<std::size_t>(position)];
}

}  // namespace

TickResult PollTick(const JobSnapshot& job, int doneCount)
{
    TickResult r;
    const int cur = job.current;
    const int total = job.total;

    r.pathPosition = cur >= 0 && cur < total ? cur : -1;
    r.percent = job.percent;
    r.updateFileLabel = job.percent >= 0 && cur < total;
    r.labelDoneCount = doneCount;
    r.batchPercent = total > 0 ? doneCount * 100 / total : 0;
    r.updateFileBar = job.percent >= 0 && job.percent <= 100;
    r.doneCount = doneCount;

    // Counts every position passed once the file before the current one is
    // done, as the count of finished files always has: a failed earlier file
    // counts too.
    if (cur > 0 && cur - 1 < total && StatusAt(job, cur - 1) == kFileDone)
        r.doneCount = cur;

    if (total > 0 && cur >= total)
        r.end = BatchEnd::kFinished;
    else if (job.cancelRequested)
        r.end = BatchEnd::kCancelled;
    else if (!job.workerActive)
        r.end = BatchEnd::kWorkerEndedEarly;
    return r;
}

PositionOutcome OutcomeOf(const JobSnapshot& job, int position)
{
    PositionOutcome o;
    switch (StatusAt(job, position)) {
    case kFileDone:
        o.kind = PositionOutcome::kDone;
        if (position < static_cast<int>(job.leftOut.size()))
            o.leftOut = job.leftOut[static_cast<std::size_t>(position)];
        break;
    case kFileFailed:
        o.kind = PositionOutcome::kFailed;
        o.removeOutput = true;
        if (position < static_cast<int>(job.failure.size()))
            o.failure = job.failure[static_cast<std::size_t>(position)];
        break;
    default:
        // Positions below current_index were opened by the worker; a
        // pending one among them is the file a stop cut short.
        o.kind = position < job.current ? PositionOutcome::kStopped : PositionOutcome::kNotReached;
        o.removeOutput = o.kind == PositionOutcome::kStopped;
        break;
    }
    return o;
}
