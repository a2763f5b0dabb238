#include "engine/RotationWorker.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/ConversionJob.h"
#include "engine/FailurePolicy.h"
#include "engine/iso/IsoCopyWriter.h"
#include "engine/OutputContainer.h"
#include "engine/PositionWork.h"
#include "engine/remux/RemuxWriter.h"

namespace {

// The pause before a file; a cancel ends it early, so that a stop (or a
// window that is closing) does not wait it out.
void PreFileWait(const ConversionJob& job)
{
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(job.pre_file_wait_ms);
    while (!job.cancel_requested.load()) {
        const auto left = end - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero())
            return;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(left, std::chrono::milliseconds(20)));
    }
}

// The way a file is written, chosen from what it is: an ISO base media
// file the box reader takes is copied with its matrices turned; everything
// else is remuxed.
std::unique_ptr<FileWriter> PickWriter(const ConversionJob& job, const PositionWork& work)
{
    if (job.choose_writer)
        return job.choose_writer(work);
    const int fd = job.copy_iso_files ? OpenRegularFile(work.InputPath()) : -1;
    if (fd < 0)
        return std::make_unique<RemuxWriter>();
    IsoInspection inspection = InspectIsoFile(fd);
    if (TakesByteExactWay(inspection))
        return std::make_unique<IsoCopyWriter>(fd, std::move(inspection));
    ::close(fd);
    return std::make_unique<RemuxWriter>();
}

// Stores how a position ended; a cancelled one stays pending. What a
// done or failed position's report holds is written before its status.
void Report(PositionReport& report, const WriteResult& result)
{
    switch (result.kind) {
    case WriteResult::kDone:
        report.left_out = result.left_out;
        report.file_status.store(kFileDone);
        break;
    case WriteResult::kFailed:
        report.failure = result.failure;
        report.file_status.store(kFileFailed);
        break;
    case WriteResult::kCancelled:
        break;
    }
}

// The positions of a job whose reports are sized and fresh.
int RunPositions(ConversionJob& job)
{
    const int count = job.FileCount();
    for (job.current_index.store(0); job.current_index.load() < count;
         job.current_index.fetch_add(1)) {
        const int i = job.current_index.load();
        job.progress_percent.store(0);

        PreFileWait(job);
        if (job.cancel_requested.load())
            return 0;

        WriteResult result;
        {
            // The file's objects are released and its output closed before
            // its status is stored and current_index moves on.
            PositionWork work(job, i);
            const std::unique_ptr<FileWriter> writer = PickWriter(job, work);
            result = writer->Write(work);
        }
        Report(job.reports[static_cast<std::size_t>(i)], result);
        if (result.kind != WriteResult::kFailed)
            continue;
        const AfterFailure after = AfterFailureOf(result.failure.step);
        if (after == AfterFailure::kEndBatch)
            return -1;
        if (after == AfterFailure::kNextFileAfterWait)
            PreFileWait(job);
    }
    return 0;
}

}  // namespace

int RotationWorker(ConversionJob& job)
{
    job.ResetReports();
    return RunPositions(job);
}

std::thread StartRotationWorker(ConversionJob& job)
{
    // Sized here, before the thread exists: whoever polls the record sees
    // one report per file from the start on.
    job.ResetReports();
    job.worker_active.store(true);
    return std::thread([&job] {
        const int code = RunPositions(job);
        job.worker_exit_code.store(code);
        job.worker_active.store(false);
    });
}
