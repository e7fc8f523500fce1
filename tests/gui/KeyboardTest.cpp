#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <optional>

#include "progress/CProgressDialog.h"
#include "tests/gui/OwnSettings.h"
#include "tests/support/TestPictures.h"
#include "ui/CImageListCtrlEx.h"
#include "ui/CKestrovaDlg.h"
#include "ui/CPictureBox.h"

namespace {

// The window driven by keys alone; the Add Files dialog answers with the test's files.
class Window : public CKestrovaDlg {
public:
    Window()
        : CKestrovaDlg(KESTROVA_TEST_SKIN)
    {
        show();
    }
    QStringList filesToChoose;
    int dialogs = 0;
    QStringList Names()
    {
        QStringList names;
        for (int i = 0; i < GetImageList()->GetItemCount(); ++i)
            names << GetImageList()->GetItemText(i).section(' ', -1);
        return names;
    }
    QLineEdit* Edit(const char* name) { return findChild<QLineEdit*>(name); }

protected:
    QStringList ChooseFilesToAdd() override
    {
        ++dialogs;
        return filesToChoose;
    }
    void ShowMessage(const QString&, QMessageBox::Icon) override { }
    void ShowSummary(const SummaryText&, const QString&) override { }
};

// Three pictures, 40, 50 and 60 pixels wide, added with Ctrl+O.
void AddThree(Window& w, const testpics::TempDir& dir)
{
    for (int i = 0; i < 3; ++i) {
        const std::string path = dir / ("p" + std::to_string(i) + ".png");
        testpics::WriteColour(path, 40 + 10 * i, 30, "png");
        w.filesToChoose << QString::fromStdString(path);
    }
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    // The intake's progress dialog took the focus; the desktop gives it back.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

} // namespace

class KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    // Each test starts from the settings of a first start.
    void init() { m_settings.emplace(); }
    void cleanup() { m_settings.reset(); }
    void initTestCase()
    {
        CProgressDialog::SetOpenFolderHook([](const QString&) {});
    }

    // Arrows move the selection and the preview follows it; Delete in the list removes the
    // selected pictures, in a field only a character.
    void arrowsSelectAndDeleteRemovesFromTheList()
    {
        testpics::TempDir dir;
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(&w));
        AddThree(w, dir);
        QCOMPARE(w.dialogs, 1);
        QCOMPARE(w.Names(), QStringList({ "p0.png", "p1.png", "p2.png" }));
        CImageListCtrlEx* list = w.GetImageList();
        const auto shown = [&] { return w.GetPreview()->GetSourceRect().width(); };
        QCOMPARE(shown(), 40);
        list->setFocus();
        const std::pair<Qt::Key, int> moves[]
            = { { Qt::Key_Right, 50 }, { Qt::Key_Right, 60 }, { Qt::Key_Left, 50 }, { Qt::Key_Home, 40 } };
        for (const auto& [key, width] : moves) {
            QTest::keyClick(list, key);
            QCOMPARE(shown(), width);
            QCOMPARE(list->GetSelectedItems(), std::vector<int>({ (width - 40) / 10 }));
        }
        QTest::keyClick(list, Qt::Key_Right);
        QTest::keyClick(list, Qt::Key_Right, Qt::ShiftModifier);

        QLineEdit* width = w.Edit("widthEdit");
        width->setFocus();
        width->setCursorPosition(0);
        QTest::keyClick(width, Qt::Key_Delete);
        QCOMPARE(width->text(), QString("00.00"));
        QCOMPARE(w.Names().size(), 3);

        list->setFocus();
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(w.Names(), QStringList({ "p0.png" }));
        QCOMPARE(w.GetBatch().GetEntryCount(), 1);
        QCOMPARE(shown(), 40);
    }

    // Tab visits every control as the window reads, once, and comes round again.
    void tabGoesAsTheWindowReads()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.GetImageList()->setFocus();
        QStringList visited;
        for (int i = 0; i < 23; ++i) {
            visited << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited,
            QStringList({ "imageList", "btnAddFile", "btnAddFolder", "btnRemoveFile", "btnClearAll", "resizeModeCombo",
                "widthEdit", "widthUnitCombo", "heightEdit", "heightUnitCombo", "chkDoNotEnlarge", "radioQuality",
                "qualityEdit", "formatCombo", "outputEdit", "btnBrowse", "btnOpen", "btnOptions", "chkOverwrite",
                "chkOpenFolder", "btnStart", "imageList", "btnAddFile" }));
    }

    // Ctrl+Return starts the run, whichever control has the focus.
    void ctrlReturnStarts()
    {
        testpics::TempDir dir;
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(&w));
        AddThree(w, dir);
        const std::string out = dir / "out";
        w.Edit("outputEdit")->setText(QString::fromStdString(out));
        QLineEdit* quality = w.Edit("qualityEdit");
        quality->setFocus();
        QTest::keyClick(quality, Qt::Key_Return);
        QVERIFY(!std::filesystem::exists(out));
        QTest::keyClick(quality, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(std::filesystem::exists(dir / "out/p2.jpg"));
        std::filesystem::remove_all(out);
        w.activateWindow(); // after the run's progress dialog
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.GetImageList()->setFocus();
        QTest::keyClick(w.GetImageList(), Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
        QVERIFY(std::filesystem::exists(dir / "out/p0.jpg"));
    }

private:
    std::optional<OwnSettings> m_settings;
};

QTEST_MAIN(KeyboardTest)
#include "KeyboardTest.moc"
