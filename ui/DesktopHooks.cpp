#include "ui/DesktopHooks.h"

#include "ui/FileErrorText.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace {

DesktopHooks DefaultHooks()
{
    DesktopHooks hooks;
    hooks.chooseFiles = [](QWidget* parent, const QString& filter) {
        return QFileDialog::getOpenFileNames(parent, QString(), QString(), filter);
    };
    hooks.chooseFolder = [](QWidget* parent, const QString& title) {
        return QFileDialog::getExistingDirectory(parent, title);
    };
    hooks.openWithDefaultHandler = [](const QString& target) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(target));
    };
    hooks.showMessage = [](QWidget* parent, const QString& text) {
        QMessageBox::warning(parent, ApplicationName(), text, QMessageBox::Ok);
    };
    hooks.showFileError = [](QWidget* parent, const QString& path, int errorNumber) {
        QMessageBox::critical(parent, ApplicationName(), FileErrorText(path, errorNumber),
                              QMessageBox::Ok);
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
