#include "batch/BatchPlan.h"

#include "batch/FileNames.h"
#include "batch/NameJournal.h"
#include "engine/ConversionJob.h"
#include "engine/OutputContainer.h"
#include "files/NameBack.h"
#include "files/SafeMove.h"

#include <cerrno>
#include <set>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace {

void RollBack(PreparedBatch& batch, const BatchFileOps& ops)
{
    for (auto it = batch.files.rbegin(); it != batch.files.rend(); ++it) {
        if (!it->renamed)
            continue;
        const NameBack back = GiveNameBack(it->source, it->input, ops.move);
        if (!back.Back()) {
            batch.rollbackFailures.emplace_back(it->source, back.error);
            if (back.kind != NameBack::kMissing)
                continue;  // the journal keeps it for the next start-up
        }
        if (ops.journal)
            ops.journal->Release(it->source);
    }
}

// Gives file the free output name for wanted, stepping over the names the
// batch handed out, and the base of its final name, judged against the
// disk alone.
void ChooseOutput(BatchFile& file, const std::string& wanted, std::set<std::string>& taken)
{
    file.output = NextFreeName(wanted, taken);
    file.finalBase = WithoutExtension(NextFreeName(wanted));
    taken.insert(file.output);
}

// The move failed because the input's folder takes no new name, not
// because of anything about this input.
bool FolderRefusesNewNames(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

}  // namespace

std::string LowerExtension(const std::string& path)
{
    const std::size_t dot = ExtensionDot(path);
    if (dot == std::string::npos)
        return std::string();
    std::string ext = path.substr(dot);
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return ext;
}

std::optional<std::uint64_t> AvailableBytes(const std::string& folder)
{
    struct statvfs info {};
    if (::statvfs(folder.c_str(), &info) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.f_bavail) * static_cast<std::uint64_t>(info.f_frsize);
}

std::uint64_t TotalInputBytes(const std::vector<TickedRow>& rows)
{
    std::uint64_t total = 0;
    for (const TickedRow& row : rows) {
        struct stat info {};
        if (::stat(row.path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            total += static_cast<std::uint64_t>(info.st_size);
    }
    return total;
}

StartRefusal CheckBatchStart(int rowCount, const std::vector<TickedRow>& ticked,
                             const std::string& outputFolder, const FreeSpaceQuery& availableBytes)
{
    if (rowCount <= 0)
        return StartRefusal::kNoRows;
    if (ticked.empty())
        return StartRefusal::kNothingTicked;
    if (ticked.size() > static_cast<std::size_t>(kMaxJobFiles))
        return StartRefusal::kTooManyTicked;
    if (outputFolder == "/")
        return StartRefusal::kFolderIsRoot;
    if (!PathExists(outputFolder))
        return StartRefusal::kFolderMissing;
    if (!FolderWriteTest(outputFolder))
        return StartRefusal::kFolderNotWritable;
    const std::optional<std::uint64_t> room = availableBytes(outputFolder);
    if (room && *room < TotalInputBytes(ticked))
        return StartRefusal::kNotEnoughSpace;
    return StartRefusal::kNone;
}

BatchFileOps DefaultBatchFileOps(NameJournal* journal)
{
    BatchFileOps ops;
    ops.move = MoveWithoutReplacing;
    ops.journal = journal;
    return ops;
}

PreparedBatch PrepareBatch(const std::vector<TickedRow>& rows, const std::string& outputFolder,
                           const BatchFileOps& ops)
{
    PreparedBatch batch;
    // Names handed out to earlier positions count as taken although they do
    // not exist yet: two positions writing one output would lose the first,
    // and a temporary name equal to an earlier output would be written over.
    std::set<std::string> taken;
    for (const TickedRow& row : rows) {
        BatchFile file;
        file.row = row.row;
        file.input = row.path;
        file.source = row.path;
        file.duration_s = ParseDuration(row.durationText) / 1000.0;
        // Judged under the input's own name, before anything moves.
        const std::string outputExtension = OutputExtensionFor(row.path);

        const std::string ext = LowerExtension(row.path);
        if (ext.empty()) {
            batch.stop = PreparedBatch::Stop::kNameWithoutDot;
            break;
        }
        if (ext != ".mov") {
            const std::string temporary = NextFreeName(WithoutExtension(row.path) + ".mov", taken);
            // Without its entry a killed process would leave the input
            // under a name the user never chose, for good.
            if (ops.journal && !ops.journal->Add(row.path, temporary)) {
                batch.stop = PreparedBatch::Stop::kJournalFailed;
                batch.failedPath = ops.journal->Path();
                batch.error = ops.journal->Error();
                break;
            }
            const int error = ops.move(row.path, temporary);
            if (error != 0 && ops.journal)
                ops.journal->Release(temporary);
            if (error != 0 && !FolderRefusesNewNames(error)) {
                batch.stop = PreparedBatch::Stop::kRenameFailed;
                batch.failedPath = row.path;
                batch.error = error;
                break;
            }
            // A folder that takes no new name (a read-only medium, a shared
            // folder): the worker reads the input under its own name.
            if (error == 0) {
                file.source = temporary;
                file.renamed = true;
                taken.insert(temporary);
            }
        }

        // The output keeps the input's stem. The remux way's output gets
        // its container's extension at once; a byte-exact copy is written
        // under a .mov name (a .MOV input's own extension) until it is done.
        file.finalExtension = outputExtension;
        const std::string workingExt =
            !outputExtension.empty() ? "." + outputExtension
            : ext == ".mov"          ? row.path.substr(ExtensionDot(row.path))
                                     : std::string(".mov");
        ChooseOutput(file, outputFolder + "/" + FileStem(row.path) + workingExt, taken);
        batch.files.push_back(std::move(file));
    }
    if (!batch.Complete())
        RollBack(batch, ops);
    return batch;
}

std::vector<BatchFile> PlanWithoutRenames(const std::vector<std::string>& inputs,
                                          const std::string& outputFolder)
{
    const std::string folder =
        !outputFolder.empty() && outputFolder.back() == '/' ? outputFolder : outputFolder + "/";
    std::set<std::string> taken;
    std::vector<BatchFile> files;
    for (const std::string& input : inputs) {
        BatchFile file;
        file.row = static_cast<int>(files.size());
        file.input = input;
        file.source = input;
        // As PrepareBatch names it.
        file.finalExtension = OutputExtensionFor(input);
        const std::string ext = file.finalExtension.empty() ? "mov" : file.finalExtension;
        ChooseOutput(file, folder + FileStem(input) + "." + ext, taken);
        files.push_back(std::move(file));
    }
    return files;
}

void FillJob(ConversionJob& job, const std::vector<BatchFile>& files)
{
    const int n = static_cast<int>(files.size());
    for (int i = 0; i < n; ++i) {
        job.input_path[i] = files[i].source;
        job.output_path[i] = files[i].output;
        job.duration_s[i] = files[i].duration_s;
        job.file_status[i] = kFilePending;
        // Nothing of an earlier batch may be read as this one's.
        job.output_created[i] = false;
        job.created_output[i] = CreatedFile{};
        job.failure[i] = Failure{};
    }
    job.file_count = n;
    job.display_count = n;
    job.current_index = -1;
    job.cancel_requested = false;
    job.worker_exit_code = 0;
    job.progress_percent = 0;
}
