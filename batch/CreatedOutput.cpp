#include "batch/CreatedOutput.h"

#include "batch/FileNames.h"
#include "batch/SafeMove.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// What lstat would say, with the birth time where the file system keeps it.
bool Look(const std::string& path, struct statx& info)
{
    return !path.empty() && ::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW,
                                    STATX_TYPE | STATX_INO | STATX_BTIME, &info) == 0;
}

bool SameInode(const struct statx& info, const CreatedFile& file)
{
    return S_ISREG(info.stx_mode) &&
           static_cast<std::uint64_t>(makedev(info.stx_dev_major, info.stx_dev_minor)) ==
               file.device &&
           info.stx_ino == file.inode;
}

std::uint64_t Nanoseconds(const struct statx_timestamp& time)
{
    return static_cast<std::uint64_t>(time.tv_sec) * 1000000000u + time.tv_nsec;
}

}  // namespace

std::uint64_t BirthTimeOf(const CreatedFile& file)
{
    struct statx info {};
    if (!Look(file.path, info) || !SameInode(info, file) || !(info.stx_mask & STATX_BTIME))
        return 0;
    return Nanoseconds(info.stx_btime);
}

bool IsStillCreatedFile(const CreatedFile& file, std::uint64_t born)
{
    struct statx info {};
    if (!Look(file.path, info) || !SameInode(info, file))
        return false;
    return born == 0 || !(info.stx_mask & STATX_BTIME) || Nanoseconds(info.stx_btime) == born;
}

bool RemoveCreatedFile(const CreatedFile& file, std::uint64_t born)
{
    return IsStillCreatedFile(file, born) && ::unlink(file.path.c_str()) == 0;
}

int MoveToFinalName(CreatedFile& file, const std::string& base, const std::string& extension,
                    std::uint64_t born)
{
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (!IsStillCreatedFile(file, born))
            return ENOENT;
        const std::string target = FinalOutputName(file.path, base, extension);
        if (target == file.path)
            return 0;
        // A file that appeared under target after the free-name check is
        // never replaced: the next free name is tried instead.
        const int error = MoveWithoutReplacing(file.path, target);
        if (error == 0) {
            file.path = target;
            return 0;
        }
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
}
