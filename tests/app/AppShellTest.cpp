#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include "app/AppIdentity.h"
#include "app/CKestrovaApp.h"
#include "app/SingleInstance.h"

namespace {

const QString Tag = QString::fromLatin1(AppIdentity::InstanceTag);

// A message box shown during a call, closed and remembered.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

} // namespace

class AppShellTest : public QObject {
    Q_OBJECT

public:
    AppShellTest(CKestrovaApp& app, const QString& sandbox)
        : m_app(app)
        , m_sandbox(sandbox)
    {
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_app.CheckSingleInstance());
        QVERIFY(QFile::exists(m_app.GetSingleInstance()->GetLockPath()));
        QVERIFY(QFile::exists(m_app.GetSingleInstance()->GetSocketPath()));
        QVERIFY(m_app.GetSingleInstance()->GetSocketPath().startsWith(m_sandbox + "/run/"));
    }

    void requestBringsMarkedWindowForward_data()
    {
        QTest::addColumn<int>("state");
        QTest::newRow("minimised") << 0;
        QTest::newRow("maximised") << 1;
        QTest::newRow("hidden") << 2;
    }

    void requestBringsMarkedWindowForward()
    {
        QFETCH(int, state);
        QDialog window;
        CKestrovaApp::MarkMainWindow(&window);
        window.show();
        if (state == 0)
            window.showMinimized();
        else if (state == 1)
            window.showMaximized();
        else
            window.hide();

        SingleInstance second(Tag, SingleInstance::DefaultFolder());
        QVERIFY(!second.Acquire());
        QVERIFY(second.RequestActivation(1000));
        QTRY_VERIFY_WITH_TIMEOUT(window.isVisible() && window.windowState() == Qt::WindowNoState, 5000);
        CKestrovaApp::UnmarkMainWindow(&window);
    }

    // Before the window marks itself and once it has closed, a request shows nothing.
    void requestWithoutMarkedWindowShowsNothing()
    {
        QDialog window;
        CKestrovaApp::MarkMainWindow(&window);
        CKestrovaApp::UnmarkMainWindow(&window);
        window.showMinimized();
        QSignalSpy requests(m_app.GetSingleInstance(), &SingleInstance::ActivationRequested);
        SingleInstance second(Tag, SingleInstance::DefaultFolder());
        QVERIFY(!second.Acquire());
        QVERIFY(second.RequestActivation(1000));
        QVERIFY(requests.wait(5000));
        QVERIFY(window.isMinimized());
        QCOMPARE(CKestrovaApp::FindMarkedWindow(), nullptr);
    }

    // An instance that has run for hours still holds its lock.
    void oldLockOfLiveOwnerHolds()
    {
        const QString folder = MakeFolder("old");
        SingleInstance first(Tag, folder);
        QVERIFY(first.Acquire());
        utimbuf times { std::time(nullptr) - 7200, std::time(nullptr) - 7200 };
        QCOMPARE(::utime(QFile::encodeName(first.GetLockPath()).constData(), &times), 0);
        SingleInstance second(Tag, folder);
        QVERIFY(!second.Acquire());
    }

    // What a SIGKILL leaves behind: a lock naming a dead process and a socket file.
    void leftoversOfDeadOwnerAreTakenOver()
    {
        const QString folder = MakeFolder("dead");
        const QString lockPath = folder + "/" + Tag + ".lock";
        WriteLockOfDeadProcess(lockPath);
        QFile leftover(folder + "/" + Tag);
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.close();

        SingleInstance first(Tag, folder);
        QVERIFY(first.Acquire());
        QSignalSpy requests(&first, &SingleInstance::ActivationRequested);
        SingleInstance second(Tag, folder);
        QVERIFY(!second.Acquire());
        QVERIFY(second.RequestActivation(1000));
        QVERIFY(requests.wait(5000));
    }

    void unusableLockFolderLetsStartGoOn()
    {
        SingleInstance alone(Tag, m_sandbox + "/no/such/folder");
        QVERIFY(alone.Acquire());
        QVERIFY(!alone.RequestActivation(200));
    }

    void dataDirectoryMessages()
    {
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        // /proc refuses new folders even to root.
        qputenv("XDG_CONFIG_HOME", "/proc/kestrova-no-such-folder/config");
        QList<SeenBox> boxes = WhileClosingBoxes([] { QVERIFY(!CKestrovaApp::InitDataDirectory()); });
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, QStringLiteral("Can not create the application data directory"));
        QCOMPARE(boxes[0].title, QCoreApplication::applicationName());
        QCOMPARE(boxes[0].icon, QMessageBox::Warning);

        qputenv("XDG_CONFIG_HOME", saved);
        boxes = WhileClosingBoxes([] { QVERIFY(CKestrovaApp::InitDataDirectory()); });
        QCOMPARE(boxes.size(), 0);
        QVERIFY(QFileInfo(QString::fromLocal8Bit(saved) + "/Lumisk Studio Data").isDir());
    }

    void anotherInstanceMeansNoWindow()
    {
        m_app.ExitInstance();
        SingleInstance holder(Tag, SingleInstance::DefaultFolder());
        QVERIFY(holder.Acquire());
        bool made = false;
        QVERIFY(!m_app.InitInstance([&made] {
            made = true;
            return std::make_unique<QDialog>();
        }));
        QVERIFY(!made);
    }

    void mainWindowRunsModallyFromProgramFolder()
    {
        m_app.ExitInstance();
        QDir::setCurrent(m_sandbox);
        bool ranModally = false;
        QDialog* seen = nullptr;
        const bool result = m_app.InitInstance([&] {
            auto window = std::make_unique<QDialog>();
            seen = window.get();
            QTimer::singleShot(0, window.get(), [&, w = window.get()] {
                ranModally = m_app.GetMainWindow() == w && QApplication::activeModalWidget() == w;
                w->accept();
            });
            return window;
        });
        QVERIFY(!result);
        QVERIFY(seen != nullptr);
        QVERIFY(ranModally);
        QCOMPARE(m_app.GetMainWindow(), nullptr);
        QCOMPARE(QDir::currentPath(), QCoreApplication::applicationDirPath());
        QCOMPARE(CKestrovaApp::GetSkinArchive(), QCoreApplication::applicationDirPath() + "/skins/default.zip");
    }

private:
    QString MakeFolder(const QString& name)
    {
        const QString path = m_sandbox + "/" + name;
        QDir().mkpath(path);
        return path;
    }

    // Takes the lock file format from Qt itself, then puts in the id of a process that has ended.
    static void WriteLockOfDeadProcess(const QString& lockPath)
    {
        QByteArray content;
        {
            QLockFile probe(lockPath);
            QVERIFY(probe.tryLock(0));
            QFile written(lockPath);
            QVERIFY(written.open(QIODevice::ReadOnly));
            content = written.readAll();
            probe.unlock();
        }
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(0);
        QVERIFY(child > 0);
        QCOMPARE(::waitpid(child, nullptr, 0), child);
        content = QByteArray::number(child) + content.mid(content.indexOf('\n'));
        QFile lock(lockPath);
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(content);
    }

    template <typename Call> static QList<SeenBox> WhileClosingBoxes(Call call)
    {
        QList<SeenBox> boxes;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&boxes] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes.append({ box->windowTitle(), box->text(), box->icon() });
                box->accept();
            }
        });
        closer.start(10);
        call();
        return boxes;
    }

    CKestrovaApp& m_app;
    QString m_sandbox;
};

int main(int argc, char* argv[])
{
    QTemporaryDir sandbox;
    if (!sandbox.isValid())
        return 2;
    const QString root = sandbox.path();
    QDir().mkpath(root + "/run");
    QDir().mkpath(root + "/home");
    ::chmod(QFile::encodeName(root + "/run").constData(), 0700);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root + "/run"));
    qputenv("HOME", QFile::encodeName(root + "/home"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + "/config"));
    qputenv("QT_QPA_PLATFORM", "offscreen");

    CKestrovaApp app(argc, argv);
    AppShellTest test(app, root);
    return QTest::qExec(&test, argc, argv);
}

#include "AppShellTest.moc"
