#include "app/CKestrovaApp.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QIcon>

#include <cstdio>
#include <utility>

#include "app/ProgramPaths.h"
#include "app/SingleInstance.h"
#include "settings/AppIdentity.h"
#include "ui/CKestrovaDlg.h"
#include "ui/MainWindowMark.h"

namespace {

CKestrovaApp* g_app = nullptr;

constexpr int ActivationTimeoutMs = 300;

} // namespace

CKestrovaApp::CKestrovaApp(int& argc, char** argv)
    : m_application(std::make_unique<QApplication>(argc, argv))
{
    g_app = this;
    QApplication::setWindowIcon(ProgramIcon());
    // Ties the windows to kestrova.desktop, whose icon and name a Wayland desktop shows.
    QGuiApplication::setDesktopFileName(QStringLiteral("kestrova"));
}

QIcon CKestrovaApp::ProgramIcon()
{
    QIcon icon;
    for (int size : { 16, 32, 48, 64, 128, 256 })
        icon.addFile(QStringLiteral(":/icons/%1/kestrova.png").arg(size), QSize(size, size));
    return icon;
}

CKestrovaApp::~CKestrovaApp()
{
    m_instance.reset();
    g_app = nullptr;
}

CKestrovaApp* CKestrovaApp::Instance() { return g_app; }

int CKestrovaApp::Run(const MainWindowFactory& createMainWindow)
{
    InitInstance(createMainWindow);
    return ExitInstance();
}

bool CKestrovaApp::InitInstance(const MainWindowFactory& createMainWindow)
{
    // Named files are relative to the folder the program was started in, so they are
    // resolved before the program moves to its own folder.
    const OpenArguments opened = ResolveOpenArguments(QCoreApplication::arguments().mid(1), QDir::currentPath());
    for (const QString& missing : opened.missing)
        std::fprintf(stderr, "kestrova: cannot add \"%s\": no such file or folder\n", qPrintable(missing));
    // Language files and help are found relative to the program's data, wherever it was started from.
    const QString data = FindProgramData(QCoreApplication::applicationDirPath());
    QDir::setCurrent(data);
    if (!CheckSingleInstance(opened.paths))
        return false;
    m_pendingPaths += opened.paths;
    std::unique_ptr<QDialog> window = createMainWindow(data + QStringLiteral("/skins/default.zip"));
    m_mainWindow = window.get();
    DeliverPendingPaths();
    window->exec();
    m_mainWindow = nullptr;
    window.reset();
    return false;
}

int CKestrovaApp::ExitInstance()
{
    m_instance.reset();
    return 0;
}

bool CKestrovaApp::CheckSingleInstance(const QStringList& paths)
{
    m_instance = std::make_unique<SingleInstance>(
        QString::fromLatin1(AppIdentity::InstanceTag), SingleInstance::DefaultFolder());
    if (m_instance->Acquire()) {
        QObject::connect(m_instance.get(), &SingleInstance::ActivationRequested, m_instance.get(),
            [this](const QStringList& requested) {
                BringMainWindowForward();
                m_pendingPaths += requested;
                DeliverPendingPaths();
            });
        return true;
    }
    m_instance->RequestActivation(ActivationTimeoutMs, paths);
    return false;
}

void CKestrovaApp::DeliverPendingPaths()
{
    if (m_pendingPaths.isEmpty())
        return;
    // Paths that come while no window is marked wait for it; those left at exit are dropped.
    if (auto* window = qobject_cast<CKestrovaDlg*>(FindMarkedWindow()))
        window->QueuePathsToAdd(std::exchange(m_pendingPaths, {}));
}

void CKestrovaApp::BringMainWindowForward()
{
    // Before the window has marked itself, or after it has closed, there is nothing to show.
    QWidget* window = FindMarkedWindow();
    if (window == nullptr)
        return;
    window->showNormal();
    window->raise();
    window->activateWindow();
    LogTestEvent(QStringLiteral("activated"));
}
