#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "controls/CEditEx.h"
#include "tests/support/TestPictures.h"
#include "ui/CImageListCtrlEx.h"
#include "ui/CKestrovaDlg.h"
#include "ui/CPictureBox.h"

namespace {

// The window with its panel, driven the way a user drives it.
class Panel : public CKestrovaDlg {
public:
    Panel()
        : CKestrovaDlg(KESTROVA_TEST_SKIN)
    {
        show();
    }
    QComboBox* Combo(const char* name) { return findChild<QComboBox*>(name); }
    QLineEdit* Edit(const char* name) { return findChild<QLineEdit*>(name); }
    QAbstractButton* Button(const char* name) { return qobject_cast<QAbstractButton*>(FindControl(name)); }
    QString Label(const char* name) { return qobject_cast<QLabel*>(FindControl(name))->text(); }
    // Which compression controls can be used, in a fixed order.
    QStringList Enabled()
    {
        QStringList on;
        for (const char* name : { "radioQuality", "qualityEdit", "qualitySpin", "radioSize", "sizeEdit", "sizeSpin" })
            if (findChild<QWidget*>(name)->isEnabled())
                on << name;
        return on;
    }
    void Choose(const char* combo, const QString& text)
    {
        const int i = Combo(combo)->findText(text);
        QVERIFY2(i >= 0, qPrintable(text));
        Combo(combo)->setCurrentIndex(i);
        emit Combo(combo)->activated(i);
    }
    void Type(const char* edit, const QString& text)
    {
        Edit(edit)->clear();
        QTest::keyClicks(Edit(edit), text);
    }
    // Through the add command, as the user's choice.
    void Add(const std::string& path)
    {
        m_files = QStringList { QString::fromStdString(path) };
        OnAddFile();
    }

protected:
    QStringList ChooseFilesToAdd() override { return m_files; }
    QStringList m_files;
};

} // namespace

class OptionPanelTest : public QObject {
    Q_OBJECT
private slots:
    void resizeModesAndUnitsGoTogether()
    {
        Panel p;
        p.Choose("resizeModeCombo", "Fix Image");
        QCOMPARE(p.Label("labelInfos"), QString("Info : Images resize to 800 x 600"));
        QCOMPARE(p.Combo("widthUnitCombo")->currentText(), QString("Pixel"));
        QCOMPARE(p.Combo("heightUnitCombo")->currentText(), QString("Pixel"));
        QCOMPARE(p.Edit("widthEdit")->text() + "x" + p.Edit("heightEdit")->text(), QString("800x600"));
        p.Choose("widthUnitCombo", "Percent");
        QCOMPARE(p.Combo("resizeModeCombo")->currentText(), QString("Scaled Image"));
        p.Type("widthEdit", "50");
        p.Type("heightEdit", "25");
        QCOMPARE(p.Label("labelInfos"), QString("Info : Images resize to (50.00% Width) x (25.00% Height)"));
        QCOMPARE(p.GetBatch().GetDimensions().widthPercent, 5000);
        QCOMPARE(p.GetPreview()->GetHeightPercent(), 25);
        p.Type("heightEdit", "50.00");
        QCOMPARE(p.Label("labelInfos"), QString("Info : Images resize to 50.00% \r\n"));
        // Pixel in Scaled Image: Fix Image, both units Pixel, the input mode only of the edit whose unit was picked.
        p.Choose("widthUnitCombo", "Pixel");
        QCOMPARE(p.Combo("resizeModeCombo")->currentText(), QString("Fix Image"));
        QCOMPARE(p.Combo("heightUnitCombo")->currentText(), QString("Pixel"));
        QCOMPARE(p.findChild<CEditEx*>("widthEdit")->GetInputMode(), 1);
        QCOMPARE(p.findChild<CEditEx*>("heightEdit")->GetInputMode(), 0);
    }

    void firstPictureStoresQualityAndRestrictWidthFollowsIt()
    {
        testpics::TempDir dir;
        testpics::WriteColour(dir / "wide.jpg", 400, 100, "jpg");
        Panel p;
        p.Type("qualityEdit", "50");
        QCOMPARE(p.GetBatch().GetQuality(), 70); // not with an empty list
        p.Add(dir / "wide.jpg");
        QCOMPARE(p.GetBatch().GetQuality(), 50);
        p.Type("qualityEdit", "250");
        QCOMPARE(p.GetBatch().GetQuality(), 100);
        p.Choose("resizeModeCombo", "Restrict Width");
        QVERIFY(!p.Edit("heightEdit")->isEnabled() && !p.Combo("heightUnitCombo")->isEnabled());
        p.Type("widthEdit", "200");
        QCOMPARE(p.Edit("heightEdit")->text(), QString("50"));
        QCOMPARE(p.GetBatch().GetDimensions().heightPixels, 50);
        QCOMPARE(p.Label("labelInfos"), QString("Info : Images resize to 200 x (200 * Propotions%) "));
        // Picking the unit sets the input mode, and pixels take no point.
        p.Choose("widthUnitCombo", "Pixel");
        p.Type("widthEdit", "12.5");
        QCOMPARE(p.Edit("widthEdit")->text(), QString("125"));

        const QString out = qEnvironmentVariable("KESTROVA_PANEL_SCREENSHOT");
        if (!out.isEmpty()) {
            testpics::WriteColour(dir / "tall.png", 300, 450, "png");
            testpics::WriteColour(dir / "square.gif", 256, 256, "gif");
            p.Add(dir / "tall.png");
            p.Add(dir / "square.gif");
            p.SelectEntryForPreview(1);
            QTRY_VERIFY(!p.GetPreview()->IsRenderPending());
            QVERIFY(p.grab().save(out));
        }
    }

    void compressionControlsFollowTheChoiceAndFormat()
    {
        Panel p;
        ImageBatch& batch = p.GetBatch();
        QTest::mouseClick(p.Button("radioSize"), Qt::LeftButton);
        QCOMPARE(batch.GetCompressionChoice(), int(CompressTargetSize));
        const QStringList sizeOn { "radioQuality", "radioSize", "sizeEdit", "sizeSpin" };
        QCOMPARE(p.Enabled(), sizeOn);
        p.Choose("formatCombo", "PNG Files (*.png)");
        QCOMPARE(batch.GetCompressionChoice(), int(CompressFormatDefault));
        QCOMPARE(p.Enabled(), QStringList());
        // Another non-JPEG format keeps what was saved with the first.
        p.Choose("formatCombo", "TIF Files (*.tif)");
        p.Choose("formatCombo", "JPG Files (*.jpg)");
        QCOMPARE(batch.GetCompressionChoice(), int(CompressTargetSize));
        QCOMPARE(p.Enabled(), sizeOn);
        QTest::mouseClick(p.Button("radioQuality"), Qt::LeftButton);
        QCOMPARE(batch.GetCompressionChoice(), int(CompressQuality));
        QCOMPARE(p.Enabled(), QStringList({ "radioQuality", "qualityEdit", "qualitySpin", "radioSize" }));
    }

    // The lists come from the format table; each entry must read as ever and choose its own extension.
    void formatListsReadAsEverAndChooseTheirExtension()
    {
        Panel p;
        const QStringList entries { "JPG Files (*.jpg)", "JPEG Files (*.jpeg)", "GIF Files (*.gif)",
            "BMP Files (*.bmp)", "PNG Files (*.png)", "PCX Files (*.pcx)", "TIF Files (*.tif)", "WebP Files (*.webp)",
            "AVIF Files (*.avif)", "JPEG XL Files (*.jxl)", "HEIC Files (*.heic)" };
        const std::vector<std::string> extensions { ".jpg", ".jpeg", ".gif", ".bmp", ".png", ".pcx", ".tif", ".webp",
            ".avif", ".jxl", ".heic" };
        QCOMPARE(p.Combo("formatCombo")->count(), entries.size());
        for (int i = 0; i < entries.size(); ++i) {
            p.Choose("formatCombo", entries[i]);
            QCOMPARE(p.GetBatch().GetOutputExtension(), extensions[static_cast<std::size_t>(i)]);
        }
        QCOMPARE(CKestrovaDlg::OpenDialogFilters(),
            QStringList({ "\tSupported Files  (*.bmp *.tif *.jpg *.jpeg *.png *.gif *.emf *.wmf *.webp *.avif *.jxl "
                          "*.heic *.heif *.tiff)",
                "\tWindows Bitmap Files(*.bmp) (*.bmp)", "\tJPEG Files (*.jpg;*.jpeg) (*.jpg *.jpeg)",
                "\tPNG Files (*.png) (*.png)", "\tGIF Files (*.gif) (*.gif)", "\tWMF Files (*.wmf) (*.wmf)",
                "\tEMF Files (*.emf) (*.emf)", "\tWebP Files (*.webp) (*.webp)", "\tAVIF Files (*.avif) (*.avif)",
                "\tJPEG XL Files (*.jxl) (*.jxl)", "\tHEIF Files (*.heic;*.heif) (*.heic *.heif)",
                "\tAll Files (*.*) (*)" }));
    }

    void clickingAPicturePreviewsItAndShowsTheEstimate()
    {
        testpics::TempDir dir;
        testpics::WriteNoiseJpeg(dir / "n.jpg", 400, 300);
        testpics::WriteOrientedJpeg(dir / "r.jpg", 200, 100, 6);
        Panel p;
        p.Add(dir / "r.jpg");
        p.Add(dir / "n.jpg");
        QCOMPARE(p.GetPreview()->GetSourceRect(), QRect(0, 0, 100, 200)); // the first picture, upright
        CImageListCtrlEx* list = p.GetImageList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(1, 0)).center());
        QTRY_VERIFY(!p.GetPreview()->IsRenderPending());
        QVERIFY2(
            p.Label("labelEstimate").startsWith("Output: 400 x 300 px, about "), qPrintable(p.Label("labelEstimate")));
        p.Type("widthEdit", "50");
        p.Type("heightEdit", "50");
        p.Choose("formatCombo", "BMP Files (*.bmp)");
        // 54 header bytes + 150 rows of 600 bytes.
        QCOMPARE(p.Label("labelEstimate"), QString("Output: 200 x 150 px, 88 KB"));
    }

    void removingPicturesKeepsEachThumbnail()
    {
        testpics::TempDir dir;
        Panel p;
        for (int i = 0; i < 8; ++i) {
            const std::string path = dir / ("p" + std::to_string(i) + ".png");
            testpics::WriteSolid(path, 40 + i, 30, static_cast<std::uint8_t>(30 * i), 0, 0);
            p.Add(path);
        }
        CImageListCtrlEx* list = p.GetImageList();
        list->SetItemSelected(0, false); // the first picture added is selected
        for (int i : { 1, 3, 5 })
            list->SetItemSelected(i, true);
        p.OnRemoveFiles();
        QCOMPARE(p.GetBatch().GetEntryCount(), 5);
        QCOMPARE(list->GetItemCount(), 5);
        for (int row = 0; const int i : { 0, 2, 4, 6, 7 }) {
            QVERIFY(list->GetItemText(row).endsWith(QString("p%1.png").arg(i)));
            const QImage thumb = list->GetItemThumbnail(row++);
            QCOMPARE(thumb.pixelColor(thumb.rect().center()).red(), 30 * i);
        }
    }
};

QTEST_MAIN(OptionPanelTest)
#include "OptionPanelTest.moc"
