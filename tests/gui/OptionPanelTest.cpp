#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <optional>

#include "controls/CEditEx.h"
#include "settings/PanelOptions.h"
#include "settings/SettingsStore.h"
#include "tests/gui/OwnSettings.h"
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
        const int textEnd = std::min(box->sizeHint().width(), box->width());
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(textEnd - 4, box->height() / 2));
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

    QStringList messages;

protected:
    QStringList ChooseFilesToAdd() override { return m_files; }
    void ShowMessage(const QString& text, QMessageBox::Icon) override { messages << text; }
    QStringList m_files;
};

// The contrast ratio of two colours, 1 (none) to 21 (black on white).
double Contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

class OptionPanelTest : public QObject {
    Q_OBJECT
private slots:
    // Each test starts from the settings of a first start.
    void init() { m_settings.emplace(); }
    void cleanup() { m_settings.reset(); }
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
            QVERIFY(chosen(SettingsStore::GetPanelOptions().options));
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

    // Mouse, Space, arrows and code all change an option; its handler runs once and the change is in force.
    void everyWayOfChangingAnOptionAppliesItOnce_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("way");
        for (const char* way : { "mouse", "space", "arrow", "code" })
            QTest::addRow("radioSize by %s", way) << "radioSize" << way;
        for (const char* check : { "chkOverwrite", "chkOpenFolder", "chkDoNotEnlarge" })
            for (const char* way : { "mouse", "space", "code" })
                QTest::addRow("%s by %s", check, way) << check << way;
        for (const char* combo : { "resizeModeCombo", "widthUnitCombo", "heightUnitCombo", "formatCombo" })
            for (const char* way : { "arrow", "code" })
                QTest::addRow("%s by %s", combo, way) << combo << way;
    }

    void everyWayOfChangingAnOptionAppliesItOnce()
    {
        QFETCH(QString, control);
        QFETCH(QString, way);
        OwnSettings settings;
        Panel p;
        QVERIFY(QTest::qWaitForWindowActive(&p));
        QSignalSpy applied(&p, &CKestrovaDlg::OptionApplied);
        auto* target = p.findChild<QWidget*>(control);
        auto* button = qobject_cast<QAbstractButton*>(target);
        // The Down arrow goes to the option that has the focus, the one before the target.
        QWidget* focus = control == "radioSize" && way == "arrow" ? p.FindControl("radioQuality") : target;
        if (way == "mouse" && control == "radioSize")
            QTest::mouseClick(button, Qt::LeftButton);
        else if (way == "mouse")
            p.Tick(qPrintable(control));
        else if (way == "space" || way == "arrow") {
            focus->setFocus();
            QTest::keyClick(focus, way == "space" ? Qt::Key_Space : Qt::Key_Down);
        } else if (button)
            button->setChecked(true);
        else
            qobject_cast<QComboBox*>(target)->setCurrentIndex(1);
        QCOMPARE(applied.count(), 1);
        QCOMPARE(applied[0][0].toString(), control);
        const ImageBatch& b = p.GetBatch();
        if (control == "radioSize") {
            QCOMPARE(b.GetCompressionChoice(), CompressTargetSize);
            QCOMPARE(
                p.Enabled(), QStringList({ "radioQuality", "radioSize", "sizeEdit", "sizeSpin", "chkShrinkToFit" }));
        } else if (button) {
            QVERIFY(button->isChecked());
            const bool inForce[] = { b.GetOverwriteExisting(),
                b.GetOpenFolderAfterRun() && SettingsStore::GetOpenFolder(), b.GetDoNotEnlarge() };
            QCOMPARE(std::count(std::begin(inForce), std::end(inForce), true), 1);
        } else if (control == "formatCombo") {
            QCOMPARE(b.GetOutputExtension(), std::string(".jpeg"));
        } else {
            // Any of the three: Fix Image, pixels in both unit lists, every field on.
            QCOMPARE(b.GetResizeMode(), FixImage);
            QCOMPARE(p.Combo("widthUnitCombo")->currentText() + p.Combo("heightUnitCombo")->currentText(),
                QString("PixelPixel"));
            QCOMPARE(p.EnabledOf({ "widthEdit", "widthUnitCombo", "heightEdit", "heightUnitCombo" }).size(), 4);
        }
    }

    // The row under the keyboard in each drop-down list is drawn in the highlight and reads in it.
    void dropDownListsShowTheirHighlightedRow()
    {
        Panel p;
        QVERIFY(QTest::qWaitForWindowExposed(&p));
        for (const char* name : { "resizeModeCombo", "widthUnitCombo", "formatCombo" }) {
            QComboBox* combo = p.Combo(name);
            combo->showPopup();
            QAbstractItemView* view = combo->view();
            QTRY_VERIFY(view->isVisible());
            view->setCurrentIndex(view->model()->index(1, 0));
            const QRect row
                = (view->visualRect(view->currentIndex()) & view->viewport()->rect()).adjusted(3, 3, -3, -3);
            const QImage shot = view->viewport()->grab().toImage();
            const QColor highlight = view->palette().color(QPalette::Highlight);
            QCOMPARE(shot.pixelColor(row.right(), row.center().y()), highlight); // past the text
            QVERIFY2(Contrast(highlight, view->palette().color(QPalette::HighlightedText)) >= 4.5, name);
            double text = 1;
            for (int x = row.left(); x <= row.right(); ++x)
                text = std::max(text, Contrast(highlight, shot.pixelColor(x, row.center().y())));
            QVERIFY2(text >= 3, name);
            combo->hidePopup();
        }
    }

    // At its least size and at its first size the window shows every control whole: no two
    // overlap, each text has the room it asks for, with the longest texts the panel shows.
    void nothingOverlapsOrIsCutAtTheLeastSize()
    {
        testpics::TempDir dir;
        testpics::WriteColour(dir / "a.png", 4000, 3000, "png");
        Panel p;
        p.Add(dir / "a.png");
        p.Type("widthEdit", "99");
        p.Type("heightEdit", "98"); // "Info : Images resize to (99.00% Width) x (98.00% Height)"
        p.Choose("formatCombo", "BMP Files (*.bmp)");
        for (const QSize size : { p.minimumSize(), p.size() }) {
            p.resize(size);
            QTRY_COMPARE(p.size(), size);
            QApplication::processEvents();
            QList<QWidget*> parents = p.findChildren<QWidget*>();
            parents << &p;
            for (QWidget* parent : parents) {
                QList<QWidget*> shown;
                for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                    if (child->isVisible() && !child->isWindow())
                        shown << child;
                for (int i = 0; i < shown.size(); ++i) {
                    for (int j = i + 1; j < shown.size(); ++j)
                        QVERIFY2(!shown[i]->geometry().intersects(shown[j]->geometry()),
                            qPrintable(shown[i]->objectName() + " over " + shown[j]->objectName()));
                    const auto* label = qobject_cast<QLabel*>(shown[i]);
                    const auto* button = qobject_cast<QAbstractButton*>(shown[i]);
                    const bool text = (label && !label->text().isEmpty()) || (button && !button->text().isEmpty());
                    // A push button's hint asks for air round its text; the text itself must fit.
                    const bool push = qobject_cast<QPushButton*>(shown[i]);
                    const QSize need = label && label->wordWrap() ? QSize(0, label->heightForWidth(label->width()))
                        : push ? shown[i]->fontMetrics().size(Qt::TextShowMnemonic, button->text()) + QSize(8, 4)
                               : shown[i]->sizeHint();
                    QVERIFY2(!text || (shown[i]->width() >= need.width() && shown[i]->height() >= need.height()),
                        qPrintable(shown[i]->objectName() + " is cut"));
                }
            }
        }
    }

    // Clear All and the first picture keep the mode the user chose (it is remembered), and the fields
    // follow it: a field left on would take a value the mode ignores. So does a mode set from code.
    void fieldsFollowTheModeAfterClearAllAndTheFirstPicture()
    {
        testpics::TempDir dir;
        testpics::WriteColour(dir / "a.png", 40, 30, "png");
        Panel p;
        const QStringList all { "widthEdit", "widthUnitCombo", "heightEdit", "heightUnitCombo" };
        const QStringList heightOnly { "heightEdit", "heightUnitCombo" };
        p.Add(dir / "a.png");
        p.Choose("resizeModeCombo", "Restrict Width");
        p.OnClearAll();
        QCOMPARE(p.Combo("resizeModeCombo")->currentText(), QString("Restrict Width"));
        QCOMPARE(p.EnabledOf({ "widthEdit", "widthUnitCombo", "heightEdit", "heightUnitCombo" }),
            QStringList({ "widthEdit", "widthUnitCombo" }));
        p.Choose("resizeModeCombo", "Restrict Height");
        p.Add(dir / "a.png");
        QCOMPARE(p.Combo("resizeModeCombo")->currentText(), QString("Restrict Height"));
        QCOMPARE(p.EnabledOf({ "widthEdit", "widthUnitCombo", "heightEdit", "heightUnitCombo" }), heightOnly);
        p.Combo("resizeModeCombo")->setCurrentIndex(ScaledImage);
        QCOMPARE(p.GetBatch().GetResizeMode(), ScaledImage);
        QCOMPARE(p.EnabledOf({ "widthEdit", "widthUnitCombo", "heightEdit", "heightUnitCombo" }), all);
    }

    // Every option of the panel comes back after a restart, shown by its control, and stays when the first
    // picture comes. A preset saved from the panel brings all of it back; one edited into nonsense by hand is
    // refused with the reason and changes nothing.
    void optionsSurviveARestartAndPresetsBringThemBack()
    {
        testpics::TempDir dir;
        testpics::WriteColour(dir / "a.png", 40, 30, "png");
        PanelOptions chosen;
        {
            Panel p;
            p.Choose("resizeModeCombo", "Long Edge");
            p.Type("widthEdit", "640");
            p.Choose("formatCombo", "WebP Files (*.webp)");
            QTest::mouseClick(p.Button("radioSize"), Qt::LeftButton);
            p.Type("sizeEdit", "40");
            p.Tick("chkKeepAlpha");
            p.Tick("chkOverwrite");
            OutputOptions more = p.GetBatch().GetOutputOptions();
            more.keepMetadata = more.keepTree = more.keepDates = true;
            p.GetBatch().SetOutputOptions(more);
            p.RememberOptions();
            chosen = CapturePanelOptions(p.GetBatch());
            QCOMPARE(chosen.dimensions.mode, int(LongEdge));
            QCOMPARE(chosen.dimensions.widthPixels, 640);
            QVERIFY(p.SavePresetAs("web"));
        }
        Panel again;
        QCOMPARE(CapturePanelOptions(again.GetBatch()), chosen);
        QCOMPARE(again.Combo("resizeModeCombo")->currentText(), QString("Long Edge"));
        QCOMPARE(again.Edit("widthEdit")->text(), QString("640"));
        QCOMPARE(again.Combo("formatCombo")->currentText(), QString("WebP Files (*.webp)"));
        QVERIFY(again.Button("radioSize")->isChecked());
        QCOMPARE(again.Edit("sizeEdit")->text(), QString("40"));
        QVERIFY(again.Button("chkKeepAlpha")->isChecked() && again.Button("chkOverwrite")->isChecked());
        again.Add(dir / "a.png");
        QCOMPARE(again.GetBatch().GetResizeMode(), LongEdge);
        QCOMPARE(again.Edit("widthEdit")->text(), QString("640"));

        again.Choose("resizeModeCombo", "Scaled Image");
        again.Choose("formatCombo", "PNG Files (*.png)");
        again.Tick("chkOverwrite");
        QMenu menu;
        again.FillPresetMenu(&menu);
        QCOMPARE(menu.actions().first()->text(), QString("web"));
        menu.actions().first()->trigger();
        PanelOptions back = CapturePanelOptions(again.GetBatch());
        QCOMPARE(back.dimensions.mode, int(LongEdge));
        QCOMPARE(back.extension, std::string(".webp"));
        QCOMPARE(back.compression, chosen.compression);
        QCOMPARE(back.options, chosen.options);
        QVERIFY(back.overwrite);
        QCOMPARE(again.Combo("resizeModeCombo")->currentText(), QString("Long Edge"));
        QCOMPARE(SettingsStore::GetPanelOptions(), back); // what the panel shows is what is remembered

        SettingsStore::WriteString("PRESET:broken", "MODE", "zoom");
        QVERIFY(!again.ApplyPreset("broken"));
        QCOMPARE(again.messages.size(), 1);
        QVERIFY2(again.messages[0].contains("zoom"), qPrintable(again.messages[0]));
        QCOMPARE(CapturePanelOptions(again.GetBatch()), back);
        QVERIFY(again.DeletePresetNamed("web"));
        QCOMPARE(SettingsStore::GetPresetNames(), std::vector<std::string> { "broken" });
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
                          "*.heic *.heif *.tiff *.pcx)",
                "\tWindows Bitmap Files(*.bmp) (*.bmp)", "\tJPEG Files (*.jpg;*.jpeg) (*.jpg *.jpeg)",
                "\tPNG Files (*.png) (*.png)", "\tGIF Files (*.gif) (*.gif)", "\tWMF Files (*.wmf) (*.wmf)",
                "\tEMF Files (*.emf) (*.emf)", "\tWebP Files (*.webp) (*.webp)", "\tAVIF Files (*.avif) (*.avif)",
                "\tJPEG XL Files (*.jxl) (*.jxl)", "\tHEIF Files (*.heic;*.heif) (*.heic *.heif)",
                "\tPCX Files (*.pcx) (*.pcx)", "\tTIFF Files (*.tif;*.tiff) (*.tif *.tiff)",
                "\tAll Files (*.*) (*)" }));
        // Every format the help page promises for Add Files is offered by the dialog.
        QFile help(KESTROVA_SOURCE_DIR "/help/index.html");
        QVERIFY(help.open(QIODevice::ReadOnly));
        const QString promise
            = QString::fromUtf8(help.readAll()).section("opens pictures (", 1).section(" and more", 0, 0);
        QVERIFY(promise.contains("PCX"));
        const QStringList supported = CKestrovaDlg::OpenDialogFilters()[0].section('(', 1).chopped(1).split(' ');
        for (const QString& format : promise.split(", "))
            QVERIFY2(supported.contains("*." + format.toLower()), qPrintable(format));
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

private:
    std::optional<OwnSettings> m_settings;
};

QTEST_MAIN(OptionPanelTest)
#include "OptionPanelTest.moc"
