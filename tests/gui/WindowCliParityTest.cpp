#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLineEdit>
#include <QProcess>
#include <QTest>

#include "progress/CProgressDialog.h"
#include "tests/support/TestPictures.h"
#include "ui/CKestrovaDlg.h"
#include "ui/RunSummary.h"

// The window and the converter are two front ends of one engine: the same settings, spelled
// in each one's own way, must give pictures of the same size.

namespace {

class Window : public CKestrovaDlg {
public:
    Window()
        : CKestrovaDlg(KESTROVA_TEST_SKIN)
    {
        show();
    }
    QStringList messages;
    void Choose(const char* combo, const QString& text)
    {
        auto* box = findChild<QComboBox*>(combo);
        const int i = box->findText(text);
        QVERIFY2(i >= 0, qPrintable(text));
        box->setCurrentIndex(i);
        emit box->activated(i);
    }
    void Type(const char* edit, const QString& text)
    {
        auto* e = findChild<QLineEdit*>(edit);
        e->clear();
        QTest::keyClicks(e, text);
    }
    void Add(const QStringList& files)
    {
        m_files = files;
        OnAddFile();
    }

protected:
    QStringList ChooseFilesToAdd() override { return m_files; }
    void ShowMessage(const QString& text, QMessageBox::Icon) override { messages << text; }
    // What a run lists as failed or warned about counts as a message here.
    void ShowSummary(const SummaryText& summary, const QString&) override
    {
        if (!summary.details.isEmpty())
            messages << summary.details;
    }
    QStringList m_files;
};

QString SizeOf(const QString& path)
{
    const QSize s = QImageReader(path).size();
    return s.isValid() ? QStringLiteral("%1x%2").arg(s.width()).arg(s.height()) : QStringLiteral("unreadable");
}

} // namespace

class WindowCliParityTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        CProgressDialog::SetOpenFolderHook([](const QString&) {});
        // The options ticked here are stored: in a folder of this test's own, not the other window tests'.
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((m_dir / "config")));
        // Landscape, portrait and square, each small enough for a quick run and large enough to round.
        for (const auto& [name, w, h] :
            { std::tuple { "wide.png", 301, 199 }, { "tall.png", 199, 301 }, { "square.png", 250, 250 } }) {
            testpics::WriteColour(m_dir / name, w, h, "png");
            m_sources << QString::fromStdString(m_dir / name);
        }
    }

    void sameSizesInEveryMode_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("unit");   // empty: the mode takes pixels only
        QTest::addColumn<QString>("width");  // empty: left as it is
        QTest::addColumn<QString>("height"); // empty: left as it is (the mode computes it)
        QTest::addColumn<bool>("noEnlarge");
        QTest::addColumn<QStringList>("spelledOut"); // the window's settings, named one by one
        QTest::addColumn<QStringList>("natural");    // what a user would type for the same job
        using L = QStringList;
        QTest::newRow("scaled") << "Scaled Image"
                                << "Percent"
                                << "50"
                                << "25" << false
                                << L { "--mode", "scaled", "--unit", "percent", "-w", "50", "-H", "25" }
                                << L { "--resize", "50%x25%" };
        QTest::newRow("scaled up, not enlarged")
            << "Scaled Image"
            << "Percent"
            << "150"
            << "150" << true << L { "--mode", "scaled", "--unit", "percent", "-w", "150", "-H", "150", "--no-enlarge" }
            << L { "--resize", "150%>" };
        QTest::newRow("fixed") << "Fix Image"
                               << "Pixel"
                               << "120"
                               << "90" << false << L { "--mode", "fixed", "--unit", "pixel", "-w", "120", "-H", "90" }
                               << L { "--resize", "120x90!" };
        QTest::newRow("width px") << "Restrict Width"
                                  << "Pixel"
                                  << "120"
                                  << "" << false << L { "--mode", "width", "--unit", "pixel", "-w", "120" }
                                  << L { "--width", "120" };
        QTest::newRow("width %") << "Restrict Width"
                                 << "Percent"
                                 << "40"
                                 << "" << false << L { "--mode", "width", "--unit", "percent", "-w", "40" }
                                 << L { "--width", "40%" };
        QTest::newRow("width px, not enlarged")
            << "Restrict Width"
            << "Pixel"
            << "280"
            << "" << true << L { "--mode", "width", "--unit", "pixel", "-w", "280", "--no-enlarge" }
            << L { "--width", "280", "--no-enlarge" };
        QTest::newRow("height px") << "Restrict Height"
                                   << "Pixel"
                                   << ""
                                   << "90" << false << L { "--mode", "height", "--unit", "pixel", "-H", "90" }
                                   << L { "--height", "90" };
        QTest::newRow("box") << "Fit in Box"
                             << ""
                             << "160"
                             << "120" << false << L { "--mode", "box", "-w", "160", "-H", "120" }
                             << L { "--resize", "160x120" };
        QTest::newRow("box, not enlarged")
            << "Fit in Box"
            << ""
            << "400"
            << "280" << true << L { "--mode", "box", "-w", "400", "-H", "280", "--no-enlarge" }
            << L { "--resize", "400x280>" };
        QTest::newRow("long edge") << "Long Edge"
                                   << ""
                                   << "150"
                                   << "" << false << L { "--mode", "long-edge", "-w", "150" }
                                   << L { "--long-edge", "150" };
        QTest::newRow("short edge") << "Short Edge"
                                    << ""
                                    << "150"
                                    << "" << false << L { "--mode", "short-edge", "-w", "150" }
                                    << L { "--short-edge", "150" };
        QTest::newRow("short edge, not enlarged")
            << "Short Edge"
            << ""
            << "220"
            << "" << true << L { "--mode", "short-edge", "-w", "220", "--no-enlarge" }
            << L { "--short-edge", "220", "--no-enlarge" };
    }

    void sameSizesInEveryMode()
    {
        QFETCH(QString, mode);
        QFETCH(QString, unit);
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(bool, noEnlarge);
        QFETCH(QStringList, spelledOut);
        QFETCH(QStringList, natural);
        testpics::TempDir out;
        const QString root = QString::fromStdString(out.Path().string());

        Window w;
        w.Add(m_sources);
        w.Choose("resizeModeCombo", mode);
        if (!unit.isEmpty())
            w.Choose(width.isEmpty() ? "heightUnitCombo" : "widthUnitCombo", unit);
        QCOMPARE(w.findChild<QComboBox*>("resizeModeCombo")->currentText(), mode);
        if (!width.isEmpty())
            w.Type("widthEdit", width);
        if (!height.isEmpty())
            w.Type("heightEdit", height);
        auto* check = findChildButton(w, "chkDoNotEnlarge");
        if (check->isChecked() != noEnlarge)
            check->click();
        findChildEdit(w, "outputEdit")->setText(root + "/window");
        w.OnStart();
        QVERIFY2(w.messages.isEmpty(), qPrintable(w.messages.join('\n')));

        for (const auto& [folder, args] : { std::pair { QString("spelled"), spelledOut }, { "natural", natural } })
            RunCli(args + QStringList { "-o", root + "/" + folder } + m_sources);

        for (const QString& source : m_sources) {
            const QString name = QFileInfo(source).completeBaseName() + ".jpg";
            const QString fromWindow = SizeOf(root + "/window/" + name);
            QVERIFY2(fromWindow != "unreadable", qPrintable(name));
            QCOMPARE(SizeOf(root + "/spelled/" + name), fromWindow);
            QCOMPARE(SizeOf(root + "/natural/" + name), fromWindow);
        }
    }

    // A preset saved from the window's panel runs unchanged in the converter: the same bytes.
    void presetSavedInTheWindowRunsUnchangedInTheConverter()
    {
        testpics::TempDir out;
        const QString root = QString::fromStdString(out.Path().string());
        Window w;
        w.Add(m_sources);
        w.Choose("resizeModeCombo", "Long Edge");
        w.Type("widthEdit", "180");
        w.Choose("formatCombo", "WebP Files (*.webp)");
        findChildButton(w, "radioSize")->click();
        w.Type("sizeEdit", "5");
        QVERIFY(w.SavePresetAs("parity"));
        findChildEdit(w, "outputEdit")->setText(root + "/window");
        w.OnStart();
        QVERIFY2(w.messages.isEmpty(), qPrintable(w.messages.join('\n')));
        RunCli(QStringList { "--preset", "parity", "-o", root + "/cli" } + m_sources);
        for (const QString& source : m_sources) {
            const QString name = QFileInfo(source).completeBaseName() + ".webp";
            QFile fromWindow(root + "/window/" + name), fromCli(root + "/cli/" + name);
            QVERIFY2(fromWindow.open(QIODevice::ReadOnly) && fromCli.open(QIODevice::ReadOnly), qPrintable(name));
            QCOMPARE(SizeOf(fromWindow.fileName()).section('x', 0, 0).toInt() <= 180, true);
            QVERIFY2(fromWindow.readAll() == fromCli.readAll(), qPrintable(name + " differs"));
        }
    }

private:
    static QAbstractButton* findChildButton(Window& w, const char* name)
    {
        return qobject_cast<QAbstractButton*>(w.FindControl(name));
    }
    static QLineEdit* findChildEdit(Window& w, const char* name) { return w.findChild<QLineEdit*>(name); }

    static void RunCli(const QStringList& args)
    {
        QProcess cli;
        cli.start(QStringLiteral(KESTROVA_CLI_PATH), args);
        QVERIFY(cli.waitForFinished(60000));
        QVERIFY2(cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0,
            qPrintable(args.join(' ') + "\n" + cli.readAllStandardError()));
    }

    testpics::TempDir m_dir;
    QStringList m_sources;
};

QTEST_MAIN(WindowCliParityTest)
#include "WindowCliParityTest.moc"
