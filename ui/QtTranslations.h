#pragma once

#include <QString>

class QCoreApplication;
class QTranslator;

// The locale the current language file speaks (setting.ini [LANGUAGE] file,
// its [APPLICATION] locale or a guess from its name); empty when unknown.
QString CurrentLanguageLocale();

// Installs Qt's own translations (qtbase_<locale>.qm from Qt's translations
// folder) for locale, so the desktop's choosers and buttons speak the
// window's language, and makes it the default locale. Returns the installed
// translator (owned by app), or null when no catalogue matches.
QTranslator* InstallQtTranslations(QCoreApplication& app, const QString& locale);
