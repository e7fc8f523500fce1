#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

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
