#pragma once

#include <string>

// The screenshot tools show the window in the language file named on their
// command line: a temporary program folder holds the program's language
// files and a setting.ini naming that one, and the window reads from it.
// Returns the folder (to remove at the end); "" when no file is named, and
// the program's own settings are used. "--first-start" lays out a
// setting.ini that names no language file, as a fresh install has, so the
// desktop's locale (LANG) picks one.
std::string UseLanguageFile(const std::string& languageFile);
