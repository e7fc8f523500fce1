#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>

#include "app/CKestrovaApp.h"
#include "app/ProgramPaths.h"
#include "app/SingleInstance.h"
#include "settings/AppIdentity.h"
#include "ui/MainWindowMark.h"

// What a second instance's request does to the window, in this process, and where the
// program looks for its files; ProgramStartTest starts the real program twice, and kills it.
class AppShellTest : public QObject {
    Q_OBJECT

    CKestrovaApp* const m_app = CKestrovaApp::Instance();
    const QString m_tag = QString::fromLatin1(AppIdentity::InstanceTag);

private slots:
    void initTestCase() { QVERIFY(m_app->CheckSingleInstance()); }

    void requestBringsMarkedWindowForward_data()
    {
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<bool>("marked");
        QTest::newRow("minimised") << false << true;
        QTest::newRow("hidden") << true << true;
        // Before the window marks itself and once it has closed, a request shows nothing.
        QTest::newRow("unmarked") << false << false;
    }

    void requestBringsMarkedWindowForward()
    {
        QFETCH(bool, hidden);
        QFETCH(bool, marked);
        QDialog window;
        MarkMainWindow(&window);
        if (!marked)
            UnmarkMainWindow(&window);
        window.showMinimized();
        window.setVisible(!hidden);

        QSignalSpy requests(m_app->GetSingleInstance(), &SingleInstance::ActivationRequested);
        SingleInstance second(m_tag, SingleInstance::DefaultFolder());
        QVERIFY(!second.Acquire());
        QVERIFY(second.RequestActivation(1000));
        QVERIFY(requests.wait(5000));
        if (marked)
            QTRY_VERIFY_WITH_TIMEOUT(window.isVisible() && window.windowState() == Qt::WindowNoState, 5000);
        else
            QVERIFY(window.isMinimized());
    }

    // The paths come whole and in order, whatever characters they hold, even when the request
    // arrives in pieces; a peer that does not speak the request is dropped without a signal,
    // and entries that are not absolute too.
    void requestCarriesItsPaths()
    {
        QSignalSpy requests(m_app->GetSingleInstance(), &SingleInstance::ActivationRequested);
        const QString socketPath = m_app->GetSingleInstance()->GetSocketPath();
        QLocalSocket stranger;
        stranger.connectToServer(socketPath);
        QVERIFY(stranger.waitForConnected(1000));
        stranger.write(QByteArray("hello\n/etc/passwd\0\0", 20));
        QVERIFY(stranger.waitForBytesWritten(1000));

        QLocalSocket slow;
        slow.connectToServer(socketPath);
        QVERIFY(slow.waitForConnected(1000));
        slow.write(QByteArray("activate\n/a.jpg\0", 16));
        QVERIFY(slow.waitForBytesWritten(1000));
        QTest::qWait(200);
        QCOMPARE(requests.size(), 0);
        slow.write(QByteArray("/b.jpg\0\0", 8));
        QVERIFY(slow.waitForBytesWritten(1000));
        QVERIFY(requests.wait(5000));
        QCOMPARE(requests.takeFirst().first().toStringList(), QStringList({ "/a.jpg", "/b.jpg" }));

        QStringList paths { QStringLiteral("/tmp/a b.jpg"), QString::fromUtf8("/tmp/\u00fcber\nzwei.png") };
        for (int i = 0; i < 1000; ++i)
            paths << QStringLiteral("/pictures/trip/%1.jpg").arg(i);
        SingleInstance second(m_tag, SingleInstance::DefaultFolder());
        QVERIFY(!second.Acquire());
        QVERIFY(second.RequestActivation(1000, QStringList(paths) << QStringLiteral("relative.jpg")));
        QVERIFY(requests.wait(5000));
        QTest::qWait(100);
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().first().toStringList(), paths);
    }

    // From the build folder the files are beside the program; installed, in share/kestrova.
    void programDataBesideOrInstalled()
    {
        QTemporaryDir tree;
        const QString root = tree.path();
        for (const char* skin : { "/build/app/skins", "/usr/share/kestrova/skins", "/usr/bin" })
            QVERIFY(QDir().mkpath(root + skin));
        for (const char* zip : { "/build/app/skins/default.zip", "/usr/share/kestrova/skins/default.zip" }) {
            QFile file(root + zip);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(FindProgramData(root + "/build/app", "../share/kestrova"), root + "/build/app");
        QCOMPARE(FindProgramData(root + "/usr/bin", "../share/kestrova"), root + "/usr/share/kestrova");
        QCOMPARE(FindProgramData(root + "/usr/bin"), root + "/usr/share/kestrova"); // this build's layout
        QCOMPARE(FindProgramData(root + "/nowhere", "../share/kestrova"), root + "/nowhere");
    }

    // Relative names start in the folder the program was started in; each path comes once.
    void argumentsBecomeAbsolutePaths()
    {
        QTemporaryDir tree;
        const QString root = tree.path();
        QVERIFY(QDir().mkpath(root + "/start") && QDir().mkpath(root + "/pics"));
        for (const char* name : { "/start/a.jpg", "/pics/b b.png" }) {
            QFile file(root + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QString url = QUrl::fromLocalFile(root + "/pics/b b.png").toString(QUrl::FullyEncoded);
        const OpenArguments opened = ResolveOpenArguments(
            { "a.jpg", "../pics/", url, "gone.jpg", "", "./a.jpg", "../start/../pics/b b.png" }, root + "/start");
        QCOMPARE(opened.paths, QStringList({ root + "/start/a.jpg", root + "/pics", root + "/pics/b b.png" }));
        QCOMPARE(opened.missing, QStringList({ "gone.jpg" }));
    }

    void windowIconIsCompiledIn()
    {
        for (int size : { 16, 48, 256 })
            QCOMPARE(QApplication::windowIcon().pixmap(QSize(size, size)).size(), QSize(size, size));
    }
};

// A runtime folder of its own, so a Kestrova running on this machine does not answer.
int main(int argc, char* argv[])
{
    QTemporaryDir runtime;
    ::chmod(QFile::encodeName(runtime.path()).constData(), 0700);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    CKestrovaApp app(argc, argv);
    AppShellTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "AppShellTest.moc"
