#include "ui/QtTranslations.h"

#include "settings/AppFolders.h"
#include "settings/AppSettings.h"
#include "settings/IniFile.h"
#include "settings/LanguageTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

QString CurrentLanguageLocale()
{
    const std::string file = ReadLanguageFileName(SettingsFilePath());
    if (file.empty())
        return {};
    const std::string key = ReadText(LanguageFilePath(file), "APPLICATION", "locale", "");
    return QString::fromStdString(LanguageLocale(file, key));
}

QTranslator* InstallQtTranslations(QCoreApplication& app, const QString& locale)
{
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
    return translator;
}
