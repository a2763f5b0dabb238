#include "ui/MainWindowStart.h"

#include "ui/CFennexAVConverterDlg.h"

#include <QTimer>

QStringList FilesFromArguments(const QStringList& arguments, const QString& folder)
{
    const QString base = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    QStringList files;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument.isEmpty())
            continue;
        if (argument.startsWith(QLatin1Char('/')))
            files.append(argument);
        else if (argument.startsWith(QLatin1String("./")))
            files.append(base + argument.mid(2));
        else
            files.append(base + argument);
    }
    return files;
}

void StartMainWindow(CFennexAVConverterDlg& dialog, const QStringList& files)
{
    dialog.show();
    if (!files.isEmpty())
        QTimer::singleShot(0, &dialog, [&dialog, files] { dialog.AddDroppedFiles(files); });
}
