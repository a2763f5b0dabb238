#pragma once

#include <string>

// The folder of the running executable, without a trailing '/'.
// setting.ini and languages/ are addressed from it.
std::string ExeFolder();

// Tests point the program at a folder of their own.
void OverrideExeFolder(const std::string& folder);

// ExeFolder() + "/setting.ini".
std::string SettingsFilePath();
