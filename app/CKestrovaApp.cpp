#include "app/CKestrovaApp.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QIcon>

#include "app/ProgramPaths.h"
#include "app/SingleInstance.h"
#include "settings/AppIdentity.h"
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
    // Language files and help are found relative to the program's data, wherever it was started from.
    const QString data = FindProgramData(QCoreApplication::applicationDirPath());
    QDir::setCurrent(data);
    if (!CheckSingleInstance())
        return false;
    std::unique_ptr<QDialog> window = createMainWindow(data + QStringLiteral("/skins/default.zip"));
    m_mainWindow = window.get();
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

bool CKestrovaApp::CheckSingleInstance()
{
    m_instance = std::make_unique<SingleInstance>(
        QString::fromLatin1(AppIdentity::InstanceTag), SingleInstance::DefaultFolder());
    if (m_instance->Acquire()) {
        QObject::connect(m_instance.get(), &SingleInstance::ActivationRequested, m_instance.get(),
            [this] { BringMainWindowForward(); });
        return true;
    }
    m_instance->RequestActivation(ActivationTimeoutMs);
    return false;
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
