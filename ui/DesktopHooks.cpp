#include "ui/DesktopHooks.h"

#include "ui/FileErrorText.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QUrl>

namespace {

// Room the frame takes beside the title: the window icon on the left, the
// close button (and on some desktops minimise and maximise) on the right,
// and the margins.
constexpr int kTitleBarAllowance = 140;

QMessageBox::StandardButton RunBox(QMessageBox::Icon icon, QWidget* parent, const QString& text,
                                   QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, ApplicationName(), text, buttons, parent);
    FitMessageBoxToTitle(box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

DesktopHooks DefaultHooks()
{
    DesktopHooks hooks;
    hooks.chooseFiles = [](QWidget* parent, const QString& filter, const QString& folder) {
        return QFileDialog::getOpenFileNames(parent, QString(), folder, filter);
    };
    hooks.chooseFolder = [](QWidget* parent, const QString& title) {
        return QFileDialog::getExistingDirectory(parent, title);
    };
    hooks.openWithDefaultHandler = [](const QString& target) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(target));
    };
    hooks.showMessage = [](QWidget* parent, const QString& text) {
        RunBox(QMessageBox::Warning, parent, text, QMessageBox::Ok);
    };
    hooks.showFileError = [](QWidget* parent, const QString& path, int errorNumber) {
        RunBox(QMessageBox::Critical, parent, FileErrorText(path, errorNumber), QMessageBox::Ok);
    };
    hooks.askYesNo = [](QWidget* parent, const QString& text) {
        return RunBox(QMessageBox::Question, parent, text, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    };
    return hooks;
}

}  // namespace

DesktopHooks& Desktop()
{
    static DesktopHooks hooks = DefaultHooks();
    return hooks;
}

void ResetDesktopHooks()
{
    Desktop() = DefaultHooks();
}

QString ApplicationName()
{
    const QString exe = QCoreApplication::applicationFilePath();
    if (exe.isEmpty())
        return QStringLiteral("FennexAVConverter");
    return QFileInfo(exe).completeBaseName();
}

int MessageBoxWidthForTitle(const QString& title, const QFontMetrics& titleMetrics)
{
    return titleMetrics.horizontalAdvance(title) + kTitleBarAllowance;
}

void FitMessageBoxToTitle(QMessageBox& box)
{
    // Frames draw the title in a bold variant of the application's font
    // at most; measuring that errs on the wide side.
    QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    titleFont.setBold(true);
    const int width = MessageBoxWidthForTitle(box.windowTitle(), QFontMetrics(titleFont));
    // The box fixes its own size from its layout: a spacer across the
    // layout's bottom is the way to make it wider.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
}
