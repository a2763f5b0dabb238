#include "ui/screenshot/ScreenshotLanguage.h"

#include "settings/AppFolders.h"
#include "settings/ExeFolder.h"
#include "settings/IniFile.h"
#include "tests/support/TempFolder.h"

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

std::string UseLanguageFile(const std::string& languageFile)
{
    if (languageFile.empty())
        return "";
    const fs::path languages = fs::path(DataFolder()) / "languages";
    const bool firstStart = languageFile == "--first-start";
    if (!firstStart && !fs::is_regular_file(languages / languageFile)) {
        std::fprintf(stderr, "no language file %s in %s\n", languageFile.c_str(),
                     languages.c_str());
        return "";
    }
    const std::string folder = MakeTempFolder("fennex-shot-program");
    std::error_code error;
    fs::copy(languages, fs::path(folder) / "languages", error);
    if (error ||
        !WriteText(folder + "/setting.ini", "LANGUAGE", "file", firstStart ? "" : languageFile)) {
        std::fprintf(stderr, "cannot lay out %s\n", folder.c_str());
        RemoveTree(folder);
        return "";
    }
    OverrideExeFolder(folder);
    return folder;
}
