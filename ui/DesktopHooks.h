#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QFontMetrics;
class QMessageBox;
class QWidget;

// What the dialogs ask of the desktop, in one replaceable place: the file
// and folder choosers, opening a folder with the desktop's
// default handler, and the message boxes. The program uses the defaults;
// tests replace single members to answer choosers and observe messages.
struct DesktopHooks {
    // Multi-select open dialog opening in folder; an empty list when the
    // user cancels.
    std::function<QStringList(QWidget* parent, const QString& filter, const QString& folder)>
        chooseFiles;
    // Folder chooser; an empty string when the user cancels.
    std::function<QString(QWidget* parent, const QString& title)> chooseFolder;
    // Opens a local folder with the desktop's default handler (the target is
    // taken as a path, never as an address).
    std::function<void(const QString& target)> openWithDefaultHandler;
    // Warning box with an OK button, titled with ApplicationName().
    std::function<void(QWidget* parent, const QString& text)> showMessage;
    // Box for a failed file operation: names the file and the cause.
    std::function<void(QWidget* parent, const QString& path, int errorNumber)> showFileError;
    // Question box with Yes and No, titled with ApplicationName(); true for Yes.
    std::function<bool(QWidget* parent, const QString& text)> askYesNo;
};

// The process-wide hooks, initialised with the desktop defaults.
DesktopHooks& Desktop();

// Restores every hook to its desktop default.
void ResetDesktopHooks();

// The application name used as the title of message boxes: the executable's
// file name without its extension.
QString ApplicationName();

// The width a message box needs so that the window frame shows its whole
// title: the title's advance in the title font and room for the frame's
// icon and buttons.
int MessageBoxWidthForTitle(const QString& title, const QFontMetrics& titleMetrics);

// Makes a message box at least as wide as its title needs (a box sizes
// itself for its text only).
void FitMessageBoxToTitle(QMessageBox& box);
