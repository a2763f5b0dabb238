#include "batch/BatchPlan.h"

#include "batch/FileNames.h"
#include "engine/ConversionJob.h"
#include "engine/OutputContainer.h"

#include <cerrno>
#include <set>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace {

// Gives file the free output name for wanted, stepping over the names the
// batch handed out, and the base of its final name, judged against the
// disk alone.
void ChooseOutput(BatchFile& file, const std::string& wanted, std::set<std::string>& taken)
{
    file.output = NextFreeName(wanted, taken);
    file.finalBase = WithoutExtension(NextFreeName(wanted));
    taken.insert(file.output);
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

PreparedBatch PrepareBatch(const std::vector<TickedRow>& rows, const std::string& outputFolder)
{
    PreparedBatch batch;
    // Names handed out to earlier positions count as taken although they do
    // not exist yet: two positions writing one output would lose the first.
    std::set<std::string> taken;
    for (const TickedRow& row : rows) {
        BatchFile file;
        file.row = row.row;
        file.input = row.path;
        file.duration_s = ParseDuration(row.durationText) / 1000.0;
        // Judged under the input's own name, before anything moves.
        const std::string outputExtension = OutputExtensionFor(row.path);

        const std::string ext = LowerExtension(row.path);
        if (ext.empty()) {
            batch.stop = PreparedBatch::Stop::kNameWithoutDot;
            break;
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
    return batch;
}

std::vector<BatchFile> PlanBatch(const std::vector<std::string>& inputs,
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
    job.files.clear();
    job.files.reserve(files.size());
    for (const BatchFile& file : files)
        job.files.push_back(JobFile{file.input, file.output, file.duration_s, file.turnDeg});
    job.current_index = -1;
    job.cancel_requested = false;
    job.worker_exit_code = 0;
    job.progress_percent = 0;
}
