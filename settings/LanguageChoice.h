#pragma once

#include "settings/AppFolders.h"

#include <string>
#include <vector>

// Which language file the windows speak, and the files a user can choose.

// The desktop's language for messages, as Qt's system locale reads it:
// the first of LC_ALL, LC_MESSAGES and LANG that is set and not empty
// ("en_US.UTF-8", "zh_CN.UTF-8", "C"); empty when none is.
std::string DesktopLocale(const EnvLookup& env);

// The shipped language file for a desktop locale: chinese.ini for any
// Chinese locale ("zh", "zh_CN.UTF-8", "zh_TW"), english.ini for anything
// else, "C", "POSIX" and no locale at all included.
std::string ShippedLanguageFor(const std::string& locale);

// The language file the windows use: the one setting.ini names when it
// names one (kept as it is, even when the file is missing), else the
// shipped file for the desktop's locale.
std::string ChosenLanguageFile(const std::string& namedFile, const std::string& locale);

// ChosenLanguageFile for setting.ini at iniPath ([LANGUAGE] file) and the
// environment given (the process's own by default).
std::string LanguageFileInUse(const std::string& iniPath);
std::string LanguageFileInUse(const std::string& iniPath, const EnvLookup& env);

// A language file a user can switch to.
struct LanguageChoice {
    std::string file;  // its name in the languages folder ("english.ini")
    std::string name;  // its [APPLICATION] language, else the file's name without ".ini"
};

// The language files (*.ini, case-insensitive) of the languages folder,
// by file name; empty when the folder cannot be read.
std::vector<LanguageChoice> AvailableLanguages(const std::string& languagesFolder);
