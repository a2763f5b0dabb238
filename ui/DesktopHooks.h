#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// What the dialogs ask of the desktop, in one replaceable place: the file
// and folder choosers, opening a folder with the desktop's
// default handler, and the message boxes. The program uses the defaults;
// tests replace single members to answer choosers and observe messages.
struct DesktopHooks {
    // Multi-select open dialog; an empty list when the user cancels.
    std::function<QStringList(QWidget* parent, const QString& filter)> chooseFiles;
    // Folder chooser; an empty string when the user cancels.
    std::function<QString(QWidget* parent, const QString& title)> chooseFolder;
    // Opens a local folder with the desktop's default handler (the target is
    // taken as a path, never as an address).
    std::function<void(const QString& target)> openWithDefaultHandler;
    // Warning box with an OK button, titled with ApplicationName().
    std::function<void(QWidget* parent, const QString& text)> showMessage;
    // Box for a failed file operation: names the file and the cause.
    std::function<void(QWidget* parent, const QString& path, int errorNumber)> showFileError;
};

// The process-wide hooks, initialised with the desktop defaults.
DesktopHooks& Desktop();

// Restores every hook to its desktop default.
void ResetDesktopHooks();

// The application name used as the title of message boxes: the executable's
// file name without its extension.
QString ApplicationName();
