#include "engine/RotationWorker.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/ConversionJob.h"
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
    const int fd = job.copy_iso_files ? OpenRegularFile(work.InputPath()) : -1;
    if (fd < 0)
        return std::make_unique<RemuxWriter>();
    IsoInspection inspection = InspectIsoFile(fd);
    if (TakesByteExactWay(inspection))
        return std::make_unique<IsoCopyWriter>(fd, std::move(inspection));
    ::close(fd);
    return std::make_unique<RemuxWriter>();
}

}  // namespace

int RotationWorker(ConversionJob& job)
{
    const int count =
        job.file_count < 0 ? 0 : (job.file_count > kMaxJobFiles ? kMaxJobFiles : job.file_count);
    for (int i = 0; i < count; ++i) {
        job.file_status[static_cast<std::size_t>(i)].store(kFilePending);
        job.output_created[static_cast<std::size_t>(i)].store(false);
    }

    for (job.current_index.store(0); job.current_index.load() < count;
         job.current_index.fetch_add(1)) {
        const int i = job.current_index.load();
        job.progress_percent.store(0);

        PreFileWait(job);
        if (job.cancel_requested.load())
            return 0;

        FileWriter::Next next;
        {
            // The file's objects are released (and a failed output removed)
            // before current_index moves on.
            PositionWork work(job, i);
            const std::unique_ptr<FileWriter> writer = PickWriter(job, work);
            next = writer->Write(work);
        }
        if (next == FileWriter::Next::kEndBatch)
            return -1;
        if (next == FileWriter::Next::kNextFileAfterWait)
            PreFileWait(job);
    }
    return 0;
}

std::thread StartRotationWorker(ConversionJob& job)
{
    job.worker_exit_code.store(0);
    job.worker_active.store(true);
    return std::thread([&job] {
        const int code = RotationWorker(job);
        job.worker_exit_code.store(code);
        job.worker_active.store(false);
    });
}
