#pragma once

#include <functional>
#include <memory>

#include <QString>

class QApplication;
class QDialog;
class QWidget;
class SingleInstance;

// The application object: owns the QApplication, runs the start-up in its fixed order,
// keeps the program to one instance per user session and shows the main window
// modally. Exactly one exists, made by main(); interface thread only.
//
// The main window comes from a factory, so the real window and the placeholder are
// interchangeable. A main window marks itself first thing in its initialisation
// (MarkMainWindow), then calls InitDataDirectory and loads the language table, and
// unmarks itself when it closes.
class CKestrovaApp {
public:
    using MainWindowFactory = std::function<std::unique_ptr<QDialog>()>;

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
    // True when this process may go on; false after asking the running one to come forward.
    bool CheckSingleInstance();

    // The window that a later start brings forward carries the instance tag as a property.
    static void MarkMainWindow(QWidget* window);
    static void UnmarkMainWindow(QWidget* window);
    static QWidget* FindMarkedWindow();

    // Lets tests watch a running program that shows no output of its own: appends the
    // event to the file named by KESTROVA_TEST_EVENT_LOG, when set.
    static void LogTestEvent(const QString& event);

    // Prepares the data folder and the settings path; false after telling the user why.
    static bool InitDataDirectory();

    // "skins/default.zip" beside the program, for the markup host.
    static const QString& GetSkinArchive();
    static CKestrovaApp* Instance();
    QDialog* GetMainWindow() const { return m_mainWindow; }
    // The lock and socket of this start; null before CheckSingleInstance.
    SingleInstance* GetSingleInstance() const { return m_instance.get(); }

private:
    void BringMainWindowForward();

    std::unique_ptr<QApplication> m_application;
    std::unique_ptr<SingleInstance> m_instance;
    QDialog* m_mainWindow = nullptr;
};
