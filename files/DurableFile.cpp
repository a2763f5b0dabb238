#include "files/DurableFile.h"

#include "files/FileWrite.h"
#include "files/SafeMove.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

// Writes bytes into a new temporary file beside target, gives it mode when
// not 0, syncs and closes it. Returns its path, or "" (nothing left behind).
std::string WriteTemporary(const std::string& target, const std::string& bytes, mode_t mode)
{
    std::string tempPath;
    const int fd = CreateTemporary(target, tempPath);
    if (fd < 0)
        return std::string();
    bool ok = WriteAll(fd, bytes) == 0;
    if (ok && mode != 0)
        ok = ::fchmod(fd, mode) == 0;
    if (ok)
        ok = ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        ::unlink(tempPath.c_str());
        return std::string();
    }
    return tempPath;
}

void (*g_beforeReplaceRename)(const std::string&) = nullptr;

}  // namespace

void SetBeforeReplaceRename(void (*hook)(const std::string& tempPath))
{
    g_beforeReplaceRename = hook;
}

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

    const std::string tempPath = WriteTemporary(target, bytes, exists ? info.st_mode & 07777 : 0);
    if (tempPath.empty())
        return false;
    if (g_beforeReplaceRename)
        g_beforeReplaceRename(tempPath);
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        ::unlink(tempPath.c_str());
        return false;
    }
    SyncFolderOf(target);
    return true;
}

bool CreateFileWithoutReplacing(const std::string& path, const std::string& bytes)
{
    const std::string tempPath = WriteTemporary(path, bytes, 0);
    if (tempPath.empty())
        return false;
    if (MoveWithoutReplacing(tempPath, path) != 0) {
        ::unlink(tempPath.c_str());
        return false;
    }
    SyncFolderOf(path);
    return true;
}

int SyncData(int fd)
{
    return ::fdatasync(fd) == 0 ? 0 : errno;
}

void SyncFolderOf(const std::string& path)
{
    const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
