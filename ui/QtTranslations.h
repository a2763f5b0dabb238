#pragma once

#include <QString>

class QCoreApplication;
class QTranslator;

// The locale the current language file speaks (LanguageFileInUse: the file
// setting.ini names, else the desktop's; its [APPLICATION] locale or a guess
// from its name); empty when unknown.
QString CurrentLanguageLocale();

// Installs Qt's own translations (qtbase_<locale>.qm from Qt's translations
// folder) for locale, so the desktop's choosers and buttons speak the
// window's language, and makes it the default locale. The translator an
// earlier call installed is removed first, so a change of language leaves
// only the new one; a locale that is empty or has no catalogue then leaves
// Qt's own English and the desktop's locale. Returns the installed
// translator (owned by app), or null when no catalogue matches.
QTranslator* InstallQtTranslations(QCoreApplication& app, const QString& locale);
