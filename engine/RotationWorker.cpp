#include "engine/RotationWorker.h"

#include <chrono>
#include <memory>

#include "engine/ConversionJob.h"
#include "engine/PositionWork.h"
#include "engine/RemuxWriter.h"

namespace {

void PreFileWait(const ConversionJob& job)
{
    if (job.pre_file_wait_ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(job.pre_file_wait_ms));
}

// The way a file is written, chosen from what it is.
std::unique_ptr<FileWriter> PickWriter(const PositionWork&)
{
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
            const std::unique_ptr<FileWriter> writer = PickWriter(work);
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
