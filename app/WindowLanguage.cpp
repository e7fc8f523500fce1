#include "app/WindowLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QTranslator>

#include <memory>

namespace {

QString FromLocale(const QLocale& locale)
{
    switch (locale.language()) {
    case QLocale::German:
        return QStringLiteral("de");
    case QLocale::French:
        return QStringLiteral("fr");
    case QLocale::Spanish:
        return QStringLiteral("es");
    default:
        return QStringLiteral("en");
    }
}

// The language a setting names, or nothing when it names none of ours.
QString FromSetting(const std::string& setting)
{
    const QString name = QString::fromStdString(setting).trimmed().toLower();
    if (name.isEmpty())
        return {};
    // The language files' own names, with and without their accents, and the English names.
    static const std::pair<const char*, const char*> names[] = {
        { "deutsch", "de" },
        { "german", "de" },
        { "fran\u00e7ais", "fr" },
        { "francais", "fr" },
        { "french", "fr" },
        { "espa\u00f1ol", "es" },
        { "espanol", "es" },
        { "spanish", "es" },
        { "english", "en" },
    };
    for (const auto& [known, code] : names)
        if (name == QString::fromUtf8(known))
            return QString::fromLatin1(code);
    // A code, with or without a country and encoding: "de", "fr_CA", "es-ES.UTF-8".
    static const QRegularExpression code(QStringLiteral("^([a-z]{2})([_-][a-z0-9]+)?(\\.[a-z0-9-]+)?$"));
    const QRegularExpressionMatch match = code.match(name);
    if (!match.hasMatch())
        return {};
    const QString language = match.captured(1);
    for (const char* ours : { "de", "fr", "es", "en" })
        if (language == QLatin1String(ours))
            return language;
    return {};
}

std::unique_ptr<QTranslator>& Installed(int which)
{
    static std::unique_ptr<QTranslator> translators[2];
    return translators[which];
}

} // namespace

QString ChooseWindowLanguage(const std::string& setting, const QLocale& system)
{
    const QString chosen = FromSetting(setting);
    return chosen.isEmpty() ? FromLocale(system) : chosen;
}

bool InstallWindowTranslations(const QString& language)
{
    for (int which : { 0, 1 }) {
        if (Installed(which))
            QCoreApplication::removeTranslator(Installed(which).get());
        Installed(which).reset();
    }
    if (language == QLatin1String("en"))
        return true;
    const QString files[2] = {
        QStringLiteral(":/i18n/kestrova_%1.qm").arg(language),
        // Qt's own texts: the standard buttons, the file dialog. Missing when Qt's
        // translations are not installed, which leaves those in English.
        QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_%1.qm").arg(language),
    };
    bool ours = false;
    for (int which : { 0, 1 }) {
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(files[which]))
            continue;
        QCoreApplication::installTranslator(translator.get());
        Installed(which) = std::move(translator);
        ours = ours || which == 0;
    }
    return ours;
}
