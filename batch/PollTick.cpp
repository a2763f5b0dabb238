#include "PollTick.h"

#include "ConversionJob.h"

JobSnapshot ReadJob(const ConversionJob& job)
{
    JobSnapshot s;
    s.workerActive = job.worker_active.load();
    s.cancelRequested = job.cancel_requested.load();
    s.current = job.current_index.load();
    s.total = job.display_count.load();
    s.percent = job.progress_percent.load();
    const int n = s.total < 0 ? 0 : (s.total > kMaxJobFiles ? kMaxJobFiles : s.total);
    s.status.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        s.status[static_cast<std::size_t>(i)] = job.file_status[i].load();
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

    if (cur > 0 && cur - 1 < total) {
        const std::uint8_t previous = StatusAt(job, cur - 1);
        if (previous == kFileFailed) {
            r.failedPositions.push_back(cur - 1);
        } else if (previous == kFileDone) {
            // Counts every position passed, as the batch label has always
            // done: a failed earlier file counts as finished too.
            r.doneCount = cur;
            r.donePosition = cur - 1;
        }
    }

    if (total > 0 && cur >= total) {
        r.end = BatchEnd::kFinished;
        return r;
    }
    if (cur >= 0 && StatusAt(job, cur) == kFileFailed)
        r.failedPositions.push_back(cur);
    if (job.cancelRequested)
        r.end = BatchEnd::kCancelled;
    else if (!job.workerActive)
        r.end = BatchEnd::kWorkerEndedEarly;
    return r;
}

std::vector<PositionOutcome> ConcludeBatch(const JobSnapshot& job)
{
    std::vector<PositionOutcome> outcomes(job.status.size());
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        const int position = static_cast<int>(i);
        PositionOutcome& o = outcomes[i];
        switch (job.status[i]) {
        case kFileDone:
            o.kind = PositionOutcome::kDone;
            break;
        case kFileFailed:
            o.kind = PositionOutcome::kFailed;
            o.removeOutput = true;
            break;
        default:
            // Positions below current_index were opened by the worker; a
            // pending one among them is the file a stop cut short.
            o.kind = position < job.current ? PositionOutcome::kStopped : PositionOutcome::kNotReached;
            o.removeOutput = o.kind == PositionOutcome::kStopped;
            break;
        }
    }
    return outcomes;
}

bool BatchFailedAtEnd(const JobSnapshot& job)
{
    if (job.total <= 0 || job.cancelRequested)
        return false;
    if (job.current < job.total)
        return !job.workerActive;
    return StatusAt(job, job.total - 1) == kFileFailed;
}

std::string FileLabelText(const std::string& path, int percent, const std::string& doneText)
{
    return path + "   " + std::to_string(percent) + "% " + doneText;
}

std::string BatchLabelText(int done, int total, const std::string& ofText, const std::string& filesText)
{
    return std::to_string(done) + " " + ofText + " " + std::to_string(total) + " " + filesText;
}
