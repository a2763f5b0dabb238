#include "UserSettings.h"

#include "AppFolders.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// mkdir -p, with 0700 for the folders it creates.
bool MakeFolders(const std::string& folder)
{
    if (folder.empty())
        return false;
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Present(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool ReadFile(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

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

// Writes bytes to a new file at target, never replacing one that is there.
bool CreateWithoutReplacing(const std::string& target, const std::string& bytes)
{
    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = target + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok) {
        // A hard link fails on a taken name; where links are not possible,
        // a rename that refuses to replace does the same.
        ok = ::link(temp.c_str(), target.c_str()) == 0;
        if (!ok && errno != EEXIST)
            ok = ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0;
    }
    ::unlink(temp.c_str());
    return ok;
}

}  // namespace

bool PrepareUserSettings(const AppFolders& folders)
{
    const std::string target = folders.settings + "/setting.ini";
    if (folders.portable)
        return Present(target);
    if (!MakeFolders(folders.settings))
        return false;
    if (Present(target))
        return true;
    std::string bytes;
    if (!ReadFile(folders.data + "/setting.ini", bytes))
        return false;
    CreateWithoutReplacing(target, bytes);
    return Present(target);
}
