#pragma once

#include <QLocale>
#include <QString>

#include <string>

// The language of the window's own texts. The LANGUAGE setting decides when it names German,
// French, Spanish or English, as a language file's name ("Deutsch"), an English name
// ("German") or a code ("de", "de_DE"); anything else leaves it to the system's locale.
// The keyed texts of the language files are not touched here. Interface thread only.

// "de", "fr", "es" or "en".
QString ChooseWindowLanguage(const std::string& setting, const QLocale& system);

// Replaces the translations installed before with the window's and Qt's own for that
// language; English installs none. False when the window's translation could not be loaded.
bool InstallWindowTranslations(const QString& language);
