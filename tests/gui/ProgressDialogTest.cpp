#include <filesystem>
#include <memory>

#include <QCloseEvent>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "batch/BatchJobKind.h"
#include "batch/ImageBatch.h"
#include "controls/CSkinButton.h"
#include "progress/CProgressDialog.h"
#include "tests/support/TestPictures.h"

using Texts = QStringList;

// Runs real jobs over real pictures behind the real dialog.
class ProgressDialogTest : public QObject {
    Q_OBJECT
    std::unique_ptr<testpics::TempDir> m_dir;
    std::unique_ptr<ImageBatch> m_batch;
    std::string m_out;
    QStringList m_opened;
    Texts m_texts;

    // A batch of count entries of one picture, converted into m_out.
    void FillForConvert(int count, int width = 64, int height = 48)
    {
        const std::string source = *m_dir / "source.jpg";
        testpics::WriteColour(source, width, height, "jpg");
        for (int i = 0; i < count; ++i) {
            auto entry = std::make_unique<ImageEntry>();
            entry->SetPath(source);
            m_batch->AddEntry(std::move(entry));
        }
        m_batch->SetOutputFolder(m_out);
    }

    // Shows the dialog and records its texts; act runs on every text, inside the dialog's handler.
    int Run(CProgressDialog& dialog, int kind, int total, std::function<void(const QString&)> act = {})
    {
        connect(&dialog, &CProgressDialog::StatusTextChanged, this, [this, act](const QString& text) {
            m_texts << text;
            if (act)
                act(text);
        });
        dialog.SetJobKind(kind);
        dialog.SetTotal(total);
        dialog.SetBatch(m_batch.get());
        return dialog.DoModal();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<testpics::TempDir>();
        m_batch = std::make_unique<ImageBatch>();
        m_out = *m_dir / "out/";
        std::filesystem::create_directory(m_out);
        m_opened.clear();
        m_texts.clear();
        CProgressDialog::SetOpenFolderHook([this](const QString& folder) { m_opened << folder; });
    }

    void jobTexts_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("names"); // pictures written into the folder, c.jpg damaged
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<Texts>("texts");
        QTest::newRow("convert three") << int(Convert) << QStringList {} << 3 << 6
                                       << Texts { "Converting File 0/3", "Converting File 1/3", "Converting File 2/3",
                                              "Converting File 3/3", "Finishing..." };
        QTest::newRow("five files, one damaged")
            << int(AddFiles) << QStringList { "a.jpg", "b.png", "c.jpg", "d.gif", "e.jpg" } << 4 << 10
            << Texts { "Adding File 0/5", "Adding File 1/5", "Adding File 2/5", "Adding File 3/5", "Adding File 4/5",
                   "Adding File 5/5", "Finishing..." };
        QTest::newRow("folder") << int(AddFolder) << QStringList { "one.JPG", "two.tiff", "four.gif" } << 3 << 6
                                << Texts { "Scaning Folder Images...", "Adding File 0/3", "Adding File 1/3",
                                       "Adding File 2/3", "Adding File 3/3", "Finishing..." };
        QTest::newRow("empty folder") << int(AddFolder) << QStringList {} << 0 << 0
                                      << Texts { "Scaning Folder Images...", "Adding File 0/0", "Finishing..." };
    }

    void jobTexts()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, names);
        QFETCH(int, entries);
        QFETCH(int, maximum);
        QFETCH(Texts, texts);
        const std::string folder = *m_dir / "in/";
        std::filesystem::create_directory(folder);
        for (const QString& name : names) {
            const std::string path = folder + name.toStdString();
            testpics::WriteColour(path, 40, 30, name.section('.', -1).toLower().left(3).toStdString());
            if (kind == AddFiles)
                m_batch->AddPendingPath(path);
        }
        if (names.contains("c.jpg"))
            testpics::WriteBytes(folder + "c.jpg", { 'n', 'o', 't' });
        m_batch->SetScanFolder(folder);
        m_batch->SetScanFolderFlag(kind == AddFolder);
        if (kind == Convert)
            FillForConvert(3);
        m_batch->SetOpenFolderAfterRun(kind != Convert); // an add job opens nothing; a conversion only if asked
        CProgressDialog dialog;
        const int total = kind == Convert ? m_batch->GetEntryCount() : m_batch->GetPendingCount();
        const int result = Run(dialog, kind, total, [&](const QString& text) {
            if (text != texts[1])
                return;
            const QByteArray shots = qgetenv("KESTROVA_SCREENSHOTS"); // a picture of the dialog mid-run
            if (kind == Convert && !shots.isEmpty())
                dialog.grab().save(QString::fromLocal8Bit(shots) + "/screenshot-progress.png");
            // Sent while the dialog handles a step, so the run is surely still going.
            for (QWidget* target : { static_cast<QWidget*>(&dialog), static_cast<QWidget*>(dialog.GetCancelButton()) })
                for (Qt::Key key : { Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape })
                    QTest::keyClick(target, key);
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(m_texts, texts); // the keys cancelled nothing
        QCOMPARE(m_batch->GetEntryCount(), entries);
        QCOMPARE(dialog.GetProgressBar()->maximum(), maximum);
        QCOMPARE(dialog.GetProgressBar()->value(), maximum);
        QCOMPARE(int(std::distance(std::filesystem::directory_iterator(m_out), {})), kind == Convert ? 3 : 0);
        QVERIFY(!m_batch->IsAddJobRunning() && !m_batch->IsConvertJobRunning());
        QVERIFY(m_opened.isEmpty());
    }

    void stopDuringARun_data()
    {
        QTest::addColumn<bool>("byWindowManager"); // else a click on Cancel
        QTest::newRow("cancel button") << false;
        QTest::newRow("window-manager close") << true;
    }

    void stopDuringARun()
    {
        QFETCH(bool, byWindowManager);
        FillForConvert(30, 1200, 900);
        m_batch->SetOpenFolderAfterRun(true);
        CProgressDialog dialog;
        bool runningAfterClose = true, visibleAfterClose = false;
        const int result = Run(dialog, Convert, 30, [&](const QString& text) {
            if (text != "Converting File 1/30")
                return;
            // As a user's act: through the event loop, after this message.
            QTimer::singleShot(0, &dialog, [&] {
                if (!byWindowManager)
                    return QTest::mouseClick(dialog.GetCancelButton(), Qt::LeftButton);
                QCloseEvent close; // what the window system sends for Alt+F4
                QCoreApplication::sendEvent(dialog.windowHandle(), &close);
                runningAfterClose = m_batch->IsConvertJobRunning();
                visibleAfterClose = dialog.isVisible();
            });
        });
        QVERIFY2(!byWindowManager || (!runningAfterClose && visibleAfterClose),
            "a close waits for the worker and leaves the closing to the job's end message");
        QCOMPARE(result, int(QDialog::Accepted));
        QVERIFY(m_batch->GetConvertStopped());
        const auto& outcomes = m_batch->GetConvertOutcomes();
        QVERIFY2(outcomes.size() >= 1 && outcomes.size() < 30, qPrintable(QString::number(outcomes.size())));
        // Every picture reached was finished and its file stays.
        QCOMPARE(m_batch->GetConvertFailureCount(), 0);
        QCOMPARE(std::size_t(std::distance(std::filesystem::directory_iterator(m_out), {})), outcomes.size());
        QCOMPARE(m_texts.mid(m_texts.indexOf("Canceling...")), (Texts { "Canceling...", "Finishing..." }));
        QCOMPARE(dialog.GetProgressBar()->value(), 60);
        QCOMPARE(m_opened, QStringList { QString::fromStdString(m_out) });
    }

    void paintsBandGroundAndButtonCorner()
    {
        CProgressDialog dialog;
        Run(dialog, Convert, 0); // an empty batch: the dialog starts, ends at once and keeps "Finishing..."
        QCOMPARE(dialog.GetCancelButton()->text(), QString("Finishing..."));
        const QImage image = dialog.grab().toImage();
        QCOMPARE(image.pixelColor(100, 0), QColor(198, 198, 198));
        QCOMPARE(image.pixelColor(5, 10), QColor(218, 218, 218));
        // The button's rounded corner shows the dialog's ground, not black or white.
        QCOMPARE(image.pixelColor(554, 88), QColor(218, 218, 218));
    }
};

QTEST_MAIN(ProgressDialogTest)
#include "ProgressDialogTest.moc"
