#pragma once

#include <functional>
#include <memory>

#include <QString>
#include <QStringList>

class QApplication;
class QIcon;
class QDialog;
class SingleInstance;

// The application object: owns the QApplication, runs the start-up in its fixed order,
// keeps the program to one instance per user session and shows the main window
// modally. Exactly one exists, made by main(); interface thread only.
//
// The main window comes from a factory that is given "skins/default.zip" of the program's
// data folder (FindProgramData), so the real window and a placeholder are interchangeable.
// A main window marks itself first thing in its initialisation (MarkMainWindow) and
// unmarks itself when it closes; a later start brings the marked window forward. The
// files named on the command line, and those a later start passes on, go to the marked
// window's list when it is the real one.
class CKestrovaApp {
public:
    using MainWindowFactory = std::function<std::unique_ptr<QDialog>(const QString& skinArchive)>;

    CKestrovaApp(int& argc, char** argv);
    ~CKestrovaApp();
    CKestrovaApp(const CKestrovaApp&) = delete;
    CKestrovaApp& operator=(const CKestrovaApp&) = delete;

    // InitInstance, then ExitInstance; the process's exit status.
    int Run(const MainWindowFactory& createMainWindow);

    // Returns false in every case: after the main window has closed, or at once when
    // another instance runs.
    bool InitInstance(const MainWindowFactory& createMainWindow);
    int ExitInstance();
    // True when this process may go on; false after asking the running one to come forward
    // and add the paths.
    bool CheckSingleInstance(const QStringList& paths = {});

    static CKestrovaApp* Instance();
    QDialog* GetMainWindow() const { return m_mainWindow; }
    // The lock and socket of this start; null before CheckSingleInstance.
    SingleInstance* GetSingleInstance() const { return m_instance.get(); }

    // The program's icon, from the resources compiled into the window layer.
    static QIcon ProgramIcon();

private:
    void BringMainWindowForward();
    // Hands the paths waiting for a window to the marked one, if there is one yet.
    void DeliverPendingPaths();

    std::unique_ptr<QApplication> m_application;
    std::unique_ptr<SingleInstance> m_instance;
    QDialog* m_mainWindow = nullptr;
    QStringList m_pendingPaths;
};
