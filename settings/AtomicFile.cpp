#include "settings/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Opens a new, unique temporary file beside target with the permissions
// a newly created file would get.
int CreateTemporary(const std::string& target, std::string& tempPath)
{
    static std::atomic<unsigned> counter{0};
    const std::string stem =
        FolderOf(target) + "/." + NameOf(target) + ".tmp-" + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = stem + std::to_string(counter++);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

}  // namespace

bool ReplaceFileAtomically(const std::string& path, const std::string& bytes)
{
    if (path.empty())
        return false;

    std::string target = path;
    char resolved[PATH_MAX];
    struct stat info {};
    const bool exists = ::stat(path.c_str(), &info) == 0;
    if (exists) {
        if (!S_ISREG(info.st_mode) || (info.st_mode & 0222) == 0 ||
            ::access(path.c_str(), W_OK) != 0)
            return false;
        if (::realpath(path.c_str(), resolved))
            target = resolved;
    } else if (errno != ENOENT) {
        return false;
    }

    std::string tempPath;
    const int fd = CreateTemporary(target, tempPath);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, bytes);
    if (ok && exists)
        ok = ::fchmod(fd, info.st_mode & 07777) == 0;
    if (ok)
        ok = ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok)
        ok = ::rename(tempPath.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(tempPath.c_str());
        return false;
    }
    // Make the rename itself durable; its failure does not undo the write.
    const int folder = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

bool CreateFileWithoutReplacing(const std::string& path, const std::string& bytes)
{
    std::string tempPath;
    const int fd = CreateTemporary(path, tempPath);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok) {
        // A hard link fails on a taken name; where links are not possible,
        // a rename that refuses to replace does the same.
        ok = ::link(tempPath.c_str(), path.c_str()) == 0;
        if (!ok && errno != EEXIST)
            ok = ::renameat2(AT_FDCWD, tempPath.c_str(), AT_FDCWD, path.c_str(),
                             RENAME_NOREPLACE) == 0;
    }
    ::unlink(tempPath.c_str());
    return ok;
}
