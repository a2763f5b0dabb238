#include "files/CreatedFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

std::uint64_t Nanoseconds(const struct statx_timestamp& time)
{
    return static_cast<std::uint64_t>(time.tv_sec) * 1000000000u + time.tv_nsec;
}

std::uint64_t Device(const struct statx& info)
{
    return static_cast<std::uint64_t>(makedev(info.stx_dev_major, info.stx_dev_minor));
}

}  // namespace

bool CreatedFile::StillThere() const
{
    struct statx info {};
    if (path.empty() || ::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW,
                                STATX_TYPE | STATX_INO | STATX_BTIME, &info) != 0)
        return false;
    if (!S_ISREG(info.stx_mode) || Device(info) != device || info.stx_ino != inode)
        return false;
    return born == 0 || !(info.stx_mask & STATX_BTIME) || Nanoseconds(info.stx_btime) == born;
}

bool CreatedFile::RemoveIfStillOurs() const
{
    return StillThere() && ::unlink(path.c_str()) == 0;
}

int CreateExclusively(const std::string& path, int accessFlags, CreatedFile& file, int& fd)
{
    fd = ::open(path.c_str(), accessFlags | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    struct statx info {};
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_INO | STATX_BTIME, &info) != 0) {
        // Cannot happen on an open descriptor; without an identity the
        // file could never be removed safely, so it stays, empty.
        const int error = errno;
        ::close(fd);
        fd = -1;
        return error;
    }
    file.path = path;
    file.device = Device(info);
    file.inode = info.stx_ino;
    file.born = (info.stx_mask & STATX_BTIME) ? Nanoseconds(info.stx_btime) : 0;
    return 0;
}
