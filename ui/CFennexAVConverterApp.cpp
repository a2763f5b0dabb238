#include "CFennexAVConverterApp.h"

#include "AppFolders.h"
#include "CFennexAVConverterDlg.h"
#include "UserSettings.h"

#include <QTimer>
#include <cstdlib>

CFennexAVConverterApp::CFennexAVConverterApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("FennexAVConverter"));
}

int CFennexAVConverterApp::InitInstance()
{
    // An installed program starts each user from the default settings.
    PrepareUserSettings(CurrentAppFolders());

    CFennexAVConverterDlg dialog;
    dialog.show();

    // Unattended runs (the start-up tests) ask the window to close itself a
    // moment after start-up, through the same path as the close button.
    if (const char* delay = std::getenv("FENNEX_CLOSE_AFTER_MS")) {
        const int ms = std::atoi(delay);
        QTimer::singleShot(ms > 0 ? ms : 0, &dialog, [&dialog] { dialog.close(); });
    }

    dialog.exec();
    return ExitInstance();
}

int CFennexAVConverterApp::ExitInstance()
{
    return 0;
}
