#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "controls/CEditEx.h"
#include "settings/SettingsStore.h"
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
        return EnabledOf(
            { "radioQuality", "qualityEdit", "qualitySpin", "radioSize", "sizeEdit", "sizeSpin", "chkShrinkToFit" });
    }
    QStringList EnabledOf(std::initializer_list<const char*> names)
    {
        QStringList on;
        for (const char* name : names)
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
    // On its text: a check box takes clicks on its box and text only, not the whole row.
    void Tick(const char* name)
    {
        QAbstractButton* box = Button(name);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->sizeHint().width() - 4, box->height() / 2));
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

// The window keeps its settings in a folder of this test's own while it lives, so the
// options stored here never reach the other window tests running beside it.
class OwnSettings {
public:
    OwnSettings()
        : m_saved(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_dir.Path().string()));
    }
    ~OwnSettings() { qputenv("XDG_CONFIG_HOME", m_saved); }

private:
    testpics::TempDir m_dir;
    QByteArray m_saved;
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

    // Each mode's fields, units and labels, whichever mode was shown before.
    void modesEnableWhatTheyAskFor_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("enabled");
        QTest::addColumn<QString>("labels");
        const QStringList all { "widthEdit", "widthUnitCombo", "heightEdit", "heightUnitCombo" };
        QTest::newRow("scaled") << "Restrict Height"
                                << "Scaled Image" << all << "Width/Height";
        QTest::newRow("fix") << "Long Edge"
                             << "Fix Image" << all << "Width/Height";
        QTest::newRow("width") << "Fit in Box"
                               << "Restrict Width" << QStringList { "widthEdit", "widthUnitCombo" } << "Width/Height";
        QTest::newRow("height") << "Short Edge"
                                << "Restrict Height" << QStringList { "heightEdit", "heightUnitCombo" }
                                << "Width/Height";
        QTest::newRow("box") << "Restrict Height"
                             << "Fit in Box" << QStringList { "widthEdit", "heightEdit" } << "Box width/Box height";
        QTest::newRow("long") << "Restrict Height"
                              << "Long Edge" << QStringList { "widthEdit" } << "Long edge/Height";
        QTest::newRow("short") << "Scaled Image"
                               << "Short Edge" << QStringList { "widthEdit" } << "Short edge/Height";
    }

    void modesEnableWhatTheyAskFor()
    {
        QFETCH(QString, before);
        QFETCH(QString, mode);
        QFETCH(QStringList, enabled);
        QFETCH(QString, labels);
        testpics::TempDir dir;
        testpics::WriteColour(dir / "wide.png", 400, 100, "png");
        Panel p;
        p.Add(dir / "wide.png");
        p.Choose("resizeModeCombo", before);
        p.Choose("resizeModeCombo", mode);
        QCOMPARE(p.GetBatch().GetResizeMode(), p.Combo("resizeModeCombo")->currentIndex());
        QCOMPARE(p.EnabledOf({ "widthEdit", "widthUnitCombo", "heightEdit", "heightUnitCombo" }), enabled);
        QCOMPARE(p.Label("textWidth") + "/" + p.Label("textHeight"), labels);
        // The pixel-only modes show pixels and take no point; the estimate is what the run writes.
        if (!p.Combo("widthUnitCombo")->isEnabled() && p.Edit("widthEdit")->isEnabled()) {
            QCOMPARE(p.Combo("widthUnitCombo")->currentText(), QString("Pixel"));
            p.Type("widthEdit", "20.5");
            QCOMPARE(p.Edit("widthEdit")->text(), QString("205"));
            if (p.Edit("heightEdit")->isEnabled())
                p.Type("heightEdit", "50");
            const QString expected = mode == "Short Edge" ? "820 x 205" : mode == "Long Edge" ? "205 x 51" : "200 x 50";
            QCOMPARE(p.Label("labelEstimate"), "Output: " + expected + " px");
            // Back to percents, the field takes a point again.
            p.Choose("resizeModeCombo", "Scaled Image");
            p.Type("widthEdit", "12.5");
            QCOMPARE(p.Edit("widthEdit")->text(), QString("12.5"));
        }
    }

    // Each check box reaches the run's options and the settings, and a new window shows it again.
    void optionChecksReachTheOptions_data()
    {
        QTest::addColumn<QString>("check");
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("which"); // 0 Do Not Enlarge, 1 Keep Transparency, 2 Shrink to Fit
        QTest::newRow("do not enlarge") << "chkDoNotEnlarge"
                                        << "JPG Files (*.jpg)" << 0;
        QTest::newRow("keep transparency") << "chkKeepAlpha"
                                           << "PNG Files (*.png)" << 1;
        QTest::newRow("shrink to fit") << "chkShrinkToFit"
                                       << "WebP Files (*.webp)" << 2;
    }

    void optionChecksReachTheOptions()
    {
        QFETCH(QString, check);
        QFETCH(QString, format);
        QFETCH(int, which);
        const auto chosen = [which](const OutputOptions& o) {
            const bool all[] = { o.doNotEnlarge, o.keepAlpha, o.shrinkToFit };
            return std::count(std::begin(all), std::end(all), true) == 1 && all[which];
        };
        OwnSettings settings;
        {
            Panel p;
            QVERIFY(QTest::qWaitForWindowExposed(&p));
            p.Choose("formatCombo", format);
            QTest::mouseClick(p.Button("radioSize"), Qt::LeftButton);
            QAbstractButton* box = p.Button(check.toLatin1());
            QVERIFY(box->isEnabled() && !box->isChecked());
            p.Tick(box->objectName().toLatin1());
            QVERIFY(chosen(p.GetBatch().GetOutputOptions()));
            QVERIFY(chosen(SettingsStore::GetOutputOptions()));
        }
        Panel again;
        QVERIFY(again.Button(check.toLatin1())->isChecked());
        QVERIFY(chosen(again.GetBatch().GetOutputOptions()));
    }

    // The preview and the estimate show what the run writes: a small picture kept at its size.
    void doNotEnlargeReachesThePreviewAndTheEstimate()
    {
        OwnSettings settings;
        testpics::TempDir dir;
        testpics::WriteColour(dir / "small.png", 200, 100, "png");
        Panel p;
        p.Add(dir / "small.png");
        p.Choose("resizeModeCombo", "Fit in Box");
        p.Type("widthEdit", "800");
        p.Type("heightEdit", "800");
        QCOMPARE(p.Label("labelEstimate"), QString("Output: 800 x 400 px"));
        QCOMPARE(p.GetPreview()->GetWidthPercent(), 400);
        QCOMPARE(p.GetPreview()->GetHeightPercent(), 400);
        p.Tick("chkDoNotEnlarge");
        QCOMPARE(p.Label("labelEstimate"), QString("Output: 200 x 100 px"));
        QCOMPARE(p.GetPreview()->GetWidthPercent(), 100);
        QCOMPARE(p.GetPreview()->GetHeightPercent(), 100);
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
        const QStringList sizeOn { "radioQuality", "radioSize", "sizeEdit", "sizeSpin", "chkShrinkToFit" };
        QCOMPARE(p.Enabled(), sizeOn);
        // Every lossy format takes the target size.
        for (const char* lossy : { "WebP Files (*.webp)", "AVIF Files (*.avif)", "JPEG XL Files (*.jxl)" }) {
            p.Choose("formatCombo", lossy);
            QCOMPARE(batch.GetCompressionChoice(), int(CompressTargetSize));
            QCOMPARE(p.Enabled(), sizeOn);
        }
        p.Choose("formatCombo", "PNG Files (*.png)");
        QCOMPARE(batch.GetCompressionChoice(), int(CompressFormatDefault));
        QCOMPARE(p.Enabled(), QStringList());
        QVERIFY(p.Button("chkKeepAlpha")->isEnabled()); // only with a format that holds alpha
        // Another non-JPEG format keeps what was saved with the first.
        p.Choose("formatCombo", "TIF Files (*.tif)");
        p.Choose("formatCombo", "JPG Files (*.jpg)");
        QCOMPARE(batch.GetCompressionChoice(), int(CompressTargetSize));
        QCOMPARE(p.Enabled(), sizeOn);
        QVERIFY(!p.Button("chkKeepAlpha")->isEnabled());
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
        QTRY_VERIFY2(p.Label("labelEstimate").startsWith("Output: 400 x 300 px, exactly "),
            qPrintable(p.Label("labelEstimate")));
        p.Type("widthEdit", "50");
        p.Type("heightEdit", "50");
        p.Choose("formatCombo", "BMP Files (*.bmp)");
        // 54 header bytes + 150 rows of 600 bytes.
        QTRY_COMPARE(p.Label("labelEstimate"), QString("Output: 200 x 150 px, exactly 88 KB"));
        QCOMPARE(qobject_cast<QLabel*>(p.FindControl("labelEstimate"))->toolTip(), QString("90054 bytes"));
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
