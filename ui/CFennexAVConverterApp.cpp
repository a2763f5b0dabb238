#include "ui/CFennexAVConverterApp.h"

#include "settings/AppFolders.h"
#include "settings/UserSettings.h"
#include "ui/CFennexAVConverterDlg.h"
#include "ui/MainWindowStart.h"
#include "ui/QuitSignals.h"
#include "ui/QtTranslations.h"

#include <QDir>

CFennexAVConverterApp::CFennexAVConverterApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("FennexAVConverter"));
    // Ties the window to its menu entry (icon and name on Wayland).
    setDesktopFileName(QStringLiteral("FennexAVConverter"));
}

int CFennexAVConverterApp::InitInstance()
{
    return RunWindow(FilesFromArguments(arguments(), QDir::currentPath()));
}

int CFennexAVConverterApp::RunWindow(const QStringList& files,
                                     const std::function<void(CFennexAVConverterDlg&)>& ready)
{
    // An installed program starts each user from the default settings.
    PrepareUserSettings(CurrentAppFolders());
    // Before any dialog exists: the desktop's own dialogs and buttons then
    // speak the language of the window's texts.
    InstallQtTranslations(*this, CurrentLanguageLocale());

    CFennexAVConverterDlg dialog;
    // Asked to end (logout, kill), the program closes as the close button
    // does: settings written, a running batch stopped and its inputs named
    // as before.
    const QuitSignals quit([&dialog] { dialog.RequestClose(); });
    StartMainWindow(dialog, files);
    if (ready)
        ready(dialog);
    dialog.exec();
    return ExitInstance();
}

int CFennexAVConverterApp::ExitInstance()
{
    return 0;
}
