// Fills the main window with a few generated videos and saves it as PNG:
// window.png (files listed, second row selected) and empty.png (as started).
// The videos lie deep in folders, as a user's do, so the list shows how a
// long path gives way in its middle.
#include "controls/CCheckListCtrl.h"
#include "tests/support/MediaFixtures.h"
#include "ui/CFennexAVConverterDlg.h"
#include "ui/DesktopHooks.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPixmap>
#include <QTreeWidgetItem>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();

    const std::string folder = MakeTempFolder("fennex-shot");
    const std::string videos = folder + "/Videos/2024 summer holiday/day three at the seaside";
    QDir().mkpath(QString::fromStdString(videos));
    struct Clip {
        const char* name;
        int width, height, fpsNum, fpsDen;
        double seconds;
    };
    const Clip clips[] = {
        {"holiday-beach.mp4", 640, 360, 25, 1, 3.5},
        {"phone-portrait.mov", 360, 640, 30000, 1001, 2.0},
        {"garden-party.mkv", 480, 270, 24, 1, 1.5},
        {"old-camcorder.avi", 320, 240, 8, 1, 2.5},
    };
    QStringList paths;
    for (const Clip& clip : clips) {
        MediaRecipe recipe;
        recipe.width = clip.width;
        recipe.height = clip.height;
        recipe.fps_num = clip.fpsNum;
        recipe.fps_den = clip.fpsDen;
        recipe.seconds = clip.seconds;
        const std::string path = videos + "/" + clip.name;
        const std::string error = MakeMediaFile(path, recipe);
        if (!error.empty()) {
            std::fprintf(stderr, "cannot make %s: %s\n", path.c_str(), error.c_str());
            continue;
        }
        paths.append(QString::fromStdString(path));
    }

    Desktop().showMessage = [](QWidget*, const QString& text) {
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
    };

    CFennexAVConverterDlg dialog;
    dialog.endProcess = [] {};
    dialog.show();
    app.processEvents();
    const QString empty = outDir + QStringLiteral("/empty.png");
    dialog.grab().save(empty);

    dialog.AddDroppedFiles(paths);
    dialog.OutputCombo()->setEditText(QString::fromStdString(folder));
    if (dialog.FileList()->GetItemCount() > 1)
        dialog.FileList()->topLevelItem(1)->setSelected(true);
    app.processEvents();
    const QString full = outDir + QStringLiteral("/window.png");
    const bool saved = dialog.grab().save(full);
    std::printf("%s\n%s\n", empty.toUtf8().constData(), full.toUtf8().constData());

    RemoveTree(folder);
    return saved ? 0 : 1;
}
