#pragma once

#include <string>
#include <utility>
#include <vector>

// File name of the current language file, from setting.ini [LANGUAGE] file.
extern std::string g_languageFile;

// One text per key of the language catalogue, grouped by section.
// Empty until ReadLanguageTexts runs, and for every missing key.
struct LanguageTexts {
    struct Application {
        std::string name, version, url;
    } application;
    struct Jiemian {
        std::string zysybrj, ywj, spgs, spcd, spdx, zl, zt, zb, symtwj, sywj, ywjyy, dqwj, zgwj, tz;
    } jiemian;
    struct Tishi {
        std::string wj, wx, qxtjsp, mlbcz, wjwc, wjwczg, wj1, wc, sb, hbsb;
        // A done file's note of what it left out, %1 for the streams' names.
        std::string wbl;
    } tishi;
    struct Hint {
        std::string hbcygwj, tjspwj, sc;
    } hint;
    // The captions of the bitmap buttons, for screen readers: add, remove,
    // remove all, start, open folder, browse.
    struct Anniu {
        std::string tj, sc, scsywj, ks, dkml, ll;
    } anniu;
};

// The process-wide texts.
extern LanguageTexts g_texts;

// DataFolder() + "/languages/" + g_languageFile.
std::string LanguageFilePath();

// DataFolder() + "/languages/" + languageFile, for a reader that takes the
// name from setting.ini itself each time (the progress dialog).
std::string LanguageFilePath(const std::string& languageFile);

// Reads every key of the catalogue from the file into texts; a missing file
// or key gives an empty text.
void ReadLanguageTexts(const std::string& languageFilePath, LanguageTexts& texts);

// Every (section, key) of the catalogue, in the order the texts are read.
std::vector<std::pair<std::string, std::string>> LanguageCatalogueKeys();
