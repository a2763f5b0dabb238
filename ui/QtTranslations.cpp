#include "ui/QtTranslations.h"

#include "settings/AppFolders.h"
#include "settings/IniFile.h"
#include "settings/LanguageChoice.h"
#include "settings/LanguageTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace {

// The translator the last call installed; null once it is gone.
QPointer<QTranslator>& Installed()
{
    static QPointer<QTranslator> translator;
    return translator;
}

}  // namespace

QString CurrentLanguageLocale()
{
    const std::string file = LanguageFileInUse(SettingsFilePath());
    const std::string key = ReadText(LanguageFilePath(file), "APPLICATION", "locale", "");
    return QString::fromStdString(LanguageLocale(file, key));
}

QTranslator* InstallQtTranslations(QCoreApplication& app, const QString& locale)
{
    if (QTranslator* earlier = Installed()) {
        QCoreApplication::removeTranslator(earlier);
        delete earlier;
    }
    QLocale::setDefault(QLocale::system());
    if (locale.isEmpty())
        return nullptr;
    const QLocale language(locale);
    if (language.language() == QLocale::C)
        return nullptr;
    QLocale::setDefault(language);
    auto* translator = new QTranslator(&app);
    if (!translator->load(language, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return nullptr;
    }
    app.installTranslator(translator);
    Installed() = translator;
    return translator;
}
