#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <filesystem>

#include "app/SettingsStore.h"
#include "batch/CProgressDialog.h"
#include "tests/support/TestPictures.h"
#include "ui/CImageListCtrlEx.h"
#include "ui/CKestrovaDlg.h"
#include "ui/CPictureBox.h"

namespace fs = std::filesystem;

namespace {

// The window with the desktop's dialogs answered by the test.
class Window : public CKestrovaDlg {
public:
    Window()
        : CKestrovaDlg(KESTROVA_TEST_SKIN)
    {
    }
    QStringList filesToChoose;
    QString folderToChoose;
    QStringList messages;
    QStringList opened;

    // What the window gets when files are dropped on it (Qt routes real drops to the drag's target).
    void Drop(const QMimeData& mime)
    {
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        dropEvent(&drop);
    }
    QLineEdit* Output() { return findChild<QLineEdit*>("outputEdit"); }
    int Rows() { return GetImageList()->GetItemCount(); }
    QString RowText(int i) { return GetImageList()->GetItemText(i); }

protected:
    QStringList ChooseFilesToAdd() override { return filesToChoose; }
    bool BrowseForFolder(QString& folder, const QString&) override
    {
        if (folderToChoose.isNull())
            return false;
        folder = folderToChoose;
        return true;
    }
    void ShowMessage(const QString& text, QMessageBox::Icon) override { messages << text; }
    void OpenFolder(const QString& folder) override { opened << folder; }
};

QString Q(const std::string& s) { return QString::fromStdString(s); }

} // namespace

class WindowBatchTest : public QObject {
    Q_OBJECT
private slots:
    // A run never starts the desktop's file manager from a test.
    void initTestCase() { CProgressDialog::SetOpenFolderHook([](const QString&) {}); }
    void addingFilesSkipsWhatCannotBeRead();
    void addFolderTakesOnlyScannedExtensions();
    void addingToASelectionKeepsIt();
    void droppedNamesAreAddedInOrder();
    void invalidOutputFolders_data();
    void invalidOutputFolders();
    void startAndOpenCreateMissingFolders();
    void openFolderOptionIsStoredAtOnce();
    void failedPicturesAreReportedOnce();
};

void WindowBatchTest::addingFilesSkipsWhatCannotBeRead()
{
    testpics::TempDir dir;
    QStringList files;
    for (const char* name : { "a.jpg", "b.png", "c.jpg", "d.gif" })
        testpics::WriteColour(dir / name, 120, 90, fs::path(name).extension().string().substr(1));
    testpics::WriteBytes(dir / "damaged.jpg", { 0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3 });
    for (const char* name : { "a.jpg", "damaged.jpg", "b.png", "c.jpg", "d.gif" })
        files << Q(dir / name);
    Window w;
    w.filesToChoose = files;
    w.OnAddFile();
    QCOMPARE(w.Rows(), 4);
    const char* order[] = { "a.jpg", "b.png", "c.jpg", "d.gif" };
    for (int i = 0; i < 4; ++i)
        QVERIFY2(w.RowText(i).endsWith(order[i]), qPrintable(w.RowText(i)));
    QVERIFY(w.messages.isEmpty());
    // The first picture of an empty list is selected and previewed.
    QCOMPARE(w.GetBatch().GetSelectedIndex(), 0);
    QCOMPARE(w.GetImageList()->GetSelectedItems(), std::vector<int>({ 0 }));
    QCOMPARE(w.GetPreview()->GetSourceRect(), QRect(0, 0, 120, 90));
    QCOMPARE(w.GetBatch().GetDimensions().referenceWidth, 120);

    w.filesToChoose = QStringList { Q(dir / "a.jpg") };
    w.OnAddFile();
    QCOMPARE(w.Rows(), 5); // the same file again is another row
    w.filesToChoose.clear();
    w.OnAddFile(); // cancelled: nothing
    QCOMPARE(w.Rows(), 5);
}

void WindowBatchTest::addFolderTakesOnlyScannedExtensions()
{
    testpics::TempDir dir;
    testpics::WriteColour(dir / "one.JPG", 40, 30, "jpg");
    testpics::WriteColour(dir / "two.tiff", 40, 30, "tif");
    testpics::WriteColour(dir / "three.pcx", 40, 30, "pcx");
    testpics::WriteColour(dir / "four.gif", 40, 30, "gif");
    fs::create_directory(dir / "five");
    testpics::WriteColour(dir / "five/six.jpg", 40, 30, "jpg");
    Window w;
    w.folderToChoose = Q(dir.Path().string());
    w.OnAddFolder();
    QCOMPARE(w.Rows(), 2);
    QStringList names { w.RowText(0).section(' ', -1), w.RowText(1).section(' ', -1) };
    names.sort();
    QCOMPARE(names, QStringList({ "four.gif", "one.JPG" }));
    w.folderToChoose = QString();
    w.OnAddFolder(); // chooser cancelled
    QCOMPARE(w.Rows(), 2);
}

void WindowBatchTest::addingToASelectionKeepsIt()
{
    testpics::TempDir dir;
    for (const char* name : { "a.png", "b.png", "c.png" })
        testpics::WriteColour(dir / name, 50 + name[0], 40, "png");
    Window w;
    w.filesToChoose = QStringList { Q(dir / "a.png"), Q(dir / "b.png") };
    w.OnAddFile();
    w.SelectEntryForPreview(1);
    w.GetBatch().SetResizeMode(FixImage);
    w.filesToChoose = QStringList { Q(dir / "c.png") };
    w.OnAddFile();
    QCOMPARE(w.Rows(), 3);
    QCOMPARE(w.GetBatch().GetSelectedIndex(), 1);
    QCOMPARE(w.GetBatch().GetResizeMode(), int(FixImage)); // the panel is not reset
    QCOMPARE(w.GetPreview()->GetSourceRect().width(), 50 + 'b');
}

void WindowBatchTest::droppedNamesAreAddedInOrder()
{
    testpics::TempDir dir;
    testpics::WriteColour(dir / "x.jpg", 30, 20, "jpg");
    testpics::WriteColour(dir / "y.png", 30, 20, "png");
    testpics::WriteColour(dir / "z.gif", 30, 20, "gif");
    fs::create_directory(dir / "folder");
    testpics::WriteColour(dir / "folder/inside.jpg", 30, 20, "jpg");
    const std::string note = "not a picture";
    testpics::WriteBytes(dir / "note.txt", { note.begin(), note.end() });
    Window w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QMimeData mime;
    QList<QUrl> urls;
    for (const char* name : { "z.gif", "folder", "x.jpg", "note.txt", "y.png" })
        urls << QUrl::fromLocalFile(Q(dir / name));
    mime.setUrls(urls);
    w.Drop(mime);
    QTRY_COMPARE(w.Rows(), 3);
    QVERIFY(w.RowText(0).endsWith("z.gif"));
    QVERIFY(w.RowText(1).endsWith("x.jpg"));
    QVERIFY(w.RowText(2).endsWith("y.png"));
    QVERIFY(w.messages.isEmpty());
}

void WindowBatchTest::invalidOutputFolders_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("relative") << "photos";
    QTest::newRow("network") << "smb://server/share";
    QTest::newRow("chooser without a path") << "INVALID FOLDER";
}

void WindowBatchTest::invalidOutputFolders()
{
    QFETCH(QString, folder);
    testpics::TempDir dir;
    testpics::WriteColour(dir / "a.jpg", 30, 20, "jpg");
    Window w;
    w.filesToChoose = QStringList { Q(dir / "a.jpg") };
    w.OnAddFile();
    const std::string remembered = SettingsStore::GetLastFolder();
    w.Output()->setText(folder);
    w.OnStart();
    w.OnOpenOutput();
    const QString expected = "Invalid output folder \"" + folder + "\", please select a valid one!";
    QCOMPARE(w.messages, QStringList({ expected, expected }));
    QVERIFY(w.opened.isEmpty());
    QVERIFY(!QDir(folder).exists());
    QCOMPARE(SettingsStore::GetLastFolder(), remembered);
    QVERIFY(w.GetBatch().GetConvertOutcomes().empty());
}

void WindowBatchTest::startAndOpenCreateMissingFolders()
{
    testpics::TempDir dir;
    testpics::WriteColour(dir / "a.jpg", 64, 48, "jpg");
    testpics::WriteColour(dir / "b.png", 64, 48, "png");
    Window w;
    w.OnStart(); // an empty list: nothing at all
    QVERIFY(w.messages.isEmpty());
    w.filesToChoose = QStringList { Q(dir / "a.jpg"), Q(dir / "b.png") };
    w.OnAddFile();

    const QString opened = Q(dir / "open/me");
    w.Output()->setText(opened);
    w.OnOpenOutput();
    QVERIFY(QDir(opened).exists());
    QCOMPARE(w.opened, QStringList({ opened }));

    const QString out = Q(dir / "out/new");
    w.Output()->setText(out);
    w.OnStart();
    QVERIFY(w.messages.isEmpty()); // a clean run says nothing
    QCOMPARE(Q(SettingsStore::GetLastFolder()), out + "/");
    QVERIFY(QFile::exists(out + "/a.jpg"));
    QVERIFY(QFile::exists(out + "/b.jpg"));
    QCOMPARE(w.Rows(), 2); // the list stays as it was
}

void WindowBatchTest::openFolderOptionIsStoredAtOnce()
{
    Window w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* check = qobject_cast<QAbstractButton*>(w.FindControl("chkOpenFolder"));
    const bool before = SettingsStore::GetOpenFolder();
    QCOMPARE(check->isChecked(), before);
    QTest::mouseClick(check, Qt::LeftButton);
    QCOMPARE(SettingsStore::GetOpenFolder(), !before);
    QCOMPARE(w.GetBatch().GetOpenFolderAfterRun(), !before);
    QTest::mouseClick(check, Qt::LeftButton);
    QCOMPARE(SettingsStore::GetOpenFolder(), before);
}

void WindowBatchTest::failedPicturesAreReportedOnce()
{
    testpics::TempDir dir;
    testpics::WriteColour(dir / "good.jpg", 64, 48, "jpg");
    testpics::WriteColour(dir / "gone.jpg", 64, 48, "jpg");
    Window w;
    w.filesToChoose = QStringList { Q(dir / "good.jpg"), Q(dir / "gone.jpg") };
    w.OnAddFile();
    QCOMPARE(w.Rows(), 2);
    fs::remove(dir / "gone.jpg"); // listed, then gone before the run
    w.Output()->setText(Q(dir / "out"));
    w.OnStart();
    QCOMPARE(w.messages.size(), 1);
    QVERIFY2(w.messages[0].startsWith("1 picture could not be converted:"), qPrintable(w.messages[0]));
    QVERIFY2(w.messages[0].contains("gone.jpg: "), qPrintable(w.messages[0]));
    QVERIFY(QFile::exists(Q(dir / "out/good.jpg")));
}

QTEST_MAIN(WindowBatchTest)
#include "WindowBatchTest.moc"
