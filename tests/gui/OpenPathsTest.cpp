#include <QMessageBox>
#include <QTest>

#include "tests/support/TestPictures.h"
#include "ui/CImageListCtrlEx.h"
#include "ui/CKestrovaDlg.h"

// Paths from the command line or a later start, handed to a running window.
class OpenPathsTest : public QObject {
    Q_OBJECT
private slots:
    // While a dialog of the window is open the paths wait: a run or an intake owns the batch.
    // Then the file joins the list as Add File adds it, the folder's pictures as Add Folder does.
    void pathsWaitForAnOpenDialogThenJoinTheList()
    {
        testpics::TempDir dir;
        testpics::WriteColour(dir / "a.png", 40, 30, "png");
        std::filesystem::create_directory(dir.Path() / "trip");
        testpics::WriteColour(dir / "trip/b.jpg", 40, 30, "jpg");
        testpics::WriteColour(dir / "trip/c.png", 40, 30, "png");
        testpics::WriteBytes(dir / "trip/notes.txt", { 'n' });

        CKestrovaDlg window(KESTROVA_TEST_SKIN);
        window.show();
        QMessageBox box(&window);
        box.setModal(true);
        box.show();
        window.QueuePathsToAdd(
            { QString::fromStdString(dir / "a.png"), QString::fromStdString((dir.Path() / "trip").string()) });
        QTest::qWait(600);
        QCOMPARE(window.GetImageList()->GetItemCount(), 0);
        box.close();
        QTRY_COMPARE_WITH_TIMEOUT(window.GetImageList()->GetItemCount(), 3, 10000);
    }
};

QTEST_MAIN(OpenPathsTest)
#include "OpenPathsTest.moc"
