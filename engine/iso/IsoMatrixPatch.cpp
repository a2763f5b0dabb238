#include "engine/iso/IsoMatrixPatch.h"

#include "files/FileWrite.h"

#include "engine/iso/IsoTrackMatrix.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

std::vector<IsoMatrixPatch> TurnedMatrices(const IsoInspection& inspection, int degrees_cw)
{
    std::vector<IsoMatrixPatch> patches;
    for (const IsoVideoTrack& track : inspection.video_tracks) {
        patches.push_back({track.matrix_offset, TurnTrackMatrix(track.matrix, degrees_cw,
                                                                track.width_fx, track.height_fx)});
    }
    return patches;
}

int WriteMatrices(int out_fd, const std::vector<IsoMatrixPatch>& patches)
{
    struct stat info {};
    if (::fstat(out_fd, &info) != 0)
        return errno;
    const auto size = static_cast<std::uint64_t>(info.st_size);
    // Every place is checked before the first write, so that a wrong list
    // changes nothing.
    for (const IsoMatrixPatch& patch : patches) {
        if (patch.offset > size || size - patch.offset < sizeof(TrackMatrixBytes))
            return EINVAL;
    }
    for (const IsoMatrixPatch& patch : patches) {
        const TrackMatrixBytes bytes = EncodeTrackMatrix(patch.matrix);
        if (const int error = WriteAllAt(out_fd, bytes.data(), bytes.size(), patch.offset);
            error != 0)
            return error;
    }
    return 0;
}

MatrixCheck VerifyMatrices(int fd, const std::vector<IsoMatrixPatch>& expected)
{
    MatrixCheck check;
    const IsoInspection found = InspectIsoFile(fd, IsoInspectDepth::kStructure);
    if (found.verdict == IsoInspection::Verdict::kUnreadable) {
        check.read_error = found.read_error;
        check.difference = "cannot be read";
        return check;
    }
    if (found.verdict != IsoInspection::Verdict::kRewritable) {
        check.difference = "does not read back whole: " + found.not_taken;
        return check;
    }
    if (found.video_tracks.size() != expected.size()) {
        check.difference = std::to_string(found.video_tracks.size()) + " video tracks, not " +
                           std::to_string(expected.size());
        return check;
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const IsoVideoTrack& track = found.video_tracks[i];
        if (track.matrix_offset != expected[i].offset) {
            check.difference = "video track " + std::to_string(i + 1) + " has its matrix at " +
                               std::to_string(track.matrix_offset) + ", not " +
                               std::to_string(expected[i].offset);
            return check;
        }
        if (track.matrix != expected[i].matrix) {
            check.difference = "video track " + std::to_string(i + 1) + " has another matrix";
            return check;
        }
    }
    check.matches = true;
    return check;
}
