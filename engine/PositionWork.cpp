#include "engine/PositionWork.h"

#include "engine/ConversionJob.h"
#include "files/DurableFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

PositionWork::PositionWork(ConversionJob& job, int index)
    : job_(job), index_(index), progress_(job.progress_percent)
{
    RememberInputTimes();
}

PositionWork::~PositionWork()
{
    CloseOutput();
}

const JobFile& PositionWork::File() const
{
    return job_.files[static_cast<std::size_t>(index_)];
}

PositionReport& PositionWork::Report()
{
    return job_.reports[static_cast<std::size_t>(index_)];
}

const std::string& PositionWork::InputPath() const
{
    return File().input_path;
}

int PositionWork::RotationDeg() const
{
    return File().turn_deg;
}

double PositionWork::DurationS() const
{
    return File().duration_s;
}

bool PositionWork::CancelRequested() const
{
    return job_.cancel_requested.load();
}

// Like cp -p: the output carries the input's times, so that whatever sorts
// files by date keeps the video where it was. Taken before the input is
// read, which may move its access time.
void PositionWork::RememberInputTimes()
{
    struct stat info {};
    if (::stat(InputPath().c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return;
    input_times_[0] = info.st_atim;
    input_times_[1] = info.st_mtim;
    input_times_known_ = true;
}

Failure PositionWork::CreateOutput(int accessFlags)
{
    std::string path = File().output_path;
    for (int other = 0;; ++other) {
        const int error = CreateExclusively(path, accessFlags, output_, fd_);
        if (error == 0) {
            Report().created_output = output_;
            Report().output_created.store(true);
            if (job_.output_created_hook)
                job_.output_created_hook(index_, output_);
            return Failure{};
        }
        if (error != EEXIST)
            return Failure(Failure::kCreateOutputFile, AVERROR(error), path);
        // Taken. Nothing under that name is opened, least of all the input.
        if (SameFile(InputPath(), path))
            return Failure(Failure::kOutputIsInput);
        std::string next;
        if (job_.next_output_name && other < kMaxOtherNames)
            next = job_.next_output_name(path);
        if (next.empty() || next == path)
            return Failure(Failure::kOutputNameTaken, 0, path);
        path = std::move(next);
    }
}

void PositionWork::BetweenChunks()
{
    if (job_.between_chunks_hook)
        job_.between_chunks_hook(index_);
}

WriteResult PositionWork::Finish(std::vector<LeftOutStream> leftOut)
{
    if (fd_ >= 0) {
        if (input_times_known_)
            (void)::futimens(fd_, input_times_);  // a courtesy: never fails the file
        // "Done" means on the disk: a power cut after it must not leave an
        // empty file under the name (delayed allocation). The folder entry
        // is synced by whoever gives the file its final name.
        if (job_.sync_outputs && !job_.cancel_requested.load()) {
            if (const int error = SyncData(fd_); error != 0) {
                CloseOutput();
                return WriteResult::Failed(Failure(Failure::kCompleteOutput, AVERROR(error)));
            }
        }
        // A file system that writes back late (NFS, a full quota) may
        // report the failure only here.
        const int closed = ::close(fd_);
        const int error = errno;
        fd_ = -1;
        if (closed != 0)
            return WriteResult::Failed(Failure(Failure::kCompleteOutput, AVERROR(error)));
    }
    if (job_.cancel_requested.load())
        return WriteResult::Cancelled();
    // A done file's last figure is 100, whatever the writer could measure.
    progress_.Publish(1, 1);
    return WriteResult::Done(std::move(leftOut));
}

void PositionWork::CloseOutput()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}
