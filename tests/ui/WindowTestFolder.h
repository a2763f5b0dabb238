#pragma once

// A temporary program folder for the window tests: exe/ with languages/
// (and a setting.ini when a test writes one), plus a few media files made
// once for the whole test program.

#include "tests/support/TempFolder.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <string>

class CFennexAVConverterDlg;

struct WindowTestFolder {
    WindowTestFolder();

    TempFolder temp;
    std::string root;
    std::string exe;  // ExeFolder() of the dialog under test
    std::string ini() const { return exe + "/setting.ini"; }

    void WriteSettings(const std::string& text) const;
    // Puts the source tree's language file under exe/languages/.
    void CopyLanguageFile(const std::string& name) const;
};

// The main window as the program shows it, from the settings and language
// files in place, its end of process doing nothing; null when it never
// reached the screen.
std::unique_ptr<CFennexAVConverterDlg> OpenWindow();

// Media files shared by the tests (made on first use, removed at exit).
struct MediaSet {
    std::string folder;
    QString video320;   // 320x240, 25 fps, 2 s, MP4
    QString video640;   // 640x360, 30000/1001 fps, MOV
    QString video8fps;  // 160x120, 8 fps, MKV
    QString audioOnly;  // M4A, no video stream
};
const MediaSet& Media();
