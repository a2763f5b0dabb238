// Creating one file's output under a name nobody else holds, and what it
// takes over from the input.
#include "engine/FileRotation.h"

#include <cerrno>
#include <string>
#include <sys/stat.h>

#include "engine/ConversionJob.h"
#include "engine/FailureReason.h"

extern "C" {
#include <libavutil/error.h>
}

namespace {

// How many further names the job is asked for before the file fails: more
// than enough for a folder that fills while we look, and a bound on a
// caller whose rule keeps offering taken names.
constexpr int kMaxOtherNames = 100;

// True when both paths name one existing file (also through links).
bool SameFile(const std::string& a, const std::string& b)
{
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

FileRotation::Setup FileRotation::CreateOutputFile()
{
    const auto i = static_cast<std::size_t>(index_);
    const std::string& inputPath = job_.input_path[i];
    std::string path = job_.output_path[i];
    for (int other = 0;; ++other) {
        const int error = output_file_.Create(path);
        if (output_file_.created()) {
            ConversionJob::CreatedFile& created = job_.created_output[i];
            created.path = output_file_.path();
            created.device = output_file_.device();
            created.inode = output_file_.inode();
            job_.output_created[i].store(true);
            if (job_.output_created_hook)
                job_.output_created_hook(index_, created);
            if (error != 0) {
                Fail("out of memory");
                return Setup::kNextFile;
            }
            return Setup::kReady;
        }
        if (error != EEXIST) {
            Fail(StepFailure("cannot create the output file " + path, AVERROR(error)));
            return Setup::kEndBatch;
        }
        // Taken. Nothing under that name is opened, least of all the input.
        if (SameFile(inputPath, path)) {
            Fail("the output would replace the input");
            return Setup::kNextFile;
        }
        std::string next;
        if (job_.next_output_name && other < kMaxOtherNames)
            next = job_.next_output_name(path);
        if (next.empty() || next == path) {
            Fail("the output name " + path + " is taken");
            return Setup::kNextFile;
        }
        path = std::move(next);
    }
}

// Like cp -p: the output carries the input's times, so that whatever sorts
// files by date keeps the video where it was. Taken before FFmpeg reads the
// input, which may move its access time.
void FileRotation::RememberInputTimes()
{
    struct stat info {};
    const std::string& inputPath = job_.input_path[static_cast<std::size_t>(index_)];
    if (::stat(inputPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return;
    input_times_[0] = info.st_atim;
    input_times_[1] = info.st_mtim;
    input_times_known_ = true;
}
