// Fills the main window with a few generated videos and saves it as PNG:
// empty.png (as started), window.png (files listed, second row selected),
// then runs them through a batch in which one file turns out cut short and
// saves message.png (the message at the end) and outcomes.png (done rows
// and the failed one). language-menu.png is the empty window with its
// language menu open. The videos lie deep in folders, as a user's do, so
// the list shows how a long path gives way in its middle.
//   fennex-screenshot [output folder] [language file, e.g. english.ini]
// "--first-start" for the language file starts as a fresh install does,
// in the language LANG picks.
#include "controls/CCheckListCtrl.h"
#include "tests/support/MediaFixtures.h"
#include "ui/CFennexAVConverterDlg.h"
#include "ui/DesktopHooks.h"
#include "ui/FileListColumns.h"
#include "ui/LanguageMenu.h"
#include "ui/RowPictures.h"
#include "ui/SelectedRowView.h"
#include "ui/screenshot/ScreenshotLanguage.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QThread>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidgetItem>
#include <cstdio>
#include <filesystem>

namespace {

// The videos the window lists, made in videos; their paths in list order.
QStringList MakeClips(const std::string& videos)
{
    struct Clip {
        const char* name;
        int width, height, fpsNum, fpsDen;
        double seconds;
        int rotation;  // the stored display rotation, clockwise
    };
    QStringList paths;
    // Stored at each of the four rotations: a phone's portrait clip is
    // stored landscape with a quarter turn.
    const Clip clips[] = {
        {"holiday-beach.mp4", 640, 360, 25, 1, 3.5, 0},
        {"phone-portrait.mov", 640, 360, 30000, 1001, 2.0, 90},
        {"garden-party.mkv", 480, 270, 24, 1, 4.0, 180},  // cut short before the batch
        {"old-camcorder.avi", 320, 240, 8, 1, 2.5, 0},
        {"upside-down.mp4", 640, 360, 25, 1, 2.0, 270},
    };
    for (const Clip& clip : clips) {
        MediaRecipe recipe;
        recipe.width = clip.width;
        recipe.height = clip.height;
        recipe.fps_num = clip.fpsNum;
        recipe.fps_den = clip.fpsDen;
        recipe.seconds = clip.seconds;
        recipe.rotation_cw = clip.rotation;
        const std::string path = videos + "/" + clip.name;
        const std::string error = MakeMediaFile(path, recipe);
        if (!error.empty()) {
            std::fprintf(stderr, "cannot make %s: %s\n", path.c_str(), error.c_str());
            continue;
        }
        paths.append(QString::fromStdString(path));
    }
    return paths;
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    const std::string program = UseLanguageFile(argc > 2 ? argv[2] : "");

    const std::string folder = MakeTempFolder("fennex-shot");
    const std::string videos = folder + "/Videos/2024 summer holiday/day three at the seaside";
    const std::string rotated = folder + "/rotated";
    QDir().mkpath(QString::fromStdString(videos));
    QDir().mkpath(QString::fromStdString(rotated));
    const QStringList paths = MakeClips(videos);

    const auto showBox = Desktop().showMessage;
    Desktop().showMessage = [](QWidget*, const QString& text) {
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
    };
    Desktop().openWithDefaultHandler = [](const QString&) {};

    CFennexAVConverterDlg dialog;
    dialog.endProcess = [] {};
    dialog.preFileWaitMs = 0;
    dialog.show();
    app.processEvents();
    const QString empty = outDir + QStringLiteral("/empty.png");
    dialog.grab().save(empty);

    // The window with a small window of its own over it, taking in what
    // reaches past its edge, at the screen's scale (a scale of 2 keeps its
    // detail).
    const auto withPopup = [&dialog](QWidget* popup) {
        const QRect box(dialog.mapFromGlobal(popup->pos()), popup->size());
        const QRect area = dialog.rect().united(box);
        const qreal scale = dialog.devicePixelRatioF();
        QPixmap both(area.size() * scale);
        both.setDevicePixelRatio(scale);
        both.fill(Qt::white);
        QPainter painter(&both);
        painter.drawPixmap(-area.topLeft(), dialog.grab());
        painter.drawPixmap(box.topLeft() - area.topLeft(), popup->grab());
        painter.end();
        return both;
    };

    // The language menu open over the window.
    dialog.Languages()->Open();
    app.processEvents();
    const QPixmap withMenu = withPopup(dialog.Languages()->Menu());
    const QString languageMenu = outDir + QStringLiteral("/language-menu.png");
    const bool menuSaved = withMenu.save(languageMenu);
    dialog.Languages()->Menu()->hide();

    dialog.AddDroppedFiles(paths);
    dialog.OutputCombo()->setEditText(QString::fromStdString(rotated));
    // Rows with turns of their own beside rows that follow the group; the
    // pictures show each file as it will be after the batch.
    const int rows = dialog.FileList()->GetItemCount();
    if (rows > 4) {
        dialog.SetRowTurn(1, 270);
        dialog.SetRowTurn(4, 180);
        dialog.SetRowTurn(3, 0);  // nothing to turn: Start leaves it out
    }
    if (rows > 1)
        dialog.FileList()->topLevelItem(1)->setSelected(true);
    RowPictures& pictures = dialog.Pictures();
    for (int k = 0; k < 600; ++k) {
        bool all = true;
        for (int row = 0; row < rows; ++row)
            all = all && pictures.Picture(dialog.Rows().At(row).id) != nullptr;
        app.processEvents();
        if (all)
            break;
        QThread::msleep(10);
    }
    app.processEvents();
    const QString full = outDir + QStringLiteral("/window.png");
    bool saved = dialog.grab().save(full);

    // The larger view of the first sideways row's picture, now and after,
    // as hovering it shows it over the window.
    const QString larger = outDir + QStringLiteral("/larger-view.png");
    if (rows > 1) {
        QWidget* viewport = dialog.FileList()->viewport();
        const QRect picture = dialog.PictureRect(1);
        QToolTip::showText(viewport->mapToGlobal(picture.center()), dialog.RowLargerView(1),
                           viewport, picture);
        app.processEvents();
        QWidget* tip = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->inherits("QTipLabel") && widget->isVisible())
                tip = widget;
        if (tip) {
            saved = withPopup(tip).save(larger) && saved;
        } else {
            std::fprintf(stderr, "no tooltip to take a picture of\n");
            saved = false;
        }
        QToolTip::hideText();
        // The same view beside the highlighted row while the list has the focus.
        dialog.activateWindow();
        dialog.FileList()->setFocus();
        dialog.FileList()->clearSelection();
        dialog.FileList()->topLevelItem(1)->setSelected(true);
        for (int k = 0; k < 100 && !dialog.SelectedView()->isVisible(); ++k) {
            app.processEvents();
            QThread::msleep(10);
        }
        if (dialog.SelectedView()->isVisible()) {
            saved = withPopup(dialog.SelectedView()).save(outDir + "/selected-view.png") && saved;
        } else {
            std::fprintf(stderr, "no view of the highlighted row to take a picture of\n");
            saved = false;
        }
        dialog.FileList()->clearFocus();
        app.processEvents();
    }
    // Wider: the paths and the captions beside the pictures whole.
    const QSize normalSize = dialog.size();
    dialog.resize(1000, 520);
    app.processEvents();
    const QString wide = outDir + QStringLiteral("/window-wide.png");
    saved = dialog.grab().save(wide) && saved;
    dialog.resize(normalSize);
    app.processEvents();

    // The batch: the third file lost its second half after it was listed.
    const std::string cut = videos + "/garden-party.mkv";
    std::filesystem::resize_file(cut, std::filesystem::file_size(cut) / 2);
    const QString message = outDir + QStringLiteral("/message.png");
    bool messageSaved = false;
    Desktop().showMessage = [&](QWidget* parent, const QString& text) {
        QTimer::singleShot(100, parent, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                messageSaved = box->grab().save(message);
                box->accept();
            }
        });
        showBox(parent, text);
    };
    dialog.OnStart();
    for (int row = 0; row < dialog.FileList()->GetItemCount(); ++row)
        dialog.FileList()->topLevelItem(row)->setSelected(false);
    app.processEvents();
    const QString outcomes = outDir + QStringLiteral("/outcomes.png");
    saved = dialog.grab().save(outcomes) && messageSaved && menuSaved && saved;
    std::printf("%s\n%s\n%s\n%s\n%s\n%s\n%s\n", empty.toUtf8().constData(),
                languageMenu.toUtf8().constData(), full.toUtf8().constData(),
                larger.toUtf8().constData(), wide.toUtf8().constData(),
                message.toUtf8().constData(), outcomes.toUtf8().constData());

    RemoveTree(folder);
    if (!program.empty())
        RemoveTree(program);
    return saved ? 0 : 1;
}
