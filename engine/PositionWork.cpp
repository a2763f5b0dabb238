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
    job_.left_out[static_cast<std::size_t>(index_)].clear();
    RememberInputTimes();
}

PositionWork::~PositionWork()
{
    CloseOutput();
    if (created_ && (failed_ || remove_output_))
        output_.RemoveIfStillOurs();
}

const std::string& PositionWork::InputPath() const
{
    return job_.input_path[static_cast<std::size_t>(index_)];
}

int PositionWork::RotationDeg() const
{
    return job_.rotation_deg;
}

double PositionWork::DurationS() const
{
    return job_.duration_s[static_cast<std::size_t>(index_)];
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

std::optional<FileWriter::Next> PositionWork::CreateOutput(int accessFlags)
{
    const auto i = static_cast<std::size_t>(index_);
    std::string path = job_.output_path[i];
    for (int other = 0;; ++other) {
        const int error = CreateExclusively(path, accessFlags, output_, fd_);
        if (error == 0) {
            created_ = true;
            job_.created_output[i] = output_;
            job_.output_created[i].store(true);
            if (job_.output_created_hook)
                job_.output_created_hook(index_, output_);
            return std::nullopt;
        }
        if (error != EEXIST) {
            Fail(Failure(Failure::kCreateOutputFile, AVERROR(error), path));
            return FileWriter::Next::kEndBatch;
        }
        // Taken. Nothing under that name is opened, least of all the input.
        if (SameFile(InputPath(), path)) {
            Fail(Failure(Failure::kOutputIsInput));
            return FileWriter::Next::kNextFile;
        }
        std::string next;
        if (job_.next_output_name && other < kMaxOtherNames)
            next = job_.next_output_name(path);
        if (next.empty() || next == path) {
            Fail(Failure(Failure::kOutputNameTaken, 0, path));
            return FileWriter::Next::kNextFile;
        }
        path = std::move(next);
    }
}

void PositionWork::BetweenChunks()
{
    if (job_.between_chunks_hook)
        job_.between_chunks_hook(index_);
}

void PositionWork::NoteLeftOut(LeftOutStream stream)
{
    job_.left_out[static_cast<std::size_t>(index_)].push_back(stream);
}

void PositionWork::Fail(Failure failure)
{
    const auto i = static_cast<std::size_t>(index_);
    failed_ = true;
    job_.failure[i] = std::move(failure);
    job_.file_status[i].store(kFileFailed);
}

bool PositionWork::Complete()
{
    if (fd_ >= 0) {
        if (input_times_known_)
            (void)::futimens(fd_, input_times_);  // a courtesy: never fails the file
        // "Done" means on the disk: a power cut after it must not leave an
        // empty file under the name (delayed allocation). The folder entry
        // is synced by whoever gives the file its final name.
        if (!failed_ && job_.sync_outputs && !job_.cancel_requested.load()) {
            if (const int error = SyncData(fd_); error != 0)
                Fail(Failure(Failure::kCompleteOutput, AVERROR(error)));
        }
        // A file system that writes back late (NFS, a full quota) may
        // report the failure only here.
        const int closed = ::close(fd_);
        const int error = errno;
        fd_ = -1;
        if (closed != 0) {
            Fail(Failure(Failure::kCompleteOutput, AVERROR(error)));
            return false;
        }
    }
    if (failed_)
        return false;
    if (job_.cancel_requested.load())
        return false;
    progress_.Publish(1, 1);
    job_.file_status[static_cast<std::size_t>(index_)].store(kFileDone);
    return true;
}

void PositionWork::CloseOutput()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}
