#pragma once

#include <QApplication>

// The application object: prepares the process and runs the main window.
class CFennexAVConverterApp : public QApplication
{
    Q_OBJECT

public:
    CFennexAVConverterApp(int& argc, char** argv);

    // Runs the main window until it is closed; closing it ends the process
    // with exit code 0, so this returns only when the window ended some
    // other way. The result is the process exit code.
    int InitInstance();
    int ExitInstance();
};
