#include "engine/iso/IsoCopyWriter.h"

#include "engine/iso/FileDataCopy.h"
#include "engine/iso/IsoMatrixPatch.h"
#include "engine/PositionWork.h"
#include "engine/iso/ReportedRotation.h"

#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

extern "C" {
#include <libavutil/error.h>
}

IsoCopyWriter::IsoCopyWriter(int input_fd, IsoInspection inspection)
    : input_fd_(input_fd), inspection_(std::move(inspection))
{}

IsoCopyWriter::~IsoCopyWriter()
{
    if (input_fd_ >= 0)
        ::close(input_fd_);
}

namespace {

// The failure decided before any output exists, or none.
std::optional<Failure> RefusedByInspection(const IsoInspection& inspection)
{
    if (inspection.verdict == IsoInspection::Verdict::kOverclaimed)
        return Failure(Failure::kSamplesOverclaimed);
    if (inspection.verdict == IsoInspection::Verdict::kCutShort) {
        Failure failure(Failure::kCutShort);
        failure.ends_at_s = inspection.ends_at_s;
        failure.duration_s = inspection.duration_s;
        return failure;
    }
    return std::nullopt;
}

bool SameState(const struct stat& before, const struct stat& after)
{
    return after.st_size == before.st_size && after.st_mtim.tv_sec == before.st_mtim.tv_sec &&
           after.st_mtim.tv_nsec == before.st_mtim.tv_nsec &&
           after.st_ctim.tv_sec == before.st_ctim.tv_sec &&
           after.st_ctim.tv_nsec == before.st_ctim.tv_nsec;
}

}  // namespace

std::optional<WriteResult> IsoCopyWriter::CopyInput(PositionWork& work, int out,
                                                    std::uint64_t size)
{
    const CopyOutcome copied = CopyFileData(
        input_fd_, out, size,
        [&work, size](std::uint64_t done) {
            work.Progress().Publish(static_cast<double>(done), static_cast<double>(size));
            work.BetweenChunks();
        },
        [&work] { return work.CancelRequested(); });
    switch (copied.result) {
    case CopyOutcome::Result::kDone:
        break;
    case CopyOutcome::Result::kCancelled:
        return WriteResult::Cancelled();
    case CopyOutcome::Result::kFailed:
        return WriteResult::Failed(Failure(copied.failed_side == CopyOutcome::Side::kInput
                                               ? Failure::kReadInput
                                               : Failure::kWriteOutput,
                                           AVERROR(copied.error)));
    }
    return std::nullopt;
}

std::optional<Failure> IsoCopyWriter::CheckWritten(int out, std::uint64_t size,
                                                   const std::vector<IsoMatrixPatch>& patches) const
{
    // A slip of the box reader must never end as "done": the copy is whole,
    // holds the matrices where they were meant to go, and libavformat, as
    // players read it, shows the rotation asked for.
    struct stat written {};
    if (::fstat(out, &written) != 0 || static_cast<std::uint64_t>(written.st_size) != size)
        return Failure(Failure::kCompleteOutput, AVERROR(EIO));
    const MatrixCheck check = VerifyMatrices(out, patches);
    if (check.read_error != 0)
        return Failure(Failure::kCompleteOutput, AVERROR(check.read_error));
    Failure notWritten(Failure::kRotationNotWritten);
    notWritten.wanted_cw = patches.empty() ? 0 : MatrixRotationCw(patches.front().matrix);
    notWritten.found_cw = ReportedRotationCw(out, size, inspection_.sample_tables);
    if (!check.matches || notWritten.found_cw != notWritten.wanted_cw)
        return notWritten;
    return std::nullopt;
}

WriteResult IsoCopyWriter::Write(PositionWork& work)
{
    if (std::optional<Failure> refused = RefusedByInspection(inspection_))
        return WriteResult::Failed(std::move(*refused));

    const std::vector<IsoMatrixPatch> patches = TurnedMatrices(inspection_, work.RotationDeg());
    // The read-back reads the output, so it is opened for reading too.
    if (Failure notCreated = work.CreateOutput(O_RDWR); notCreated.failed())
        return WriteResult::Failed(std::move(notCreated));
    const int out = work.OutputFd();
    const std::uint64_t size = inspection_.file_size;
    // The copy must be of one state of the input: one rewritten meanwhile
    // (by an editor, a sync tool) would give a mixture of two files.
    struct stat before {};
    if (::fstat(input_fd_, &before) != 0)
        return WriteResult::Failed(Failure(Failure::kReadInput, AVERROR(errno)));

    if (std::optional<WriteResult> stopped = CopyInput(work, out, size))
        return std::move(*stopped);
    if (const int error = WriteMatrices(out, patches); error != 0)
        return WriteResult::Failed(Failure(Failure::kWriteOutput, AVERROR(error)));
    if (std::optional<Failure> wrong = CheckWritten(out, size, patches))
        return WriteResult::Failed(std::move(*wrong));
    struct stat after {};
    if (::fstat(input_fd_, &after) != 0 || !SameState(before, after))
        return WriteResult::Failed(Failure(Failure::kInputChanged));
    return work.Finish();
}
