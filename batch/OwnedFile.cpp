#include "OwnedFile.h"

#include "FileNames.h"
#include "SafeMove.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string ChooseFreeName(const std::string& wanted, std::set<std::string>& taken)
{
    std::string candidate = NextFreeName(wanted, taken);
    taken.insert(candidate);
    return candidate;
}

std::optional<OwnedFile> ClaimWrittenFile(const std::string& path, std::time_t since)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::shared_ptr<const int> hold(new int(fd), [](const int* held) {
        ::close(*held);
        delete held;
    });
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1 || info.st_mtime < since)
        return std::nullopt;
    return OwnedFile{path, info.st_dev, info.st_ino, std::move(hold)};
}

bool IsStillOurs(const OwnedFile& file)
{
    if (!file.hold)
        return false;
    struct stat info {};
    return ::lstat(file.path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_dev == file.device &&
           info.st_ino == file.inode;
}

bool RemoveIfOurs(const OwnedFile& file)
{
    return IsStillOurs(file) && ::unlink(file.path.c_str()) == 0;
}

bool MoveToFinalName(OwnedFile& file, const std::string& extension, std::string& error)
{
    if (!IsStillOurs(file)) {
        error = "the written file is no longer there";
        return false;
    }
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string target = FinalOutputName(file.path, extension);
        if (target == file.path)
            return true;
        // Never replaces a file that appeared under target after the
        // free-name check.
        const int moveError = MoveWithoutReplacing(file.path, target);
        if (moveError == 0) {
            file.path = target;
            return true;
        }
        if (moveError != EEXIST) {
            error = std::strerror(moveError);
            return false;
        }
    }
    error = "no free name found";
    return false;
}
