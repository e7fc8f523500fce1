#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTextDocumentFragment>
#include <optional>

#include "app/WindowLanguage.h"
#include "progress/CProgressDialog.h"
#include "tests/gui/OwnSettings.h"
#include "ui/CKestrovaDlg.h"
#include "ui/CSummaryDialog.h"

namespace {

// The texts a user reads on a window, by control (its name, or its text when it has none):
// labels, buttons and group titles.
QMap<QString, QString> VisibleTexts(QWidget& window)
{
    QMap<QString, QString> texts;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        QString text;
        if (auto* label = qobject_cast<QLabel*>(w))
            text = label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            text = button->text();
        else if (auto* group = qobject_cast<QGroupBox*>(w))
            text = group->title();
        else
            continue;
        texts[w->objectName().isEmpty() ? text : w->objectName()] = text;
    }
    return texts;
}

// The main window's texts and its menu's, the menu's keyed "menu " and their text.
QMap<QString, QString> WindowTexts(CKestrovaDlg& dlg)
{
    QMap<QString, QString> texts = VisibleTexts(dlg);
    dlg.OnShowMenu(nullptr);
    for (QAction* action : dlg.GetHelpMenu()->actions())
        if (!action->isSeparator())
            texts[QStringLiteral("menu ") + action->text()] = action->text();
    return texts;
}

// The summary after a stopped run, with the output folder to offer.
SummaryText StoppedRun() { return SummarizeRun({}, 3, true, 1500); }

// The mnemonic letter of a text, lower case, or nothing.
QChar Mnemonic(const QString& text)
{
    for (qsizetype i = text.indexOf('&'); i >= 0 && i + 1 < text.size(); i = text.indexOf('&', i + 2))
        if (text[i + 1] != '&')
            return text[i + 1].toLower();
    return {};
}

// A text as drawn: a mnemonic's ampersand is not shown, a doubled one shows once.
QString Shown(QString text)
{
    static const QRegularExpression mnemonic(QStringLiteral("&(.)"));
    return text.replace(mnemonic, QStringLiteral("\\1"));
}

// Names the controls whose text is cut: a single-line text wider than the room its control gives it.
QStringList CutTexts(QWidget& window)
{
    QStringList cut;
    const auto report = [&cut](const QWidget* w, const QString& text, int need, int room) {
        if (w->isVisible() && need > room)
            cut << QStringLiteral("%1 \"%2\": %3 > %4").arg(w->objectName(), text).arg(need).arg(room);
    };
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (auto* label = qobject_cast<QLabel*>(w); label && !label->wordWrap() && !label->text().contains('\n')) {
            const QString text = label->textFormat() == Qt::RichText || Qt::mightBeRichText(label->text())
                ? QTextDocumentFragment::fromHtml(label->text()).toPlainText()
                : label->text();
            report(w, text, label->fontMetrics().horizontalAdvance(text), label->contentsRect().width());
        } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
            QStyleOptionButton option;
            option.initFrom(box);
            option.text = box->text();
            const int room = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box).width();
            report(w, box->text(), box->fontMetrics().horizontalAdvance(Shown(box->text())), room);
        } else if (auto* radio = qobject_cast<QRadioButton*>(w)) {
            QStyleOptionButton option;
            option.initFrom(radio);
            option.text = radio->text();
            const int room = radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, radio).width();
            report(w, radio->text(), radio->fontMetrics().horizontalAdvance(Shown(radio->text())), room);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w); button && !button->text().isEmpty()) {
            // What the style asks for, or a few pixels each side where it asks for more.
            const int text = button->fontMetrics().horizontalAdvance(Shown(button->text()));
            report(w, button->text(), std::min(button->sizeHint().width(), text + 12), button->width());
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            // The title starts 10 pixels in and has 4 pixels of padding each side.
            report(w, group->title(), group->fontMetrics().horizontalAdvance(group->title()) + 18, group->width());
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            QStyleOptionComboBox option;
            option.initFrom(combo);
            const int room = combo->style()
                                 ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
                                 .width();
            // What it shows; its list opens as wide as its longest item.
            report(w, combo->currentText(), combo->fontMetrics().horizontalAdvance(combo->currentText()), room);
        }
    }
    return cut;
}

} // namespace

class WindowLanguageTest : public QObject {
    Q_OBJECT
private slots:
    // Each test starts from the settings of a first start, in English.
    void init() { m_settings.emplace(); }
    void cleanup()
    {
        InstallWindowTranslations(QStringLiteral("en"));
        m_settings.reset();
    }

    void choice_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("expected");
        const char* const rows[][4] = {
            { "language file name", "Deutsch", "en_US", "de" },
            { "accented file name", "Fran\u00e7ais", "de_DE", "fr" },
            { "without accent, any case", " ESPANOL ", "fr_FR", "es" },
            { "English name", "German", "es_ES", "de" },
            { "code with country", "fr_CA.UTF-8", "de_DE", "fr" },
            { "English beats the system", "English", "de_DE", "en" },
            { "no setting", "", "es_MX", "es" },
            { "a language we lack", "Italiano", "de_AT", "de" },
            { "a code we lack", "pt_BR", "fr_BE", "fr" },
            { "system we lack", "", "ja_JP", "en" },
        };
        for (const auto& [name, setting, system, expected] : rows)
            QTest::newRow(name) << QString::fromUtf8(setting) << QString(system) << QString(expected);
    }

    void choice()
    {
        QFETCH(QString, setting);
        QFETCH(QString, system);
        QTEST(ChooseWindowLanguage(setting.toStdString(), QLocale(system)), "expected");
    }

    // Every text of the German window is German, apart from the program's name in the caption.
    void germanWindowIsTranslated()
    {
        CKestrovaDlg english(KESTROVA_TEST_SKIN);
        const QMap<QString, QString> before = WindowTexts(english);
        QVERIFY(InstallWindowTranslations(QStringLiteral("de")));
        CKestrovaDlg german(KESTROVA_TEST_SKIN);
        const QMap<QString, QString> after = WindowTexts(german);
        int compared = 0;
        for (auto it = before.begin(); it != before.end(); ++it) {
            static const QRegularExpression words(QStringLiteral("[A-Za-z]{2}"));
            if (it.key() == QLatin1String("textCaption") || !it.value().contains(words))
                continue;
            if (it.key().startsWith(QLatin1String("menu ")))
                continue; // the menu is compared by position below
            QVERIFY2(after.contains(it.key()), qPrintable(it.key()));
            QVERIFY2(after[it.key()] != it.value(), qPrintable(it.key() + ": " + it.value()));
            ++compared;
        }
        QVERIFY2(compared >= 20, "the window's texts were not found");
        const auto menuTexts = [](const QMap<QString, QString>& texts) {
            QStringList menu;
            for (auto it = texts.begin(); it != texts.end(); ++it)
                if (it.key().startsWith(QLatin1String("menu ")))
                    menu << it.value();
            return menu;
        };
        QCOMPARE(menuTexts(after).size(), 4);
        for (const QString& text : menuTexts(after))
            QVERIFY2(!menuTexts(before).contains(text), qPrintable(text));
    }

    void textsFit_data()
    {
        QTest::addColumn<QString>("language");
        for (const char* language : { "en", "de", "fr", "es" })
            QTest::newRow(language) << language;
    }

    // At the window's least size, in every mode (they name the fields differently).
    void textsFit()
    {
        QFETCH(QString, language);
        QVERIFY(InstallWindowTranslations(language));
        CKestrovaDlg dlg(KESTROVA_TEST_SKIN);
        dlg.resize(dlg.minimumSize());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        auto* modes = dlg.findChild<QComboBox*>(QStringLiteral("resizeModeCombo"));
        for (int mode = 0; mode < modes->count(); ++mode) {
            modes->setCurrentIndex(mode);
            dlg.OnResizeModeChanged();
            QApplication::processEvents();
            const QStringList cut = CutTexts(dlg);
            QVERIFY2(cut.isEmpty(), qPrintable(modes->itemText(mode) + ": " + cut.join("; ")));
        }
        // The progress dialog's button shows each of its states' texts.
        CProgressDialog progress;
        progress.show();
        QVERIFY(QTest::qWaitForWindowExposed(&progress));
        auto* cancel = progress.findChild<QAbstractButton*>();
        for (const char* text : { "Cancel", "Finishing...", "Canceling..." }) {
            cancel->setText(QCoreApplication::translate("CProgressDialog", text));
            const QStringList cut = CutTexts(progress);
            QVERIFY2(cut.isEmpty(), qPrintable(cut.join("; ")));
            if (const QString shots = qEnvironmentVariable("KESTROVA_SCREENSHOT_DIR"); !shots.isEmpty())
                progress.grab().save(QStringLiteral("%1/progress-%2-%3.png").arg(shots, language, text));
        }
        CSummaryDialog summary(StoppedRun(), QStringLiteral("/tmp"), {});
        summary.show();
        QVERIFY(QTest::qWaitForWindowExposed(&summary));
        const QStringList cut = CutTexts(summary);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join("; ")));
    }

    void mnemonicsUnique_data() { textsFit_data(); }

    // Within the window, its menu and the summary, no two controls share a mnemonic, and no
    // language has fewer of them than English.
    void mnemonicsUnique()
    {
        QFETCH(QString, language);
        const auto owners = [](const QString& lang) {
            InstallWindowTranslations(lang);
            CKestrovaDlg dlg(KESTROVA_TEST_SKIN);
            CSummaryDialog summary(StoppedRun(), QStringLiteral("/tmp"), {});
            QMap<QString, QStringList> found; // "window a", "menu a" or "summary a" -> the controls using it
            const auto add = [&found](const QString& scope, const QMap<QString, QString>& texts) {
                for (auto it = texts.begin(); it != texts.end(); ++it)
                    if (const QChar m = Mnemonic(it.value()); !m.isNull())
                        found[(scope == QLatin1String("window") && it.key().startsWith(QLatin1String("menu "))
                                      ? QStringLiteral("menu")
                                      : scope)
                            + ' ' + m]
                            << it.key();
            };
            add(QStringLiteral("window"), WindowTexts(dlg));
            add(QStringLiteral("summary"), VisibleTexts(summary));
            return found;
        };
        const qsizetype english = owners(QStringLiteral("en")).size();
        QVERIFY(english >= 2); // the summary's Copy and Open Output Folder at least
        const QMap<QString, QStringList> found = owners(language);
        for (auto it = found.begin(); it != found.end(); ++it)
            QVERIFY2(it.value().size() == 1, qPrintable(it.key() + " is used by " + it.value().join(", ")));
        QVERIFY2(found.size() >= english, qPrintable(QStringLiteral("%1 of %2").arg(found.size()).arg(english)));
    }

private:
    std::optional<OwnSettings> m_settings;
};

QTEST_MAIN(WindowLanguageTest)
#include "WindowLanguageTest.moc"
