#include "app/CKestrovaApp.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QVariant>

#include "app/AppIdentity.h"
#include "app/DataDirectory.h"
#include "app/SingleInstance.h"

namespace {

CKestrovaApp* g_app = nullptr;
QString g_skinArchive;

constexpr int ActivationTimeoutMs = 300;

const char* MarkProperty() { return AppIdentity::InstanceTag; }

void LogEvent(const char* event) { CKestrovaApp::LogTestEvent(QString::fromUtf8(event)); }

void ShowStartupMessage(const char* text)
{
    QMessageBox box(
        QMessageBox::Warning, QCoreApplication::applicationName(), QString::fromUtf8(text), QMessageBox::Ok);
    box.exec();
}

} // namespace

void CKestrovaApp::LogTestEvent(const QString& event)
{
    const QString path = qEnvironmentVariable("KESTROVA_TEST_EVENT_LOG");
    if (path.isEmpty())
        return;
    QFile log(path);
    if (log.open(QIODevice::Append | QIODevice::Text))
        log.write(event.toUtf8() + '\n');
}

CKestrovaApp::CKestrovaApp(int& argc, char** argv)
    : m_application(std::make_unique<QApplication>(argc, argv))
{
    g_app = this;
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
    // Language files and help are found relative to the program, wherever it was started from.
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    if (!CheckSingleInstance())
        return false;
    g_skinArchive = QCoreApplication::applicationDirPath() + QStringLiteral("/skins/default.zip");

    std::unique_ptr<QDialog> window = createMainWindow();
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

void CKestrovaApp::MarkMainWindow(QWidget* window)
{
    if (window == nullptr)
        return;
    window->setProperty(MarkProperty(), 1);
    LogEvent("marked");
}

void CKestrovaApp::UnmarkMainWindow(QWidget* window)
{
    if (window == nullptr || !window->property(MarkProperty()).isValid())
        return;
    window->setProperty(MarkProperty(), QVariant());
    LogEvent("unmarked");
}

QWidget* CKestrovaApp::FindMarkedWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->property(MarkProperty()).toInt() == 1)
            return widget;
    }
    return nullptr;
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
    LogEvent("activated");
}

bool CKestrovaApp::InitDataDirectory()
{
    switch (PrepareDataDirectory()) {
    case DataDirectoryResult::Ready:
        return true;
    case DataDirectoryResult::CannotResolve:
        ShowStartupMessage("Can not load the application data directory");
        return false;
    case DataDirectoryResult::CannotCreate:
        ShowStartupMessage("Can not create the application data directory");
        return false;
    }
    return false;
}

const QString& CKestrovaApp::GetSkinArchive() { return g_skinArchive; }
