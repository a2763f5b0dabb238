#pragma once

#include <string>

// The folder of the running executable, without a trailing '/'.
// AppFolders.h decides from it where setting.ini and languages/ live.
std::string ExeFolder();

// Tests point the program at a folder of their own, which then counts as a
// portable program folder (AppFolders.h) whatever it holds. An empty folder
// ends the override.
void OverrideExeFolder(const std::string& folder);
bool ExeFolderOverridden();
