#include "settings/AppFolders.h"

#include "settings/ExeFolder.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const kFolderName = "FennexAVConverter";

bool IsFile(const std::string& path)
{
    std::error_code error;
    return fs::is_regular_file(path, error);
}

bool IsFolder(const std::string& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

// $variable when it is an absolute path, else $HOME + fallback.
std::string XdgFolder(const EnvLookup& env, const char* variable, const char* fallback)
{
    const char* value = env(variable);
    if (value && value[0] == '/')
        return value;
    const char* home = env("HOME");
    return std::string(home ? home : "") + fallback;
}

const char* ProcessEnv(const char* name)
{
    const char* value = std::getenv(name);
    if (value && value[0])
        return value;
    if (std::string(name) == "HOME") {
        // A login without HOME still has a home folder.
        if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
            return entry->pw_dir;
    }
    return nullptr;
}

}  // namespace

bool IsWritableFolder(const std::string& folder)
{
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

AppFolders DecideAppFolders(const std::string& exeFolder, const EnvLookup& env,
                            const WritableCheck& writable)
{
    AppFolders folders;
    folders.state = XdgFolder(env, "XDG_STATE_HOME", "/.local/state") + "/" + kFolderName;
    const bool hasSettings = IsFile(exeFolder + "/setting.ini");
    if (hasSettings && writable(exeFolder)) {
        folders.portable = true;
        folders.settings = exeFolder;
        folders.data = exeFolder;
        return folders;
    }
    folders.portable = false;
    folders.settings = XdgFolder(env, "XDG_CONFIG_HOME", "/.config") + "/" + kFolderName;
    const std::string share =
        (fs::path(exeFolder).parent_path() / "share" / kFolderName).lexically_normal().string();
    folders.data = IsFolder(share) || !hasSettings ? share : exeFolder;
    return folders;
}

AppFolders CurrentAppFolders()
{
    if (ExeFolderOverridden()) {
        AppFolders folders = DecideAppFolders(ExeFolder(), ProcessEnv);
        folders.portable = true;
        folders.settings = ExeFolder();
        folders.data = ExeFolder();
        return folders;
    }
    return DecideAppFolders(ExeFolder(), ProcessEnv);
}

std::string SettingsFolder()
{
    return CurrentAppFolders().settings;
}

std::string DataFolder()
{
    return CurrentAppFolders().data;
}

std::string StateFolder()
{
    return CurrentAppFolders().state;
}

std::string SettingsFilePath()
{
    return SettingsFolder() + "/setting.ini";
}
