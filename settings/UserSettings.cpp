#include "settings/UserSettings.h"

#include "settings/AppFolders.h"
#include "files/DurableFile.h"
#include "settings/IniDocument.h"

#include <cerrno>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace {

bool Present(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

bool MakeUserFolders(const std::string& folder)
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

bool PrepareUserSettings(const AppFolders& folders)
{
    const std::string target = folders.settings + "/setting.ini";
    if (folders.portable)
        return Present(target);
    if (!MakeUserFolders(folders.settings))
        return false;
    if (Present(target))
        return true;
    const std::optional<std::string> bytes = ReadIniFileBytes(folders.data + "/setting.ini");
    if (!bytes)
        return false;
    CreateFileWithoutReplacing(target, *bytes);
    return Present(target);
}
