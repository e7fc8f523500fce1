#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "controls/CEditEx.h"
#include "controls/CSpinButton.h"
#include "tests/support/TestPictures.h"
#include "ui/CImageListCtrlEx.h"
#include "ui/CKestrovaDlg.h"
#include "ui/CPictureBox.h"

namespace {

// The window with its panel, driven the way a user drives it.
class Panel {
public:
    Panel()
        : dlg(KESTROVA_TEST_SKIN)
    {
        dlg.show();
    }
    template <class T> T* Child(const char* name) { return dlg.findChild<T*>(name); }
    QComboBox* Combo(const char* name) { return Child<QComboBox>(name); }
    QLineEdit* Edit(const char* name) { return Child<QLineEdit>(name); }
    QWidget* Spin(const char* name) { return Child<QWidget>(name); }
    QAbstractButton* Button(const char* name) { return qobject_cast<QAbstractButton*>(dlg.FindControl(name)); }
    QString Info() { return qobject_cast<QLabel*>(dlg.FindControl("labelInfos"))->text(); }

    void Choose(const char* combo, const QString& text)
    {
        QComboBox* c = Combo(combo);
        const int i = c->findText(text);
        QVERIFY2(i >= 0, qPrintable(text));
        c->setCurrentIndex(i);
        emit c->activated(i);
    }
    void Type(const char* edit, const QString& text)
    {
        QLineEdit* e = Edit(edit);
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, text);
    }
    // Adds a picture the way the add command leaves it: listed with thumbnail and text.
    void AddPicture(const std::string& path)
    {
        auto entry = std::make_unique<ImageEntry>();
        entry->SetPath(path);
        QVERIFY(entry->Load());
        entry->MakeThumbnail(80, 60);
        entry->BuildInfoText();
        entry->FreeImage();
        const Rgb888 thumb = entry->GetThumbnailBitmap();
        const QString text = QString::fromStdString(entry->GetInfoText());
        dlg.GetBatch().AddEntry(std::move(entry));
        dlg.GetImageList()->AppendItem(
            QImage(thumb.bytes.data(), thumb.width, thumb.height, thumb.width * 3, QImage::Format_RGB888).copy(),
            text);
    }

    CKestrovaDlg dlg;
};

} // namespace

class OptionPanelTest : public QObject {
    Q_OBJECT
private slots:
    void startsWithTheDefaults();
    void fixImageShowsPixels();
    void restrictWidthFollowsThePicture();
    void scaledImageWithTwoPercentages();
    void pixelInScaledImageSwitchesToFixImage();
    void nonJpegFormatsTurnCompressionOff();
    void targetSizeOptionEnablesOnlyItsFields();
    void qualityIsStoredOnlyWithASelection();
    void overwriteTakesTheNewState();
    void clickingAPicturePreviewsItAndShowsTheEstimate();
    void removingPicturesKeepsEachThumbnail();
};

void OptionPanelTest::startsWithTheDefaults()
{
    Panel p;
    QCOMPARE(p.Info(), QString("Info : Images resize to 100.00% \r\n"));
    QCOMPARE(p.dlg.GetBatch().GetTargetSizeKB(), 100);
    QCOMPARE(p.Edit("widthEdit")->text(), QString("100"));
    auto* spin = p.Child<CSpinButton>("qualitySpin");
    QCOMPARE(spin->GetMinimum(), 1);
    QCOMPARE(spin->GetMaximum(), 100);
    QCOMPARE(p.Child<CSpinButton>("sizeSpin")->GetMaximum(), 1024);
    QVERIFY(!p.Edit("sizeEdit")->isEnabled());
}

void OptionPanelTest::fixImageShowsPixels()
{
    Panel p;
    p.Choose("resizeModeCombo", "Fix Image");
    QCOMPARE(p.Info(), QString("Info : Images resize to 800 x 600"));
    QCOMPARE(p.Combo("widthUnitCombo")->currentText(), QString("Pixel"));
    QCOMPARE(p.Combo("heightUnitCombo")->currentText(), QString("Pixel"));
    QCOMPARE(p.Edit("widthEdit")->text(), QString("800"));
    QCOMPARE(p.Edit("heightEdit")->text(), QString("600"));
    p.Choose("widthUnitCombo", "Percent");
    QCOMPARE(p.Combo("resizeModeCombo")->currentText(), QString("Scaled Image"));
    QCOMPARE(p.Edit("widthEdit")->text(), QString("100.00"));
}

void OptionPanelTest::restrictWidthFollowsThePicture()
{
    testpics::TempDir dir;
    testpics::WriteColour(dir / "wide.jpg", 400, 100, "jpg");
    Panel p;
    p.AddPicture(dir / "wide.jpg");
    p.dlg.SelectEntryForPreview(0);
    p.Choose("resizeModeCombo", "Restrict Width");
    QVERIFY(!p.Edit("heightEdit")->isEnabled());
    QVERIFY(!p.Combo("heightUnitCombo")->isEnabled());
    QCOMPARE(p.Combo("heightUnitCombo")->currentText(), QString("Pixel"));
    p.Type("widthEdit", "200");
    QCOMPARE(p.Edit("heightEdit")->text(), QString("50"));
    QCOMPARE(p.dlg.GetBatch().GetDimensions().heightPixels, 50);
    QCOMPARE(p.Info(), QString("Info : Images resize to 200 x (200 * Propotions%) "));
    // The mode combo leaves the input mode alone; picking the unit sets it, and pixels take no point.
    p.Type("widthEdit", "12.5");
    QCOMPARE(p.Edit("widthEdit")->text(), QString("12.5"));
    p.Choose("widthUnitCombo", "Pixel");
    p.Type("widthEdit", "12.5");
    QCOMPARE(p.Edit("widthEdit")->text(), QString("125"));

    const QString out = qEnvironmentVariable("KESTROVA_PANEL_SCREENSHOT");
    if (!out.isEmpty()) {
        testpics::WriteColour(dir / "tall.png", 300, 450, "png");
        testpics::WriteColour(dir / "square.gif", 256, 256, "gif");
        p.AddPicture(dir / "tall.png");
        p.AddPicture(dir / "square.gif");
        p.dlg.SelectEntryForPreview(1);
        QTRY_VERIFY(!p.dlg.GetPreview()->IsRenderPending());
        QVERIFY(p.dlg.grab().save(out));
    }
}

void OptionPanelTest::scaledImageWithTwoPercentages()
{
    Panel p;
    p.Type("widthEdit", "50");
    p.Type("heightEdit", "25");
    QCOMPARE(p.Info(), QString("Info : Images resize to (50.00% Width) x (25.00% Height)"));
    QCOMPARE(p.dlg.GetBatch().GetDimensions().widthPercent, 5000);
    QCOMPARE(p.dlg.GetPreview()->GetHeightPercent(), 25);
    p.Type("heightEdit", "50.00");
    QCOMPARE(p.Info(), QString("Info : Images resize to 50.00% \r\n"));
    // Anything unreadable counts as 0.
    p.Type("widthEdit", ".");
    QCOMPARE(p.dlg.GetBatch().GetDimensions().widthPercent, 0);
}

void OptionPanelTest::pixelInScaledImageSwitchesToFixImage()
{
    Panel p;
    p.Choose("widthUnitCombo", "Pixel");
    QCOMPARE(p.Combo("resizeModeCombo")->currentText(), QString("Fix Image"));
    QCOMPARE(p.Combo("heightUnitCombo")->currentText(), QString("Pixel"));
    QCOMPARE(p.Child<CEditEx>("widthEdit")->GetInputMode(), 1);
    QCOMPARE(p.Child<CEditEx>("heightEdit")->GetInputMode(), 0); // only the edit whose unit was picked
}

void OptionPanelTest::nonJpegFormatsTurnCompressionOff()
{
    Panel p;
    ImageBatch& batch = p.dlg.GetBatch();
    QTest::mouseClick(p.Button("radioSize"), Qt::LeftButton);
    QCOMPARE(batch.GetCompressionChoice(), int(CompressTargetSize));
    p.Choose("formatCombo", "PNG Files (*.png)");
    QCOMPARE(batch.GetOutputExtension(), std::string(".png"));
    QCOMPARE(batch.GetCompressionChoice(), int(CompressFormatDefault));
    for (const char* name : { "radioQuality", "radioSize" })
        QVERIFY2(!p.Button(name)->isEnabled(), name);
    for (const char* name : { "qualityEdit", "sizeEdit", "qualitySpin", "sizeSpin" })
        QVERIFY2(!p.Child<QWidget>(name)->isEnabled(), name);
    // Another non-JPEG format keeps what was saved with the first.
    p.Choose("formatCombo", "TIF Files (*.tif)");
    p.Choose("formatCombo", "JPG Files (*.jpg)");
    QCOMPARE(batch.GetCompressionChoice(), int(CompressTargetSize));
    QVERIFY(p.Edit("sizeEdit")->isEnabled());
    QVERIFY(p.Spin("sizeSpin")->isEnabled());
    QVERIFY(!p.Edit("qualityEdit")->isEnabled());
    QVERIFY(p.Button("radioQuality")->isEnabled() && p.Button("radioSize")->isEnabled());
    p.Choose("formatCombo", "JPEG Files (*.jpeg)");
    QCOMPARE(batch.GetOutputExtension(), std::string(".jpeg"));
    QCOMPARE(batch.GetCompressionChoice(), int(CompressTargetSize));
}

void OptionPanelTest::targetSizeOptionEnablesOnlyItsFields()
{
    Panel p;
    QTest::mouseClick(p.Button("radioSize"), Qt::LeftButton);
    QVERIFY(p.Edit("sizeEdit")->isEnabled() && p.Spin("sizeSpin")->isEnabled());
    QVERIFY(!p.Edit("qualityEdit")->isEnabled() && !p.Spin("qualitySpin")->isEnabled());
    QVERIFY(!p.Button("radioQuality")->isChecked());
    p.Child<CSpinButton>("sizeSpin")->Step(1);
    QCOMPARE(p.dlg.GetBatch().GetTargetSizeKB(), 101);
    QTest::mouseClick(p.Button("radioQuality"), Qt::LeftButton);
    QCOMPARE(p.dlg.GetBatch().GetCompressionChoice(), int(CompressQuality));
    QVERIFY(!p.Edit("sizeEdit")->isEnabled() && p.Edit("qualityEdit")->isEnabled());
}

void OptionPanelTest::qualityIsStoredOnlyWithASelection()
{
    testpics::TempDir dir;
    testpics::WriteColour(dir / "a.jpg", 64, 48, "jpg");
    Panel p;
    p.Type("qualityEdit", "50");
    QCOMPARE(p.dlg.GetBatch().GetQuality(), 70);
    p.AddPicture(dir / "a.jpg");
    p.dlg.SelectEntryForPreview(0);
    p.dlg.OnQualityEdited(); // what adding to an empty list does
    QCOMPARE(p.dlg.GetBatch().GetQuality(), 50);
    p.Type("qualityEdit", "250");
    QCOMPARE(p.dlg.GetBatch().GetQuality(), 100);
}

void OptionPanelTest::overwriteTakesTheNewState()
{
    Panel p;
    QTest::mouseClick(p.Button("chkOverwrite"), Qt::LeftButton);
    QVERIFY(p.dlg.GetBatch().GetOverwriteExisting());
    QTest::mouseClick(p.Button("chkOverwrite"), Qt::LeftButton);
    QVERIFY(!p.dlg.GetBatch().GetOverwriteExisting());
}

void OptionPanelTest::clickingAPicturePreviewsItAndShowsTheEstimate()
{
    testpics::TempDir dir;
    testpics::WriteNoiseJpeg(dir / "n.jpg", 400, 300);
    testpics::WriteOrientedJpeg(dir / "r.jpg", 200, 100, 6);
    Panel p;
    QVERIFY(QTest::qWaitForWindowExposed(&p.dlg));
    p.AddPicture(dir / "n.jpg");
    p.AddPicture(dir / "r.jpg");
    CImageListCtrlEx* list = p.dlg.GetImageList();
    const QRect second = list->visualRect(list->model()->index(1, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(p.dlg.GetBatch().GetSelectedIndex(), 1);
    QCOMPARE(p.dlg.GetBatch().GetDimensions().referenceWidth, 100); // upright
    QCOMPARE(p.dlg.GetPreview()->GetSourceRect(), QRect(0, 0, 100, 200));

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
    QTRY_VERIFY(!p.dlg.GetPreview()->IsRenderPending());
    auto* estimate = qobject_cast<QLabel*>(p.dlg.FindControl("labelEstimate"));
    QVERIFY2(estimate->text().startsWith("Output: 400 x 300 px, about "), qPrintable(estimate->text()));
    p.Type("widthEdit", "50");
    p.Type("heightEdit", "50");
    QVERIFY2(estimate->text().startsWith("Output: 200 x 150 px"), qPrintable(estimate->text()));
    p.Choose("formatCombo", "BMP Files (*.bmp)");
    // 54 header bytes + 150 rows of 600 bytes.
    QCOMPARE(estimate->text(), QString("Output: 200 x 150 px, 88 KB"));
}

void OptionPanelTest::removingPicturesKeepsEachThumbnail()
{
    testpics::TempDir dir;
    Panel p;
    for (int i = 0; i < 8; ++i) {
        const std::string path = dir / ("p" + std::to_string(i) + ".png");
        testpics::WriteSolid(path, 40 + i, 30, static_cast<std::uint8_t>(30 * i), 0, 0);
        p.AddPicture(path);
    }
    CImageListCtrlEx* list = p.dlg.GetImageList();
    for (int i : { 1, 3, 5 })
        list->SetItemSelected(i, true);
    p.dlg.OnRemoveFiles();
    QCOMPARE(list->GetItemCount(), 5);
    QCOMPARE(p.dlg.GetBatch().GetEntryCount(), 5);
    const int kept[] = { 0, 2, 4, 6, 7 };
    for (int position = 0; position < 5; ++position) {
        const int i = kept[position];
        QCOMPARE(p.dlg.GetBatch().GetTitle(position), QString("p%1").arg(i).toStdString());
        QVERIFY(list->GetItemText(position).endsWith(QString("p%1.png").arg(i)));
        QCOMPARE(list->GetItemThumbnail(position).pixelColor(40, 30).red(), qRound(30.0 * i) );
    }
    p.dlg.OnClearAll();
    QCOMPARE(list->GetItemCount(), 0);
    QVERIFY(!p.dlg.GetPreview()->HasDisplayPicture());
    p.dlg.OnClearAll(); // on an empty list too
}

QTEST_MAIN(OptionPanelTest)
#include "OptionPanelTest.moc"
