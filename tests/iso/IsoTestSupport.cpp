#include "tests/iso/IsoTestSupport.h"

#include "tests/support/IsoFixtures.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

IsoInspection InspectPath(const std::string& path, IsoInspectDepth depth)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        IsoInspection failed;
        failed.verdict = IsoInspection::Verdict::kUnreadable;
        failed.read_error = errno;
        return failed;
    }
    IsoInspection inspection = InspectIsoFile(fd, depth);
    ::close(fd);
    return inspection;
}

RotatedCopy RotateByCopy(const std::string& in, const std::string& out, int degrees_cw,
                         const CopyOptions& options)
{
    RotatedCopy result;
    const int in_fd = ::open(in.c_str(), O_RDONLY | O_CLOEXEC);
    if (in_fd < 0) {
        result.failed = "open input: " + std::string(std::strerror(errno));
        return result;
    }
    const int out_fd = ::open(out.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out_fd < 0) {
        result.failed = "create output: " + std::string(std::strerror(errno));
        ::close(in_fd);
        return result;
    }
    result.inspection = InspectIsoFile(in_fd);
    if (result.inspection.verdict != IsoInspection::Verdict::kRewritable) {
        result.failed = "inspect: " + result.inspection.not_taken;
    } else {
        result.copy = CopyFileData(in_fd, out_fd, result.inspection.file_size, {}, {}, options);
        if (result.copy.result != CopyOutcome::Result::kDone) {
            result.failed = "copy: " + std::string(std::strerror(result.copy.error));
        } else {
            result.patches = TurnedMatrices(result.inspection, degrees_cw);
            if (const int error = WriteMatrices(out_fd, result.patches); error != 0) {
                result.failed = "write matrices: " + std::string(std::strerror(error));
            } else {
                result.check = VerifyMatrices(out_fd, result.patches);
                if (!result.check.matches)
                    result.failed = "verify: " + result.check.difference;
            }
        }
    }
    ::close(out_fd);
    ::close(in_fd);
    return result;
}

bool DiffersOnlyInMatrices(const std::string& a, const std::string& b,
                           const std::vector<std::uint64_t>& offsets, std::string* why)
{
    for (const auto& [first, last] : DifferingRanges(a, b)) {
        bool inside = false;
        for (const std::uint64_t offset : offsets)
            inside = inside || (first >= offset && last <= offset + 36);
        if (!inside) {
            if (why)
                *why = "bytes " + std::to_string(first) + ".." + std::to_string(last) +
                       " differ outside the matrices";
            return false;
        }
    }
    return true;
}
