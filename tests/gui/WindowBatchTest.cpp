#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <optional>

#include "progress/CProgressDialog.h"
#include "settings/SettingsStore.h"
#include "tests/gui/OwnSettings.h"
#include "tests/support/TestPictures.h"
#include "ui/CImageListCtrlEx.h"
#include "ui/CKestrovaDlg.h"
#include "ui/COutputOptionsDialog.h"
#include "ui/CPictureBox.h"
#include "ui/RunSummary.h"

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The window with the desktop's dialogs answered by the test.
class Window : public CKestrovaDlg {
public:
    Window()
        : CKestrovaDlg(KESTROVA_TEST_SKIN)
    {
    }
    QStringList filesToChoose;
    QString folderToChoose;
    QStringList startFolders; // where each folder chooser opened
    QStringList messages;
    QStringList opened;
    bool desktopOpens = true;
    QList<SummaryText> summaries;
    QStringList summaryFolders;
    int subfolderAnswer = 0;    // to "Add the pictures in sub-folders too?"
    QStringList asked;          // folder, and "with" or "without" as the answer offered first
    bool replaceAnswer = false; // to the question before a run that would replace its own pictures
    QStringList atRisk;         // the sources it named
    std::function<void(COutputOptionsDialog&)> optionsAnswer; // the user's clicks in Options...
    bool realQuestion = false; // the window's own question box before replacing, answered by the test

    using CKestrovaDlg::dropEvent; // what the window gets for a drop (Qt routes real drops to the drag's target)
    QLineEdit* Output() { return findChild<QLineEdit*>("outputEdit"); }
    QStringList Names() // the file name that ends each row
    {
        QStringList names;
        for (int i = 0; i < GetImageList()->GetItemCount(); ++i)
            names << GetImageList()->GetItemText(i).section(' ', -1);
        return names;
    }
    void Add(const QStringList& files)
    {
        filesToChoose = files;
        OnAddFile();
    }

protected:
    QStringList ChooseFilesToAdd() override { return filesToChoose; }
    bool BrowseForFolder(QString& folder, const QString&) override
    {
        startFolders << folder;
        folder = folderToChoose;
        return !folder.isNull();
    }
    void ShowMessage(const QString& text, QMessageBox::Icon) override { messages << text; }
    bool OpenFolder(const QString& folder) override
    {
        opened << folder;
        return desktopOpens;
    }
    void ShowSummary(const SummaryText& summary, const QString& folder) override
    {
        summaries << summary;
        summaryFolders << folder;
    }
    int AskIncludeSubfolders(const QString& folder, bool withThemLastTime) override
    {
        asked << folder + (withThemLastTime ? " with" : " without");
        return subfolderAnswer;
    }
    bool ConfirmReplacing(const std::vector<PlannedOutput>& risky, const std::vector<PlannedOutput>& plan) override
    {
        if (realQuestion)
            return CKestrovaDlg::ConfirmReplacing(risky, plan);
        for (const PlannedOutput& p : risky)
            atRisk << QString::fromStdString(p.source);
        return replaceAnswer;
    }
    bool ExecOptionsDialog(COutputOptionsDialog& dialog) override
    {
        if (!optionsAnswer)
            return false;
        optionsAnswer(dialog);
        return true;
    }
};

// Every file under folder, by its path relative to it, sorted.
QStringList Tree(const std::string& folder)
{
    QStringList names;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file())
            names << Q(fs::relative(e.path(), folder).string());
    names.sort();
    return names;
}

// Writes a picture in the format its name says.
QString WritePicture(const testpics::TempDir& dir, const std::string& name, int width = 40)
{
    const std::string format = QString::fromStdString(name.substr(name.rfind('.') + 1)).toLower().toStdString();
    testpics::WriteColour(dir / name, width, 30, format == "tiff" ? "tif" : format);
    return Q(dir / name);
}

} // namespace

class WindowBatchTest : public QObject {
    Q_OBJECT
private slots:
    // Each test starts from the settings of a first start.
    void init() { m_settings.emplace(); }
    void cleanup() { m_settings.reset(); }
    // A run never starts the desktop's file manager from a test.
    void initTestCase()
    {
        CProgressDialog::SetOpenFolderHook([](const QString&) {});
    }

    void addingFilesFoldersAndDrops()
    {
        testpics::TempDir dir;
        QStringList files;
        for (const char* name : { "a.jpg", "damaged.jpg", "b.png", "c.jpg", "d.gif" })
            files << WritePicture(dir, name, 100 + int(files.size()));
        testpics::WriteBytes(dir / "damaged.jpg", { 0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3 });
        Window w;
        w.Add(files);
        QCOMPARE(w.Names(), QStringList({ "a.jpg", "b.png", "c.jpg", "d.gif" }));
        // The file not added is named with the reason, after the intake.
        QCOMPARE(w.summaries.size(), 1);
        QCOMPARE(w.summaries[0].heading, QString("4 of 5 files were added"));
        QCOMPARE(w.summaries[0].details,
            QString("1 file was not added:\n\ndamaged.jpg: not a picture: the file's header is damaged or incomplete"));
        QCOMPARE(w.summaryFolders[0], QString());
        // Adding to a selection keeps it and the panel; the same file again is another row.
        w.SelectEntryForPreview(2);
        w.GetBatch().SetResizeMode(FixImage);
        w.Add({ files[0] });
        QCOMPARE(w.Names(), QStringList({ "a.jpg", "b.png", "c.jpg", "d.gif", "a.jpg" }));
        QCOMPARE(w.GetBatch().GetSelectedIndex(), 2);
        QCOMPARE(w.GetBatch().GetResizeMode(), int(FixImage));
        QCOMPARE(w.GetPreview()->GetSourceRect().width(), 103);
        // A folder gives only the extensions scanned, and none of its sub-folders.
        testpics::TempDir folder;
        for (const char* name : { "one.JPG", "two.tiff", "three.pcx", "four.gif" })
            WritePicture(folder, name);
        fs::create_directory(folder / "five");
        WritePicture(folder, "five/six.jpg");
        w.folderToChoose = Q(folder.Path().string());
        w.OnAddFolder();
        QCOMPARE(w.asked, QStringList({ w.folderToChoose + " without" }));
        QStringList added = w.Names().mid(5);
        added.sort();
        QCOMPARE(added, QStringList({ "four.gif", "one.JPG", "two.tiff" }));
        QCOMPARE(w.summaries.size(), 1); // all added: nothing to say
        // Dropped pictures, a folder and a text file: the pictures in order, then the folder's; the text named.
        testpics::WriteBytes(dir / "note.txt", { 'n', 'o', 't', 'e' });
        QMimeData mime;
        mime.setUrls({ QUrl::fromLocalFile(Q(dir / "d.gif")), QUrl::fromLocalFile(Q(folder / "five")),
            QUrl::fromLocalFile(Q(dir / "b.png")), QUrl::fromLocalFile(Q(dir / "note.txt")),
            QUrl::fromLocalFile(Q(dir / "c.jpg")) });
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        w.dropEvent(&drop);
        QTRY_COMPARE(w.Names().mid(8), QStringList({ "d.gif", "b.png", "c.jpg", "six.jpg" }));
        QCOMPARE(w.summaries.size(), 2);
        QVERIFY2(w.summaries[1].details.startsWith("1 file was not added:\n\nnote.txt: "),
            qPrintable(w.summaries[1].details));
        QVERIFY(w.messages.isEmpty());
    }

    // A tree added with its sub-folders, the answer remembered; Options... keeps the tree, and a run mirrors it.
    // With Replace chosen and the sources' own folder as output, the run asks first and a No writes nothing.
    void treesOptionsAndReplacingSources()
    {
        testpics::TempDir dir;
        // Settings of its own: the answers it stores must not reach the other tests.
        const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
        const auto restore = qScopeGuard([&] { qputenv("XDG_CONFIG_HOME", savedConfig); });
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir / "config"));
        for (const char* name : { "x.png", "a/x.png", "a/b/x.png" }) {
            fs::create_directories((dir / name).substr(0, (dir / name).rfind('/')));
            WritePicture(dir, name);
        }
        Window w;
        w.folderToChoose = Q(dir.Path().string());
        w.subfolderAnswer = 1;
        w.OnAddFolder();
        QCOMPARE(w.Names(), QStringList({ "x.png", "x.png", "x.png" }));
        w.OnClearAll();
        w.OnAddFolder();
        QCOMPARE(w.asked, QStringList({ w.folderToChoose + " without", w.folderToChoose + " with" }));
        QVERIFY(SettingsStore::GetPanelOptions().options.includeSubfolders);

        w.optionsAnswer = [](COutputOptionsDialog& d) {
            QVERIFY(d.Check("chkSubfolders")->isChecked());
            d.Check("chkKeepTree")->setChecked(true);
            d.GetExistingCombo()->setCurrentIndex(COutputOptionsDialog::ReplaceIt);
        };
        w.OnOptions();
        QVERIFY(w.GetBatch().GetOutputOptions().keepTree);
        QVERIFY(w.GetBatch().GetOverwriteExisting());
        QVERIFY(qobject_cast<QAbstractButton*>(w.FindControl("chkOverwrite"))->isChecked());
        w.Output()->setText(Q(dir / "out"));
        w.OnStart();
        QVERIFY(w.atRisk.isEmpty());
        QCOMPARE(Tree(dir / "out"), QStringList({ "a/b/x.jpg", "a/x.jpg", "x.jpg" }));

        // Written as PNG into the sources' own folder: each replaces its source.
        w.GetBatch().SetOutputExtension(".png");
        const std::vector<std::uint8_t> before = testpics::ReadBytes(dir / "a/x.png");
        w.Output()->setText(Q(dir.Path().string()));
        w.OnStart();
        QCOMPARE(w.atRisk, QStringList({ Q(dir / "x.png"), Q(dir / "a/x.png"), Q(dir / "a/b/x.png") }));
        QCOMPARE(w.summaries.size(), 1); // the run that was not made has none
        QVERIFY(testpics::ReadBytes(dir / "a/x.png") == before);
        // Without the tree, all three would go to one name: the later two are at risk too.
        w.atRisk.clear();
        w.optionsAnswer = [](COutputOptionsDialog& d) { d.Check("chkKeepTree")->setChecked(false); };
        w.OnOptions();
        w.Output()->setText(Q(dir / "out"));
        w.OnStart();
        QCOMPARE(w.atRisk, QStringList({ Q(dir / "a/x.png"), Q(dir / "a/b/x.png") }));
        // The real question names how many and which, lists the plan in its details, and Cancel is the default.
        w.realQuestion = true;
        QString text, details;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box && box->objectName() == "replaceQuestion");
            text = box->text();
            details = box->detailedText();
            QTest::keyClick(box, Qt::Key_Return);
        });
        w.OnStart();
        QCOMPARE(text, QString("Overwrite is on, and this run would replace 2 of its own pictures:\nx.png\nx.png"));
        QVERIFY2(details.contains(Q(dir / "a/x.png") + " -> " + Q(dir / "out/x.png") + " (collides with "),
            qPrintable(details));
        QCOMPARE(w.summaries.size(), 1);
        w.realQuestion = false;
        w.replaceAnswer = true;
        w.OnStart();
        QCOMPARE(w.summaries.size(), 2);
    }

    // Add Folder's chooser opens in the folder chosen last, else the user's pictures, else home.
    void addFolderOpensWhereTheUserLooks()
    {
        testpics::TempDir home;
        const QByteArray savedHome = qgetenv("HOME"), savedConfig = qgetenv("XDG_CONFIG_HOME");
        const auto restore = qScopeGuard([&] {
            qputenv("HOME", savedHome);
            qputenv("XDG_CONFIG_HOME", savedConfig);
        });
        qputenv("HOME", QByteArray::fromStdString(home.Path().string()));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home / "config"));
        testpics::TempDir chosen;
        WritePicture(chosen, "a.jpg");
        Window w;
        w.OnAddFolder(); // cancelled: nothing is remembered
        fs::create_directory(home / "Pictures");
        w.OnAddFolder();
        w.folderToChoose = Q(chosen.Path().string());
        w.OnAddFolder();
        QCOMPARE(w.Names(), QStringList({ "a.jpg" }));
        w.OnAddFolder();
        Window again; // and in the next session
        again.OnAddFolder();
        QCOMPARE(w.startFolders + again.startFolders,
            QStringList({ Q(home.Path().string()), Q(home / "Pictures"), Q(home / "Pictures"),
                Q(chosen.Path().string()), Q(chosen.Path().string()) }));
    }

    void invalidOutputFolders_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("relative") << "photos";
        QTest::newRow("network") << "smb://server/share";
        QTest::newRow("chooser without a path") << "INVALID FOLDER";
    }

    void invalidOutputFolders()
    {
        QFETCH(QString, folder);
        testpics::TempDir dir;
        Window w;
        w.Add({ WritePicture(dir, "a.jpg") });
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

    void openFolderOptionAndRunsThatCreateFoldersAndReportFailures()
    {
        testpics::TempDir dir;
        Window w;
        w.OnStart(); // an empty list: nothing at all
        QVERIFY(w.messages.isEmpty() && w.summaries.isEmpty());
        // The open-folder option is in the settings right after the click.
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* check = qobject_cast<QAbstractButton*>(w.FindControl("chkOpenFolder"));
        const bool before = SettingsStore::GetOpenFolder();
        QTest::mouseClick(check, Qt::LeftButton);
        QCOMPARE(SettingsStore::GetOpenFolder(), !before);
        QCOMPARE(w.GetBatch().GetOpenFolderAfterRun(), !before);
        QTest::mouseClick(check, Qt::LeftButton);
        QCOMPARE(SettingsStore::GetOpenFolder(), before);
        w.Add({ WritePicture(dir, "a.jpg"), WritePicture(dir, "b.png") });
        const QString opened = Q(dir / "open/me");
        w.Output()->setText(opened);
        w.OnOpenOutput();
        QVERIFY(QDir(opened).exists());
        QCOMPARE(w.opened, QStringList({ opened }));
        QVERIFY(w.messages.isEmpty());
        // A desktop without a file manager: the window says so.
        w.desktopOpens = false;
        w.OnOpenOutput();
        QCOMPARE(w.messages,
            QStringList({ "Could not open the folder \"" + opened + "\": no program to show folders was found." }));
        w.messages.clear();
        w.desktopOpens = true;

        const QString out = Q(dir / "out/new");
        w.Output()->setText(out);
        w.OnStart();
        QVERIFY(w.messages.isEmpty());
        // A clean run has a summary too, with nothing to list, and offers its folder.
        QCOMPARE(w.summaries.size(), 1);
        QCOMPARE(w.summaries[0].heading, QString("All 2 pictures were written"));
        QVERIFY2(w.summaries[0].facts.startsWith("Written: 2\nFailed: 0\nSkipped: 0\nOver target: 0\nDamaged: 0\n"),
            qPrintable(w.summaries[0].facts));
        QCOMPARE(w.summaries[0].details, QString());
        QCOMPARE(w.summaryFolders[0], out + "/");
        QCOMPARE(Q(SettingsStore::GetLastFolder()), out + "/");
        QVERIFY(QFile::exists(out + "/a.jpg") && QFile::exists(out + "/b.jpg"));

        fs::remove(dir / "b.png"); // listed, then gone before the next run
        w.Output()->setText(Q(dir / "again"));
        w.OnStart();
        QCOMPARE(w.summaries.size(), 2);
        QCOMPARE(w.summaries[1].heading, QString("1 of 2 pictures were written"));
        QVERIFY2(w.summaries[1].details.startsWith("1 picture could not be converted:\n\nb.png: "),
            qPrintable(w.summaries[1].details));

        // A picture written from a damaged file is named too, with what is wrong.
        testpics::WriteDamaged(dir / "c.png", "idat_crc.png");
        w.Add({ Q(dir / "c.png") });
        w.Output()->setText(Q(dir / "third"));
        w.OnStart();
        QCOMPARE(w.summaries.size(), 3);
        QVERIFY(w.summaries[2].facts.contains("\nDamaged: 1\n"));
        QVERIFY2(w.summaries[2].details.contains("\n\n1 picture was written with a warning:\n")
                && w.summaries[2].details.contains("c.png: damaged: only part of the picture could be read"),
            qPrintable(w.summaries[2].details));

        // A picture that stays over its target size even at the lowest quality is written and named.
        w.OnClearAll();
        testpics::WriteNoiseJpeg(dir / "noise.jpg", 400, 300);
        w.Add({ Q(dir / "noise.jpg") });
        w.GetBatch().SetCompressionChoice(CompressTargetSize);
        w.GetBatch().SetTargetSizeKB(1);
        w.Output()->setText(Q(dir / "fourth"));
        w.OnStart();
        QCOMPARE(w.summaries.size(), 4);
        QVERIFY(w.summaries[3].facts.contains("\nOver target: 1\n"));
        QVERIFY2(w.summaries[3].details.startsWith("1 picture was written over the target size:\n\nnoise.jpg: ")
                && w.summaries[3].details.contains(" KB, target 1 KB (quality 1)"),
            qPrintable(w.summaries[3].details));
        QVERIFY(QFile::exists(Q(dir / "fourth/noise.jpg")));
    }

private:
    std::optional<OwnSettings> m_settings;
};

QTEST_MAIN(WindowBatchTest)
#include "WindowBatchTest.moc"
