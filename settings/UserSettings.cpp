#include "UserSettings.h"

#include "AppFolders.h"
#include "AtomicFile.h"

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
    CreateFileWithoutReplacing(target, bytes);
    return Present(target);
}
