#include <QAbstractButton>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <optional>

#include "imaging/ImageEntry.h"
#include "imaging/PictureFormat.h"
#include "tests/gui/OwnSettings.h"
#include "tests/support/TestPictures.h"
#include "ui/CCompareDialog.h"
#include "ui/CKestrovaDlg.h"
#include "ui/CPictureBox.h"
#include "ui/OutputEstimator.h"
#include "ui/RunSummary.h"

namespace {

QImage ToImage(const Rgb888& px)
{
    return QImage(px.bytes.data(), px.width, px.height, px.width * 3, QImage::Format_RGB888).copy();
}

// The window with the desktop's dialogs answered by the test.
class Window : public CKestrovaDlg {
public:
    Window()
        : CKestrovaDlg(KESTROVA_TEST_SKIN)
    {
        show();
    }
    // Into the list as the add job leaves it, without the job: only the header is read.
    void Put(const std::string& path)
    {
        auto entry = std::make_unique<ImageEntry>();
        entry->SetPath(path);
        QVERIFY(entry->Load());
        GetBatch().AddEntry(std::move(entry));
    }
    void Choose(const char* combo, const QString& text)
    {
        auto* box = findChild<QComboBox*>(combo);
        box->setCurrentIndex(box->findText(text));
        emit box->activated(box->currentIndex());
    }
    void Type(const char* edit, const QString& text)
    {
        findChild<QLineEdit*>(edit)->clear();
        QTest::keyClicks(findChild<QLineEdit*>(edit), text);
    }
    QString Estimate() { return qobject_cast<QLabel*>(FindControl("labelEstimate"))->text(); }
    QList<SummaryText> summaries;

protected:
    void ShowSummary(const SummaryText& summary, const QString&) override { summaries << summary; }
};

} // namespace

class PreviewWorkTest : public QObject {
    Q_OBJECT
    testpics::TempDir m_dir;

private slots:
    // Each test starts from the settings of a first start.
    void init() { m_settings.emplace(); }
    void cleanup() { m_settings.reset(); }
    void initTestCase() { QVERIFY(InitImageLibrary()); }

    // A picture that takes seconds to decode: the event loop keeps running, choosing another
    // picture stops it, and what ends up on screen and under it is the last picture's.
    void aSlowPictureNeverHoldsUpTheWindow()
    {
        testpics::WriteSolid(m_dir / "slow.png", 6000, 6000, 0, 0, 255);
        testpics::WriteSolid(m_dir / "small.jpg", 200, 100, 255, 0, 0);
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.Put(m_dir / "slow.png");
        w.Put(m_dir / "small.jpg");

        QElapsedTimer clock;
        qint64 last = 0, longestGap = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, clock.elapsed() - last);
            last = clock.elapsed();
        });
        clock.start();
        ticker.start(20);
        w.SelectEntryForPreview(0);
        QTest::qWait(600);
        const bool slowStillDecoding = w.GetPreview()->IsDecodePending();
        QElapsedTimer moved;
        moved.start();
        w.SelectEntryForPreview(1);
        QTRY_VERIFY_WITH_TIMEOUT(w.Estimate().contains("exactly"), 20000);
        const qint64 toSmall = moved.elapsed();
        ticker.stop();
        qInfo("longest gap %lld ms, the next picture after %lld ms", longestGap, toSmall);
        QVERIFY2(longestGap <= 250, qPrintable(QString("the event loop stood still for %1 ms").arg(longestGap)));
        QVERIFY2(slowStillDecoding, "the slow picture was decoded before the test could watch");
        QVERIFY2(toSmall < 3000, qPrintable(QString("the next picture waited %1 ms").arg(toSmall)));
        QCOMPARE(w.GetPreview()->GetSourceRect(), QRect(0, 0, 200, 100));
        const QImage shown = w.GetPreview()->GetDisplayPicture();
        QVERIFY(!shown.isNull());
        QVERIFY(qRed(shown.pixel(shown.rect().center())) > 240 && qBlue(shown.pixel(shown.rect().center())) < 20);
        QVERIFY2(w.Estimate().startsWith("Output: 200 x 100 px, exactly "), qPrintable(w.Estimate()));
    }

    // The preview is the output format's own encoding decoded back; a lossless format shows the pixels.
    void thePreviewShowsTheChosenFormatsEncoding_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<int>("choice");
        QTest::newRow("jpeg") << ".jpg" << int(CompressQuality);
        QTest::newRow("webp") << ".webp" << int(CompressQuality);
        QTest::newRow("avif") << ".avif" << int(CompressQuality);
        QTest::newRow("gif palette") << ".gif" << int(CompressFormatDefault);
        QTest::newRow("png as is") << ".png" << int(CompressFormatDefault);
    }

    void thePreviewShowsTheChosenFormatsEncoding()
    {
        QFETCH(QString, extension);
        QFETCH(int, choice);
        testpics::WriteColour(m_dir / "colour.jpg", 320, 240, "jpg", 95);
        ImageEntry entry; // the preview's picture, made here as the box makes it
        entry.SetPath(m_dir / "colour.jpg");
        QVERIFY(entry.Load() && entry.MakePreview(640, 480));
        Picture preview = *entry.GetPreview();
        preview.IncreaseBpp24();
        ConvertSnapshot settings;
        settings.choice = static_cast<CompressionChoice>(choice);
        settings.extension = extension.toStdString();
        const FormatRow& row = GetOutputFormat(settings.extension);
        const std::vector<std::uint8_t> bytes = preview.Encode(row.format, { .quality = 15 });
        const QImage expected = ToImage(row.lossless ? preview.ToRgb888() : Picture::DecodeBytes(bytes).ToRgb888());

        CPictureBox box;
        box.resize(400, 300);
        box.show();
        QSignalSpy rendered(&box, &CPictureBox::PreviewRendered);
        box.SetSourceFile(m_dir / "colour.jpg", QRect(0, 0, 320, 240), QSize(640, 480));
        box.SetPreviewSettings(settings);
        box.SetPreviewQuality(15);
        QVERIFY(rendered.wait(10000));
        QCOMPARE(rendered.count(), 1);
        QCOMPARE(box.GetPreviewBytes(), row.lossless ? 0 : qint64(bytes.size()));
        QCOMPARE(box.GetDisplayPicture(), expected);
    }

    // The exact estimate is the size of the file the run then writes with the same settings.
    void theEstimateIsTheSizeTheRunWrites_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("quality"); // empty: a target size
        QTest::addColumn<QString>("expected");
        QTest::newRow("jpeg quality") << "JPG Files (*.jpg)"
                                      << "60"
                                      << "Output: 300 x 200 px, exactly ";
        QTest::newRow("webp quality") << "WebP Files (*.webp)"
                                      << "35"
                                      << "Output: 300 x 200 px, exactly ";
        QTest::newRow("jpeg target size") << "JPG Files (*.jpg)"
                                          << ""
                                          << " at quality ";
    }

    void theEstimateIsTheSizeTheRunWrites()
    {
        QFETCH(QString, format);
        QFETCH(QString, quality);
        QFETCH(QString, expected);
        testpics::TempDir dir;
        testpics::WriteNoiseJpeg(dir / "noise.jpg", 600, 400);
        Window w;
        w.Put(dir / "noise.jpg");
        w.SelectEntryForPreview(0);
        w.Type("widthEdit", "50");
        w.Type("heightEdit", "50");
        w.Choose("formatCombo", format);
        if (quality.isEmpty()) {
            QTest::mouseClick(qobject_cast<QAbstractButton*>(w.FindControl("radioSize")), Qt::LeftButton);
            w.Type("sizeEdit", "20");
        } else {
            w.Type("qualityEdit", quality);
        }
        QTRY_VERIFY_WITH_TIMEOUT(w.Estimate().contains(expected) && w.Estimate().contains("exactly"), 10000);
        const ConvertOutcome estimate = *w.GetEstimator()->GetResult();
        const QString label = w.Estimate();
        w.findChild<QLineEdit*>("outputEdit")->setText(QString::fromStdString(dir / "out"));
        w.OnStart();
        QCOMPARE(w.GetBatch().GetConvertOutcomes().size(), std::size_t(1));
        const ConvertOutcome& written = w.GetBatch().GetConvertOutcomes()[0];
        QCOMPARE(std::filesystem::file_size(written.output), estimate.bytes);
        QCOMPARE(estimate.quality, written.quality);
        const QString kb = QString::number(double(written.bytes) / 1024, 'f', written.bytes < 10240 ? 1 : 0);
        QVERIFY2(label.contains(", exactly " + kb + " KB"), qPrintable(label));
        QCOMPARE(w.Estimate(), label); // the same settings: nothing to make again
    }

    // Compare, reached from the keyboard: before is the picture at the output's size, after the file the run writes.
    void compareShowsBeforeAndTheWrittenFileScrollingTogether()
    {
        testpics::TempDir dir;
        testpics::WriteColour(dir / "wide.jpg", 1600, 1200, "jpg", 95);
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.Put(dir / "wide.jpg");
        w.SelectEntryForPreview(0);
        w.Type("qualityEdit", "5");
        auto* compare = qobject_cast<QAbstractButton*>(w.FindControl("btnCompare"));
        QVERIFY(compare && compare->isEnabled() && compare->focusPolicy() & Qt::TabFocus);
        compare->setFocus();
        QTest::keyClick(compare, Qt::Key_Space);
        CCompareDialog* dialog = w.findChild<CCompareDialog*>();
        QVERIFY(dialog && dialog->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(dialog->IsReady(), 20000);

        w.findChild<QLineEdit*>("outputEdit")->setText(QString::fromStdString(dir / "out"));
        w.OnStart();
        const std::string written = w.GetBatch().GetConvertOutcomes().at(0).output;
        QCOMPARE(dialog->GetAfterBytes(), qint64(std::filesystem::file_size(written)));
        QCOMPARE(dialog->GetAfter(), ToImage(Picture::DecodeBytes(testpics::ReadBytes(written)).ToRgb888()));
        QCOMPARE(dialog->GetBefore().size(), QSize(1600, 1200));
        QVERIFY(dialog->GetBefore() != dialog->GetAfter());
        for (QScrollArea* view : { dialog->GetBeforeView(), dialog->GetAfterView() })
            QVERIFY(view->isVisible() && !qobject_cast<QLabel*>(view->widget())->pixmap().isNull());
        QScrollBar* h = dialog->GetBeforeView()->horizontalScrollBar();
        QVERIFY(h->maximum() > 0);
        h->setValue(h->maximum() / 2);
        QCOMPARE(dialog->GetAfterView()->horizontalScrollBar()->value(), h->maximum() / 2);
        dialog->GetAfterView()->verticalScrollBar()->setValue(77);
        QCOMPARE(dialog->GetBeforeView()->verticalScrollBar()->value(), 77);
        QTest::keyClick(dialog, Qt::Key_Escape);
        QTRY_VERIFY(!w.findChild<CCompareDialog*>());
    }

private:
    std::optional<OwnSettings> m_settings;
};

QTEST_MAIN(PreviewWorkTest)
#include "PreviewWorkTest.moc"
