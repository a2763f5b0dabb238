#pragma once

#include "settings/AppFolders.h"

#include <functional>
#include <string>

// The README the Help link opens, by layout: a portable copy's lies beside
// the program (the build lays one out there); an installed program's in
// <prefix>/share/doc/FennexAVConverter, found from the data folder
// <prefix>/share/FennexAVConverter. An installed program whose data folder
// is not under a share/ folder (a read-only copy serving its own files)
// looks beside its data.
std::string ReadmePath(const AppFolders& folders);

// What the Help link opens: the README when it is there; else the language
// file's [APPLICATION] url when it gives one; else the README's path, so
// the link says what is missing.
std::string HelpTarget(const AppFolders& folders, const std::string& languageUrl,
                       const std::function<bool(const std::string&)>& isFile);
// The same for this process, checking the file system.
std::string HelpTarget(const std::string& languageUrl);
