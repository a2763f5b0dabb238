#pragma once

#include <string>

struct AppFolders;

// mkdir -p for a folder of the user's own: each folder it makes gets mode
// 0700. True when the folder exists afterwards.
bool MakeUserFolders(const std::string& folder);

// In the installed layout, gives the user a setting.ini of their own before
// anything reads it: creates the settings folder (each folder it makes gets
// mode 0700) and, when no setting.ini is there, a copy of the default one
// from the data folder. The copy appears whole or not at all, and it never
// replaces anything: a file (or link) of that name that is there, or that
// appears meanwhile, stays as it is. Without a default only the folder is
// made, and the first write creates the file. The portable layout needs
// nothing. True when the settings folder holds a setting.ini afterwards.
bool PrepareUserSettings(const AppFolders& folders);
