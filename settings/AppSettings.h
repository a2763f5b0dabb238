#pragma once

#include <string>

// The keys of setting.ini other than the [JOIN] presets (PresetIndexes.h),
// each read and written afresh on every call. iniPath is normally
// SettingsFilePath().

// [LANGUAGE] file: the language file's name in the languages folder; empty
// when missing (LanguageChoice.h then picks one by the desktop's locale).
// Written when the user picks a language in the window.
std::string ReadLanguageFileName(const std::string& iniPath);
bool WriteLanguageFileName(const std::string& iniPath, const std::string& file);

// [PATH] name: the output folder; empty when missing.
std::string ReadOutputFolder(const std::string& iniPath);
bool WriteOutputFolder(const std::string& iniPath, const std::string& folder);

// [PATH] input: the folder files were last added from with the Add dialog;
// empty when missing.
std::string ReadAddFolder(const std::string& iniPath);
bool WriteAddFolder(const std::string& iniPath, const std::string& folder);

// [DIR] open: true exactly when the text is "1" (the default); "1 " or
// "true" mean false.
bool ReadOpenFolderAfterBatch(const std::string& iniPath);
bool WriteOpenFolderAfterBatch(const std::string& iniPath, bool open);

// [WINDOW] place: where the main window was and how large when it was last
// closed, "x,y,width,height,maximised" (maximised 0 or 1; the other four
// the window's size and place when not maximised, in the desktop's logical
// pixels). Absent or malformed reads as not valid: the window then starts
// at its default size where the desktop puts it.
struct WindowPlace {
    int x = 0, y = 0, width = 0, height = 0;
    bool maximised = false;
    bool valid = false;
};
WindowPlace ReadWindowPlace(const std::string& iniPath);
bool WriteWindowPlace(const std::string& iniPath, const WindowPlace& place);
