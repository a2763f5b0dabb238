#pragma once

#include <functional>
#include <string>

// Where the program's files live.
//
// Portable (a setting.ini lies beside the executable and that folder is
// writable: the build tree, an unpacked folder): setting.ini and languages/
// beside the executable.
//
// Installed (anything else, such as /usr/bin): languages/ and the default
// setting.ini in <exe>/../share/FennexAVConverter, so an unpacked package
// runs in place (a read-only folder without share/ serves its own files as
// the data); the user's setting.ini in $XDG_CONFIG_HOME/FennexAVConverter,
// by default ~/.config/FennexAVConverter.
//
// The state folder is $XDG_STATE_HOME/FennexAVConverter (by default
// ~/.local/state/FennexAVConverter) in either layout, for files that must
// outlive a run when the settings folder cannot take them.
struct AppFolders {
    bool portable = true;
    std::string settings;  // folder of the user's setting.ini
    std::string data;      // folder of languages/ and the default setting.ini
    std::string state;     // the state folder
};

// Looks up an environment variable; nullptr when it is not set.
using EnvLookup = std::function<const char*(const char* name)>;
// True when the process may create files in the folder.
using WritableCheck = std::function<bool(const std::string& folder)>;

bool IsWritableFolder(const std::string& folder);

// The layout for a program in exeFolder. HOME comes from env as well; the
// XDG variables count only when they hold an absolute path.
AppFolders DecideAppFolders(const std::string& exeFolder, const EnvLookup& env,
                            const WritableCheck& writable = IsWritableFolder);

// The layout of this process, decided afresh on every call from ExeFolder()
// and the environment (HOME falls back to the password database). A folder
// given to OverrideExeFolder is taken as a portable program folder.
AppFolders CurrentAppFolders();

std::string SettingsFolder();  // CurrentAppFolders().settings
std::string DataFolder();      // CurrentAppFolders().data
std::string StateFolder();     // CurrentAppFolders().state

// SettingsFolder() + "/setting.ini": the file every setting is read from
// and written to.
std::string SettingsFilePath();
