#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <optional>

#include "tests/gui/OwnSettings.h"
#include "ui/CKestrovaDlg.h"
#include "ui/FrameHitTest.h"
#include "ui/NotificationDispatch.h"

Q_DECLARE_METATYPE(FrameHit)

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    // Each test starts from the settings of a first start.
    void init() { m_settings.emplace(); }
    void cleanup() { m_settings.reset(); }
    void hitTest_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<bool>("maximised");
        QTest::addColumn<QString>("under"); // class and name of the control there; empty for none
        QTest::addColumn<FrameHit>("expected");
        const QString none;
        QTest::newRow("top-left corner") << QPoint(1, 1) << false << none << FrameHit::TopLeft;
        QTest::newRow("same point maximised") << QPoint(1, 1) << true << QString("ControlUI bar") << FrameHit::Caption;
        QTest::newRow("on the limit is not border") << QPoint(4, 100) << false << none << FrameHit::Client;
        QTest::newRow("left") << QPoint(3, 100) << false << none << FrameHit::Left;
        QTest::newRow("bottom-right") << QPoint(299, 199) << false << none << FrameHit::BottomRight;
        QTest::newRow("caption button") << QPoint(250, 20) << false << QString("ButtonUI btnClose") << FrameHit::Client;
        QTest::newRow("textCaption") << QPoint(50, 20) << false << QString("TextUI textCaption") << FrameHit::Caption;
        QTest::newRow("caption ground") << QPoint(150, 20) << false << QString("ControlUI bar") << FrameHit::Caption;
        QTest::newRow("nothing under the caption") << QPoint(150, 20) << false << none << FrameHit::Client;
        QTest::newRow("below the caption") << QPoint(150, 40) << false << QString("ControlUI bar") << FrameHit::Client;
    }

    void hitTest()
    {
        QFETCH(QPoint, point);
        QFETCH(bool, maximised);
        QFETCH(QString, under);
        // A 300 x 200 window: 4-pixel size box, caption 40 high across the whole width.
        const FrameGeometry frame { QRect(0, 0, 300, 200), QMargins(4, 4, 4, 4), QMargins(0, 0, 0, 40) };
        const QStringList c = under.split(' ');
        QTEST(HitTestFrame(frame, point, maximised, { !under.isEmpty(), c.value(0), c.value(1) }), "expected");
    }

    void dispatch()
    {
        QWidget close, min, max, restore, impostor, other;
        impostor.setObjectName("btnClose");
        const CaptionButtons caption { &close, &min, &max, &restore };
        for (const auto& [w, action] :
            { std::pair<QWidget*, DlgAction> { &close, DlgAction::Close }, { &min, DlgAction::Minimize },
                { &max, DlgAction::Maximize }, { &restore, DlgAction::Restore }, { &impostor, DlgAction::None } })
            QCOMPARE(ClassifyNotification("click", w, caption), action); // the button itself, not its name

        const std::pair<const char*, DlgAction> names[] = { { "btnAddFile", DlgAction::AddFile },
            { "btnAddFolder", DlgAction::AddFolder }, { "btnRemoveFile", DlgAction::RemoveFiles },
            { "btnClearAll", DlgAction::ClearAll }, { "btnBrowse", DlgAction::BrowseOutput },
            { "btnOpen", DlgAction::OpenOutput }, { "btnStart", DlgAction::Start },
            // Options report their own changes, whatever makes them: a click on one asks for nothing more.
            { "radioQuality", DlgAction::None }, { "radioSize", DlgAction::None }, { "chkOpenFolder", DlgAction::None },
            { "chkOverwrite", DlgAction::None } };
        for (const auto& [name, action] : names) {
            other.setObjectName(name);
            QCOMPARE(ClassifyNotification("click", &other, caption), action);
        }
        other.setObjectName("btnMenu");
        QCOMPARE(ClassifyNotification("link", &other, caption), DlgAction::ShowMenu);
        QCOMPARE(ClassifyNotification("click", &other, caption), DlgAction::None);
        QCOMPARE(ClassifyNotification("click", nullptr, caption), DlgAction::None);
    }

    void everyNamedControlExistsAndTheWindowWorks()
    {
        // A click is notified before the option changes, so a notification shows the old state.
        class Recorder : public CKestrovaDlg {
        public:
            using CKestrovaDlg::CKestrovaDlg;
            QStringList seen;

        protected:
            void Notify(const QString& type, QWidget* sender) override
            {
                const auto* b = qobject_cast<QAbstractButton*>(sender);
                seen << type + ":" + sender->objectName() + ":" + (b && b->isChecked() ? "on" : "off");
                CKestrovaDlg::Notify(type, sender);
            }
            void ShowMessage(const QString& text, QMessageBox::Icon) override { seen << "message:" + text; }
        };
        const char* const names[] = { "textCaption", "btnMenu", "btnMin", "btnMax", "btnRestore", "btnClose",
            "wndImageList", "wndPreview", "wndResizeType", "wndEditWidth", "wndCbWidth", "wndEditHeight", "wndCbHeight",
            "wndEditQuality", "wndSpinQuality", "wndEditSize", "wndSpinSize", "wndCbOutputFormats", "wndEditOutput",
            "radioQuality", "radioSize", "chkOpenFolder", "chkOverwrite", "labelInfos", "btnBrowse", "btnOpen",
            "btnAddFile", "btnAddFolder", "btnRemoveFile", "btnClearAll", "btnStart", "labelCopyright" };
        Recorder dlg(KESTROVA_TEST_SKIN);
        QVERIFY2(dlg.GetLoadError().isEmpty(), qPrintable(dlg.GetLoadError()));
        for (const char* name : names)
            QVERIFY2(dlg.FindControl(name), name);
        // Attached children sit inside their placeholders.
        QVERIFY(dlg.FindControl("wndCbOutputFormats")->isAncestorOf(dlg.findChild<QComboBox*>("formatCombo")));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QString out = qEnvironmentVariable("KESTROVA_SCREENSHOT");
        if (!out.isEmpty())
            QVERIFY(dlg.grab().save(out));

        auto* overwrite = qobject_cast<QAbstractButton*>(dlg.FindControl("chkOverwrite"));
        QTest::mouseClick(overwrite, Qt::LeftButton);
        QVERIFY(overwrite->isChecked()); // after the handler saw it off
        // The menu opens below its button.
        QWidget* button = dlg.FindControl("btnMenu");
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(dlg.seen, QStringList({ "click:chkOverwrite:off", "link:btnMenu:off" }));
        QMenu* menu = dlg.GetHelpMenu();
        QTRY_VERIFY(menu && menu->isVisible());
        QCOMPARE(menu->geometry().topLeft(), button->mapToGlobal(QPoint(0, button->height())));
        menu->close();

        // Enter and Escape leave the window open and press nothing.
        QSignalSpy finished(&dlg, &QDialog::finished);
        auto* start = qobject_cast<QAbstractButton*>(dlg.FindControl("btnStart"));
        start->setFocus();
        QSignalSpy clicked(start, &QAbstractButton::clicked);
        for (Qt::Key key : { Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape }) {
            QTest::keyClick(&dlg, key);
            QTest::keyClick(dlg.findChild<QLineEdit*>("qualityEdit"), key);
        }
        QVERIFY(dlg.isVisible() && finished.isEmpty() && clicked.isEmpty());

        // Maximise and restore swap their buttons.
        QWidget* max = dlg.FindControl("btnMax");
        QWidget* restore = dlg.FindControl("btnRestore");
        QVERIFY(max->isVisible() && !restore->isVisible());
        QTest::mouseClick(max, Qt::LeftButton);
        QTRY_VERIFY(!max->isVisible() && restore->isVisible());
        QTest::mouseClick(restore, Qt::LeftButton);
        QTRY_VERIFY(max->isVisible() && !restore->isVisible());
        // A minimised window does not count as maximised.
        dlg.OnSysCommand(CKestrovaDlg::SC_MAXIMIZE);
        QVERIFY(max->isHidden() && !restore->isHidden());
        dlg.OnSysCommand(CKestrovaDlg::SC_MINIMIZE);
        QVERIFY(!max->isHidden() && restore->isHidden());
    }

    // Maximise or Restore shows as the window's state asks, whoever changed the state.
    void captionButtonFollowsTheWindowState()
    {
        CKestrovaDlg dlg(KESTROVA_TEST_SKIN);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QWidget* max = dlg.FindControl("btnMax");
        QWidget* restore = dlg.FindControl("btnRestore");
        QWidget* caption = dlg.FindControl("textCaption");
        const auto shows = [&](bool maximised) {
            return dlg.isMaximized() == maximised && max->isVisible() != maximised && restore->isVisible() == maximised;
        };
        dlg.showMaximized();
        QTRY_VERIFY(shows(true));
        dlg.showNormal();
        QTRY_VERIFY(shows(false));
        QTest::mouseDClick(caption, Qt::LeftButton);
        QTRY_VERIFY(shows(true));
        dlg.OnSysCommand(CKestrovaDlg::SC_MINIMIZE);
        dlg.setWindowState(dlg.windowState() & ~Qt::WindowMinimized); // back from the task bar
        QTRY_VERIFY(shows(true));
        QTest::mouseClick(restore, Qt::LeftButton);
        QTRY_VERIFY(shows(false));
        QTest::mouseClick(max, Qt::LeftButton);
        QTRY_VERIFY(shows(true));
        QTest::mouseDClick(caption, Qt::LeftButton);
        QTRY_VERIFY(shows(false));
    }

    // The Menu link looks hovered only while the mouse is on it, also after its menu closed elsewhere.
    // Through the window system, as the mouse goes, so enter and leave are the desktop's.
    void menuLinkLosesItsHoverWhenItsMenuCloses()
    {
        CKestrovaDlg dlg(KESTROVA_TEST_SKIN);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QWidget* button = dlg.FindControl("btnMenu");
        const QPoint on = button->mapTo(&dlg, button->rect().center());
        QTest::mouseMove(dlg.windowHandle(), on - QPoint(30, 0)); // from beside it: an entry
        QTest::mouseMove(dlg.windowHandle(), on);
        QTRY_VERIFY(button->underMouse());
        QTest::mouseClick(dlg.windowHandle(), Qt::LeftButton, {}, on);
        QMenu* menu = dlg.GetHelpMenu();
        QTRY_VERIFY(menu && menu->isVisible());
        const QPoint elsewhere = menu->mapFromGlobal(dlg.mapToGlobal(QPoint(300, 300)));
        QTest::mouseMove(menu->windowHandle(), elsewhere);
        QTest::mouseClick(menu->windowHandle(), Qt::LeftButton, {}, elsewhere);
        QTRY_VERIFY(!menu->isVisible());
        QTRY_VERIFY(!button->underMouse());
    }

    // The ring the size box keeps around the content is the skin's frame colour all round.
    void frameRingIsTheSkinsColour()
    {
        CKestrovaDlg dlg(KESTROVA_TEST_SKIN);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QColor frame(dlg.GetRoot()->property("frameColor").toString());
        QVERIFY(frame.isValid());
        const QImage shot = dlg.grab().toImage();
        const int w = shot.width(), h = shot.height();
        for (const QPoint at : { QPoint(w / 2, 0), QPoint(w / 2, 3), QPoint(1, 20), QPoint(w - 2, 20), QPoint(2, h / 2),
                 QPoint(w / 2, h - 1) })
            QCOMPARE(shot.pixelColor(at), frame);
        QVERIFY(shot.pixelColor(w / 2, 4) != frame); // the caption starts inside it
    }

    // Homepage opens the project's page, Help the help page; without a browser the window
    // says so, or shows the help itself.
    void homepageAndHelpOpenTheirPages()
    {
        class Window : public CKestrovaDlg {
        public:
            using CKestrovaDlg::CKestrovaDlg;
            QList<QUrl> urls;
            QStringList messages;
            bool browser = true;

        protected:
            bool OpenUrl(const QUrl& url) override
            {
                urls << url;
                return browser;
            }
            void ShowMessage(const QString& text, QMessageBox::Icon) override { messages << text; }
        };
        Window dlg(KESTROVA_TEST_SKIN);
        dlg.OnShowMenu(nullptr);
        const auto item = [&](const QString& text) {
            for (QAction* action : dlg.GetHelpMenu()->actions())
                if (action->text() == text)
                    return action;
            return static_cast<QAction*>(nullptr);
        };
        item("Homepage...")->trigger();
        dlg.browser = false;
        item("Homepage...")->trigger();
        const QUrl page("https://github.com/kestrova/lumisk-studio");
        QCOMPARE(dlg.urls, QList<QUrl>({ page, page }));
        QCOMPARE(dlg.messages.size(), 1);
        QVERIFY2(dlg.messages[0].contains(page.toString()), qPrintable(dlg.messages[0]));

        // Help: the desktop's browser when there is one, else a window of our own with the page.
        const QString folder = QDir::currentPath();
        QDir::setCurrent(KESTROVA_SOURCE_DIR); // the program runs in its data folder, beside help/
        dlg.browser = true;
        item("Help...")->trigger();
        QCOMPARE(dlg.urls.last(), QUrl::fromLocalFile(QDir::current().absoluteFilePath("help/index.html")));
        QVERIFY(!dlg.findChild<QDialog*>("helpWindow"));
        dlg.browser = false;
        item("Help...")->trigger();
        QDir::setCurrent(folder);
        auto* help = dlg.findChild<QDialog*>("helpWindow");
        QVERIFY(help && help->isVisible());
        QVERIFY(help->findChild<QTextBrowser*>()->toPlainText().contains("Collecting pictures"));
        QCOMPARE(dlg.messages.size(), 1);
    }

    void brokenSkinOpensAnEmptyWindow()
    {
        QTemporaryDir dir;
        QFile f(dir.filePath("default.zip"));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("PK\x03\x04 this is not really a zip") > 0);
        f.close();
        for (const QString& path : { f.fileName(), dir.filePath("missing.zip") }) {
            CKestrovaDlg dlg(path);
            QVERIFY(!dlg.GetLoadError().isEmpty());
            QVERIFY(!dlg.FindControl("btnStart"));
            dlg.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dlg));
            dlg.OnSysCommand(CKestrovaDlg::SC_MAXIMIZE); // no caption buttons to swap: nothing breaks
        }
    }

private:
    std::optional<OwnSettings> m_settings;
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
