#include "BatchRunner.h"

#include "BatchPlan.h"
#include "ConversionJob.h"
#include "FileNames.h"
#include "InterruptRelay.h"
#include "ProgressLine.h"
#include "RotationWorker.h"

#include <algorithm>
#include <set>
#include <thread>

namespace {

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

// The input file name's extension without its dot; empty when the name has
// no '.' (such an output keeps its .mov name).
std::string InputExtension(const std::string& path)
{
    const std::size_t dot = ExtensionDot(path);
    return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

}  // namespace

struct BatchRunner::Slot {
    std::size_t input = 0;
    std::string output;  // the free .mov name the worker writes
    bool finished = false;
    int position = 0;  // in the job record
};

BatchRunner::BatchRunner(std::ostream& out, ProgressLine& progress, const std::atomic<bool>& interrupt)
    : m_out(out), m_progress(progress), m_interrupt(interrupt), m_job(std::make_unique<ConversionJob>())
{
}

BatchRunner::~BatchRunner() = default;

std::vector<BatchOutcome> BatchRunner::Run(const std::vector<BatchInput>& inputs, const std::string& outputFolder,
                                           int rotationDeg)
{
    m_inputs = &inputs;
    m_folder = outputFolder;
    m_rotation = rotationDeg;
    m_outcomes.assign(inputs.size(), BatchOutcome{});
    m_reported.assign(inputs.size(), false);

    std::vector<std::size_t> pending(inputs.size());
    for (std::size_t i = 0; i < pending.size(); ++i)
        pending[i] = i;

    while (!pending.empty()) {
        if (m_interrupt.load()) {
            for (std::size_t input : pending)
                Report(input, BatchOutcome{BatchOutcome::kNotReached, {}, {}});
            break;
        }
        const std::size_t take = std::min<std::size_t>(pending.size(), static_cast<std::size_t>(kMaxJobFiles));
        std::vector<std::size_t> chosen(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(take));
        std::vector<std::size_t> next = RunOneBatch(chosen);
        next.insert(next.end(), pending.begin() + static_cast<std::ptrdiff_t>(take), pending.end());
        pending = std::move(next);
    }
    m_progress.Clear();
    return m_outcomes;
}

std::vector<std::size_t> BatchRunner::RunOneBatch(const std::vector<std::size_t>& chosen)
{
    std::vector<Slot> slots;
    std::set<std::string> taken;
    for (std::size_t input : chosen) {
        const std::string& path = (*m_inputs)[input].path;
        slots.push_back(Slot{input, ChooseFreeName(JoinPath(m_folder, FileStem(path) + ".mov"), taken), false,
                             static_cast<int>(slots.size())});
    }

    // The worker reads the inputs under their own names: the command line
    // gives no input a temporary name.
    std::vector<BatchFile> files;
    for (const Slot& slot : slots) {
        const BatchInput& input = (*m_inputs)[slot.input];
        files.push_back(BatchFile{-1, input.path, input.path, slot.output, input.duration_s, false});
    }
    ConversionJob& job = *m_job;
    FillJob(job, files);
    job.rotation_deg = m_rotation;
    job.pre_file_wait_ms = 0;
    const int count = static_cast<int>(slots.size());

    const int total = static_cast<int>(m_inputs->size());
    bool cancelSent = false;
    auto tick = [&] {
        if (!cancelSent && m_interrupt.load()) {
            job.cancel_requested = true;
            cancelSent = true;
        }
        const int current = job.current_index.load();
        // A status is final once the worker has moved past its file, and by
        // then the file is closed, so it may be renamed or removed.
        for (int i = 0; i < std::min(current, count); ++i) {
            const unsigned status = job.file_status[i].load();
            if (!slots[i].finished && (status == kFileDone || status == kFileFailed))
                Finish(slots[i], status, false);
        }
        if (!cancelSent && current >= 0 && current < count)
            m_progress.Show(static_cast<int>(slots[current].input) + 1, total, (*m_inputs)[slots[current].input].path,
                            job.progress_percent.load());
    };

    SetInterruptTarget(&job.cancel_requested);
    std::thread worker = StartRotationWorker(job);
    // The figures are read at poll_interval, but the end of the worker is
    // noticed within a few milliseconds: a short batch is not held up.
    constexpr auto step = std::chrono::milliseconds(5);
    while (job.worker_active.load()) {
        tick();
        for (auto waited = std::chrono::milliseconds(0); waited < poll_interval && job.worker_active.load();
             waited += step)
            std::this_thread::sleep_for(std::min(step, poll_interval));
    }
    worker.join();
    SetInterruptTarget(nullptr);
    tick();

    const int last = job.current_index.load();
    const bool cancelled = job.cancel_requested.load();
    std::vector<std::size_t> retry;
    for (int i = 0; i < count; ++i) {
        Slot& slot = slots[i];
        if (slot.finished)
            continue;
        const unsigned status = job.file_status[i].load();
        if (status == kFileDone || status == kFileFailed) {
            Finish(slot, status, false);
        } else if (cancelled) {
            Finish(slot, kFilePending, i < last);
        } else if (i > last) {
            // A failure ended the worker before this file: try it in the
            // next batch.
            slot.finished = true;
            retry.push_back(slot.input);
        } else {
            Finish(slot, kFileFailed, false);
        }
    }
    return retry;
}

void BatchRunner::Finish(Slot& slot, unsigned status, bool reachedAndStopped)
{
    slot.finished = true;
    const std::string& input = (*m_inputs)[slot.input].path;
    // The file the worker created, if the name still holds it; the
    // descriptor it holds is released when this returns.
    std::optional<OwnedFile> written;
    const auto position = static_cast<std::size_t>(slot.position);
    if (m_job->output_created[position].load()) {
        const ConversionJob::CreatedFile& created = m_job->created_output[position];
        written = ClaimWrittenFile(created.path, created.device, created.inode);
    }
    BatchOutcome outcome;
    if (status == kFileDone) {
        if (!written) {
            outcome.kind = BatchOutcome::kFailed;
            outcome.note = "its output " + slot.output + " disappeared";
            Report(slot.input, outcome);
            return;
        }
        std::string error;
        if (!MoveToFinalName(*written, InputExtension(input), error))
            outcome.note = "kept the name " + written->path + ": " + error;
        outcome.kind = BatchOutcome::kDone;
        outcome.output = written->path;
        Report(slot.input, outcome);
        return;
    }
    if (written)
        RemoveIfOurs(*written);
    if (status == kFileFailed) {
        outcome.kind = BatchOutcome::kFailed;
        outcome.note = FolderWriteTest(m_folder) ? "the conversion failed"
                                                 : "cannot write into the output folder " + m_folder;
    } else {
        outcome.kind = reachedAndStopped ? BatchOutcome::kStopped : BatchOutcome::kNotReached;
    }
    Report(slot.input, outcome);
}

void BatchRunner::Report(std::size_t input, const BatchOutcome& outcome)
{
    m_outcomes[input] = outcome;
    if (m_reported[input])
        return;
    m_reported[input] = true;
    m_progress.Clear();
    const std::string& path = (*m_inputs)[input].path;
    switch (outcome.kind) {
    case BatchOutcome::kDone:
        m_out << "done: " << path << " -> " << outcome.output << '\n';
        if (!outcome.note.empty())
            m_out << "  note: " << outcome.note << '\n';
        break;
    case BatchOutcome::kFailed:
        m_out << "failed: " << path << ": " << outcome.note << '\n';
        break;
    case BatchOutcome::kStopped:
        m_out << "stopped: " << path << ": partial output removed\n";
        break;
    case BatchOutcome::kNotReached:
        m_out << "not started: " << path << '\n';
        break;
    }
    m_out << std::flush;
}
