// The window's program with two ways in that only tests need, taken from
// its own command line, so that a test can hold a real batch and then kill
// or signal the process:
//   window_under_test [--pre-file-wait-ms MS] [--start-into FOLDER] [FILE...]
// --pre-file-wait-ms sets the worker's pause before each file; --start-into
// adds the files, types FOLDER as the output folder and presses Start once
// they are all listed. Everything else is the program as shipped.
#include "engine/ProcessSetUp.h"
#include "ui/CFennexAVConverterApp.h"
#include "ui/CFennexAVConverterDlg.h"
#include "ui/MainWindowStart.h"

#include <QDir>
#include <QTimer>

int main(int argc, char* argv[])
{
    SetUpProcess(false);
    CFennexAVConverterApp app(argc, argv);

    int waitMs = -1;
    QString folder;
    QStringList rest{app.arguments().value(0)};
    const QStringList arguments = app.arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--pre-file-wait-ms") && i + 1 < arguments.size()) {
            waitMs = arguments[++i].toInt();
        } else if (argument == QLatin1String("--start-into") && i + 1 < arguments.size()) {
            folder = arguments[++i];
        } else {
            rest << argument;
        }
    }
    const QStringList files = FilesFromArguments(rest, QDir::currentPath());

    return app.RunWindow(
        files, [waitMs, folder, count = files.size()](CFennexAVConverterDlg& dialog) {
            if (waitMs >= 0)
                dialog.preFileWaitMs = waitMs;
            if (folder.isEmpty())
                return;
            // The files are added while the event loop runs: Start once they
            // are all listed.
            auto* listed = new QTimer(&dialog);
            QObject::connect(listed, &QTimer::timeout, &dialog, [&dialog, folder, count, listed] {
                if (dialog.Rows().Count() < count)
                    return;
                listed->stop();
                dialog.m_outputFolder = folder;
                dialog.DoDataExchange(false);
                dialog.OnStart();
            });
            listed->start(10);
        });
}
