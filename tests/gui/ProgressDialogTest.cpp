#include <filesystem>
#include <memory>

#include <QCloseEvent>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "batch/BatchJobKind.h"
#include "batch/CProgressDialog.h"
#include "controls/CSkinButton.h"
#include "imaging/ImageBatch.h"
#include "tests/support/TestPictures.h"

using Texts = QStringList;

// Runs real jobs over real pictures behind the real dialog.
class ProgressDialogTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void convertCountsEveryPicture();
    void addJobTexts_data();
    void addJobTexts();
    void cancelStopsAfterTheCurrentPicture();
    void keysDoNothingAndTheSurfaceDrags();
    void windowManagerCloseStopsAndWaitsFirst();
    void destroyedWhileRunningStopsAndWaits();
    void paintsBandGroundTextAndButtonGround();

private:
    // A batch of count entries of one picture, converted into m_out.
    void FillForConvert(int count, int width = 64, int height = 48);
    // Shows the dialog and records its texts; act runs on every text, inside the dialog's handler.
    int Run(CProgressDialog& dialog, std::function<void(const QString&)> act = {});

    std::unique_ptr<testpics::TempDir> m_dir;
    std::unique_ptr<ImageBatch> m_batch;
    std::string m_out;
    QStringList m_opened;
    Texts m_texts;
};

void ProgressDialogTest::init()
{
    m_dir = std::make_unique<testpics::TempDir>();
    m_batch = std::make_unique<ImageBatch>();
    m_out = *m_dir / "out/";
    std::filesystem::create_directory(m_out);
    m_opened.clear();
    m_texts.clear();
    CProgressDialog::SetOpenFolderHook([this](const QString& folder) { m_opened << folder; });
}

void ProgressDialogTest::cleanup()
{
    m_batch.reset();
    m_dir.reset();
    CProgressDialog::SetOpenFolderHook({});
}

void ProgressDialogTest::FillForConvert(int count, int width, int height)
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

int ProgressDialogTest::Run(CProgressDialog& dialog, std::function<void(const QString&)> act)
{
    connect(&dialog, &CProgressDialog::StatusTextChanged, this, [this, act](const QString& text) {
        m_texts << text;
        if (act)
            act(text);
    });
    dialog.SetBatch(m_batch.get());
    return dialog.DoModal();
}

void ProgressDialogTest::convertCountsEveryPicture()
{
    FillForConvert(3);
    CProgressDialog dialog;
    dialog.SetJobKind(Convert);
    dialog.SetTotal(3);
    int maximum = -1;
    const int result = Run(dialog, [&](const QString& text) {
        maximum = dialog.GetProgressBar()->maximum();
        const QByteArray shots = qgetenv("KESTROVA_SCREENSHOTS"); // a picture of the dialog mid-run
        if (text == "Converting File 2/3" && !shots.isEmpty())
            dialog.grab().save(QString::fromLocal8Bit(shots) + "/screenshot-progress.png");
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(m_texts,
        (Texts { "Converting File 0/3", "Converting File 1/3", "Converting File 2/3", "Converting File 3/3",
            "Finishing..." }));
    QCOMPARE(maximum, 6);
    QCOMPARE(dialog.GetProgressBar()->value(), 6);
    QCOMPARE(dialog.GetCancelButton()->text(), QString("Finishing..."));
    QVERIFY(!dialog.GetCancelButton()->isEnabled());
    QVERIFY(!m_batch->IsConvertJobRunning());
    QCOMPARE(int(m_batch->GetConvertOutcomes().size()), 3);
    QCOMPARE(m_batch->GetConvertFailureCount(), 0);
    QVERIFY(m_opened.isEmpty()); // the open-folder option is off
}

void ProgressDialogTest::addJobTexts_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("withFolder"); // else five paths, the third damaged
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<Texts>("texts");
    QTest::newRow("five files, one damaged") << int(AddFiles) << false << 4 << 10
                                             << Texts { "Adding File 0/5", "Adding File 1/5", "Adding File 2/5",
                                                    "Adding File 3/5", "Adding File 4/5", "Adding File 5/5",
                                                    "Finishing..." };
    QTest::newRow("folder") << int(AddFolder) << true << 2 << 4
                            << Texts { "Scaning Folder Images...", "Adding File 0/2", "Adding File 1/2",
                                   "Adding File 2/2", "Finishing..." };
    QTest::newRow("empty folder") << int(AddFolder) << false << 0 << 0
                                  << Texts { "Scaning Folder Images...", "Adding File 0/0", "Finishing..." };
}

void ProgressDialogTest::addJobTexts()
{
    QFETCH(int, kind);
    QFETCH(bool, withFolder);
    QFETCH(int, entries);
    QFETCH(int, maximum);
    QFETCH(Texts, texts);
    const std::string folder = *m_dir / "in";
    std::filesystem::create_directory(folder);
    if (kind == AddFiles) {
        for (const char* name : { "a.jpg", "b.png", "c.jpg", "d.gif", "e.jpg" })
            testpics::WriteColour(folder + "/" + name, 40, 30, std::filesystem::path(name).extension().string().substr(1));
        testpics::WriteBytes(folder + "/c.jpg", { 'n', 'o', 't' });
        for (const char* name : { "a.jpg", "b.png", "c.jpg", "d.gif", "e.jpg" })
            m_batch->AddPendingPath(folder + "/" + name);
    } else {
        if (withFolder) {
            testpics::WriteColour(folder + "/one.JPG", 40, 30, "jpg");
            testpics::WriteColour(folder + "/two.tiff", 40, 30, "tif");
            testpics::WriteColour(folder + "/four.gif", 40, 30, "gif");
        }
        m_batch->SetScanFolder(folder);
        m_batch->SetScanFolderFlag(true);
    }
    m_batch->SetOpenFolderAfterRun(true); // an add job opens nothing
    CProgressDialog dialog;
    dialog.SetJobKind(kind);
    dialog.SetTotal(m_batch->GetPendingCount());
    QCOMPARE(Run(dialog), int(QDialog::Accepted));
    QCOMPARE(m_texts, texts);
    QCOMPARE(m_batch->GetEntryCount(), entries);
    QCOMPARE(dialog.GetProgressBar()->maximum(), maximum);
    QVERIFY(!m_batch->IsAddJobRunning());
    QVERIFY(m_opened.isEmpty());
}

void ProgressDialogTest::cancelStopsAfterTheCurrentPicture()
{
    FillForConvert(30, 1200, 900);
    m_batch->SetOpenFolderAfterRun(true);
    CProgressDialog dialog;
    dialog.SetJobKind(Convert);
    dialog.SetTotal(30);
    const int result = Run(dialog, [&](const QString& text) {
        if (text != "Converting File 1/30")
            return;
        // As a user's click: through the event loop, after this message.
        QTimer::singleShot(0, dialog.GetCancelButton(), [&] { QTest::mouseClick(dialog.GetCancelButton(), Qt::LeftButton); });
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(!m_batch->IsConvertJobRunning());
    QVERIFY(m_batch->GetConvertStopped());
    const auto& outcomes = m_batch->GetConvertOutcomes();
    QVERIFY2(outcomes.size() >= 1 && outcomes.size() < 30, qPrintable(QString::number(outcomes.size())));
    // Every picture reached was finished and its file stays.
    int written = 0;
    for (const ConvertOutcome& outcome : outcomes) {
        QCOMPARE(outcome.status, ConvertStatus::Written);
        QVERIFY(std::filesystem::exists(outcome.output));
        ++written;
    }
    QCOMPARE(int(std::distance(std::filesystem::directory_iterator(m_out), {})), written);
    QCOMPARE(m_texts.mid(m_texts.indexOf("Canceling...")), (Texts { "Canceling...", "Finishing..." }));
    QCOMPARE(dialog.GetProgressBar()->value(), 60);
    QCOMPARE(m_opened, QStringList { QString::fromStdString(m_out) });
}

void ProgressDialogTest::keysDoNothingAndTheSurfaceDrags()
{
    FillForConvert(4);
    CProgressDialog dialog;
    dialog.SetJobKind(Convert);
    dialog.SetTotal(4);
    QPoint before, after;
    Run(dialog, [&](const QString& text) {
        if (text != "Converting File 1/4")
            return;
        // Sent while the dialog handles a step, so the run is surely still going.
        for (QWidget* target : { static_cast<QWidget*>(&dialog), static_cast<QWidget*>(dialog.GetCancelButton()) })
            for (Qt::Key key : { Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape })
                QTest::keyClick(target, key);
        before = dialog.pos();
        QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(300, 110));
        QTest::mouseMove(&dialog, QPoint(340, 140));
        QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(340, 140));
        after = dialog.pos();
    });
    QVERIFY(!m_texts.contains("Canceling..."));
    QVERIFY(!m_batch->GetConvertStopped());
    QCOMPARE(int(m_batch->GetConvertOutcomes().size()), 4);
    QCOMPARE(after - before, QPoint(40, 30));
}

void ProgressDialogTest::windowManagerCloseStopsAndWaitsFirst()
{
    FillForConvert(30, 1200, 900);
    CProgressDialog dialog;
    dialog.SetJobKind(Convert);
    dialog.SetTotal(30);
    bool runningAfterClose = true, visibleAfterClose = false;
    const int result = Run(dialog, [&](const QString& text) {
        if (text != "Converting File 1/30")
            return;
        QTimer::singleShot(0, &dialog, [&] {
            QCloseEvent close; // what the window system sends for Alt+F4
            QCoreApplication::sendEvent(dialog.windowHandle(), &close);
            runningAfterClose = m_batch->IsConvertJobRunning();
            visibleAfterClose = dialog.isVisible();
        });
    });
    QVERIFY2(!runningAfterClose, "the close waited for the worker");
    QVERIFY2(visibleAfterClose, "and left the closing to the job's end message");
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(m_batch->GetConvertStopped());
    QCOMPARE(m_texts.mid(m_texts.indexOf("Canceling...")), (Texts { "Canceling...", "Finishing..." }));
}

void ProgressDialogTest::destroyedWhileRunningStopsAndWaits()
{
    FillForConvert(30, 1200, 900);
    auto dialog = std::make_unique<CProgressDialog>();
    dialog->SetBatch(m_batch.get());
    dialog->SetJobKind(Convert);
    dialog->SetTotal(30);
    QSignalSpy texts(dialog.get(), &CProgressDialog::StatusTextChanged);
    dialog->show();
    QTRY_VERIFY_WITH_TIMEOUT(texts.size() >= 2, 30000); // a step has arrived
    dialog.reset();
    QVERIFY(!m_batch->IsConvertJobRunning());
    QVERIFY(m_batch->GetConvertStopped());
    QCoreApplication::processEvents(); // posts that were in flight must go nowhere
}

void ProgressDialogTest::paintsBandGroundTextAndButtonGround()
{
    CProgressDialog dialog;
    QCOMPARE(dialog.size(), QSize(668, 132));
    QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
    Run(dialog); // no batch: the dialog starts, ends at once and keeps "Finishing..."
    const QImage image = dialog.grab().toImage();
    QCOMPARE(image.pixelColor(100, 0), QColor(198, 198, 198));
    QCOMPARE(image.pixelColor(100, 9), QColor(161, 161, 161));
    QCOMPARE(image.pixelColor(5, 10), QColor(218, 218, 218));
    QCOMPARE(image.pixelColor(660, 125), QColor(218, 218, 218));
    // The button's rounded corner shows the dialog's ground, not black or white.
    QCOMPARE(image.pixelColor(554, 88), QColor(218, 218, 218));
    int dark = 0;
    for (int y = 28; y < 44; ++y)
        for (int x = 14; x < 394; ++x)
            dark += image.pixelColor(x, y).lightness() < 100;
    QVERIFY2(dark > 20, "the status text is drawn in its rectangle");
    for (int x = 14; x < 394; ++x)
        QCOMPARE(image.pixelColor(x, 27), QColor(218, 218, 218));
}

QTEST_MAIN(ProgressDialogTest)
#include "ProgressDialogTest.moc"
