#include "files/SafeMove.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int MoveWithoutReplacing(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    const int error = errno;
    if (error != EINVAL && error != ENOSYS && error != ENOTSUP)
        return error;

    // The file system cannot refuse to replace on its own (some network and
    // FUSE file systems): a hard link refuses an existing target, then the
    // old name goes.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    const int linkError = errno;
    if (linkError == EEXIST || linkError == ENOENT || linkError == EACCES)
        return linkError;
    // No hard links either (FAT and the like): look before moving. The gap
    // between the look and the move is the best such a file system allows.
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0)
        return EEXIST;
    if (std::rename(from.c_str(), to.c_str()) == 0)
        return 0;
    return errno;
}
