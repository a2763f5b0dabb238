#pragma once

#include <QApplication>
#include <QStringList>
#include <functional>

class CFennexAVConverterDlg;

// The application object: prepares the process and runs the main window.
class CFennexAVConverterApp : public QApplication
{
    Q_OBJECT

public:
    CFennexAVConverterApp(int& argc, char** argv);

    // Runs the main window, with the files named on the command line, until
    // it is closed; closing it ends the process with exit code 0, so this
    // returns only when the window ended some other way. The result is the
    // process exit code.
    int InitInstance();
    int ExitInstance();

    // InitInstance with the files given here. ready, when set, is called
    // once the window is shown and the adding of files is queued, before
    // the event loop runs: a test program's way in.
    int RunWindow(const QStringList& files,
                  const std::function<void(CFennexAVConverterDlg&)>& ready = {});
};
