// Runs a real batch of generated videos through the main window and saves
// the progress dialog in mid-batch as progress.png, then stops the batch.
// The videos lie deep in folders, so the file row shows how a long path
// gives way in its middle while the percentage stays.
//   fennex-progress-screenshot [output folder] [language file, e.g. english.ini]
#include "controls/CCheckListCtrl.h"
#include "controls/CLabel.h"
#include "tests/support/MediaFixtures.h"
#include "ui/CAVConvertDlg.h"
#include "ui/CFennexAVConverterDlg.h"
#include "ui/DesktopHooks.h"
#include "ui/screenshot/ScreenshotLanguage.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    const std::string program = UseLanguageFile(argc > 2 ? argv[2] : "");

    const std::string folder = MakeTempFolder("fennex-progress-shot");
    const std::string output = folder + "/rotated";
    QDir().mkpath(QString::fromStdString(output));
    const std::string videos = folder + "/Videos/2024 summer holiday/day three at the seaside";
    QDir().mkpath(QString::fromStdString(videos));
    QStringList paths;
    for (const char* name :
         {"holiday-beach.mp4", "phone-portrait.mov", "garden-party.mkv", "old-camcorder.avi"}) {
        MediaRecipe recipe;
        recipe.seconds = 2.0;
        const std::string path = videos + "/" + name;
        if (MakeMediaFile(path, recipe).empty())
            paths.append(QString::fromStdString(path));
    }

    Desktop().showMessage = [](QWidget*, const QString& text) {
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
    };
    Desktop().openWithDefaultHandler = [](const QString&) {};

    CFennexAVConverterDlg dialog;
    dialog.endProcess = [] {};
    dialog.show();
    dialog.AddDroppedFiles(paths);
    dialog.OutputCombo()->setEditText(QString::fromStdString(output));

    // Taken once the second file is in work and a tick has shown it.
    const QString picture = outDir + QStringLiteral("/progress.png");
    bool saved = false;
    QTimer watcher;
    watcher.setInterval(50);
    QObject::connect(&watcher, &QTimer::timeout, &dialog, [&] {
        CAVConvertDlg* progress = dialog.ProgressDialog();
        if (saved || !progress || !progress->isVisible())
            return;
        if (dialog.BatchWorkerPosition() < 1 ||
            !progress->BatchLine()->text().startsWith(QLatin1Char('1')))
            return;
        saved = progress->grab().save(picture);
        progress->StopButton()->click();
    });
    watcher.start();
    dialog.OnStart();

    std::printf("%s\n", picture.toUtf8().constData());
    RemoveTree(folder);
    if (!program.empty())
        RemoveTree(program);
    return saved ? 0 : 1;
}
