#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/stat.h>

// Starts the real program under the offscreen platform with a private home, config and
// runtime folder. The program reports what it does with its main window to the file that
// KESTROVA_TEST_EVENT_LOG names.
class ProgramStartTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_sandbox = std::make_unique<QTemporaryDir>();
        QVERIFY(m_sandbox->isValid());
        for (const char* folder : { "run", "home", "config", "elsewhere" })
            QVERIFY(QDir().mkpath(Path(folder)));
        ::chmod(QFile::encodeName(Path("run")).constData(), 0700);
    }

    void cleanup()
    {
        for (const auto& process : m_processes)
            process->kill(), process->waitForFinished(5000);
        m_processes.clear();
    }

    void secondStartBringsFirstForward()
    {
        QProcess& first = Start("first.log");
        QTRY_VERIFY_WITH_TIMEOUT(Events("first.log").contains("marked"), 20000);
        // The window marks itself first and prepares the folders right after.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(Path("config/Lumisk Studio Data")).isDir(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(Path("home/Da Varozez Evozer")).isDir(), 5000);

        QVERIFY(SecondStartExitsQuickly("second.log"));
        QTRY_VERIFY_WITH_TIMEOUT(Events("first.log").contains("activated"), 5000);
        QVERIFY2(!QFile::exists(Path("second.log")), "the second start must not make a window of its own");
        QCOMPARE(first.state(), QProcess::Running);
    }

    // Started from another folder, the restarted program still finds the language files beside it;
    // selecting the language stores its name again, which shows in the settings file.
    void killedFirstDoesNotBlockLaterStarts()
    {
        QProcess& first = Start("first.log");
        QTRY_VERIFY_WITH_TIMEOUT(Events("first.log").contains("marked"), 20000);
        first.kill();
        QVERIFY(first.waitForFinished(5000));
        QCOMPARE(first.exitStatus(), QProcess::CrashExit);
        QVERIFY2(QFile::exists(Path("run/Oruvane992D95CA-3532-4900-BC0E-7A8D8DED2D58.lock")),
            "a killed process leaves its lock behind");
        const QString settings = Path("config/Lumisk Studio Data/settings.ini");
        QFile file(settings);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[SETTING_INFO]\nLANGUAGE =   Deutsch  \nOPEN_FOLDER=TRUE\n");
        file.close();

        QProcess& third = Start("third.log");
        QTRY_VERIFY_WITH_TIMEOUT(Events("third.log").contains("marked"), 20000);
        QVERIFY(SecondStartExitsQuickly("fourth.log"));
        QTRY_VERIFY_WITH_TIMEOUT(Events("third.log").contains("activated"), 5000);
        QCOMPARE(third.state(), QProcess::Running);
        QTRY_COMPARE_WITH_TIMEOUT(ReadFile(settings), "[SETTING_INFO]\nLANGUAGE=Deutsch\nOPEN_FOLDER=TRUE\n", 20000);
    }

    // Files named at the start join the list, and so do those a later start names from another
    // folder: its files as Add File adds them, its folder's pictures as Add Folder does.
    void namedFilesJoinTheList()
    {
        QVERIFY(QDir().mkpath(Path("elsewhere/trip")));
        for (const char* name : { "landscape.jpg", "portrait.png" })
            QVERIFY(QFile::copy(QStringLiteral(KESTROVA_SAMPLES "/") + name, Path("elsewhere/trip/") + name));
        QVERIFY(QFile::copy(QStringLiteral(KESTROVA_SAMPLES "/grey.jpg"), Path("elsewhere/grey.jpg")));
        QFile notes(Path("elsewhere/trip/notes.txt"));
        QVERIFY(notes.open(QIODevice::WriteOnly));

        Start("first.log", { "grey.jpg" });
        QTRY_VERIFY_WITH_TIMEOUT(Events("first.log").contains("added 1"), 20000);
        QVERIFY(SecondStartExitsQuickly(
            "second.log", { "../elsewhere/trip", "../elsewhere/grey.jpg", "gone.jpg" }, "home"));
        QTRY_VERIFY_WITH_TIMEOUT(Events("first.log").contains("added 2"), 20000);
        QByteArrayList added;
        for (const QByteArray& event : Events("first.log"))
            if (event.startsWith("added"))
                added << event;
        QCOMPARE(added, QByteArrayList({ "added 1", "added 1", "added 2" }));
        QVERIFY(Events("first.log").contains("activated"));
    }

    // A FIFO in place of the settings file is not waited on: the window comes up, answers a
    // second start and leaves the FIFO as it is.
    void fifoSettingsDoNotBlockTheStart()
    {
        QVERIFY(QDir().mkpath(Path("config/Lumisk Studio Data")));
        const QString settings = Path("config/Lumisk Studio Data/settings.ini");
        QCOMPARE(::mkfifo(QFile::encodeName(settings).constData(), 0600), 0);
        Start("first.log");
        QTRY_VERIFY_WITH_TIMEOUT(Events("first.log").contains("marked"), 20000);
        QVERIFY(SecondStartExitsQuickly("second.log"));
        QTRY_VERIFY_WITH_TIMEOUT(Events("first.log").contains("activated"), 5000);
        struct stat info { };
        QVERIFY(::stat(QFile::encodeName(settings).constData(), &info) == 0 && S_ISFIFO(info.st_mode));
    }

private:
    QString Path(const QString& relative) const { return m_sandbox->path() + "/" + relative; }

    QProcess& Start(const QString& logName, const QStringList& arguments = {}, const QString& folder = "elsewhere")
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const auto& [name, value] : { std::pair("HOME", Path("home")), { "XDG_CONFIG_HOME", Path("config") },
                 { "XDG_RUNTIME_DIR", Path("run") }, { "QT_QPA_PLATFORM", "offscreen" },
                 { "KESTROVA_TEST_EVENT_LOG", Path(logName) } })
            env.insert(name, value);
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(Path(folder));
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QStringLiteral(KESTROVA_PROGRAM), arguments);
        process->waitForStarted(5000);
        m_processes.push_back(std::move(process));
        return *m_processes.back();
    }

    bool SecondStartExitsQuickly(
        const QString& logName, const QStringList& arguments = {}, const QString& folder = "elsewhere")
    {
        QProcess& second = Start(logName, arguments, folder);
        return second.waitForFinished(1000) && second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0;
    }

    static QByteArray ReadFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QByteArrayList Events(const QString& logName) const { return ReadFile(Path(logName)).split('\n'); }

    std::unique_ptr<QTemporaryDir> m_sandbox;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

QTEST_GUILESS_MAIN(ProgramStartTest)

#include "ProgramStartTest.moc"
