#include "app/PlaceholderMainWindow.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "app/AppIdentity.h"
#include "app/CKestrovaApp.h"
#include "app/LanguageTable.h"
#include "app/SettingsStore.h"

CPlaceholderDlg::CPlaceholderDlg()
{
    CKestrovaApp::MarkMainWindow(this);
    CKestrovaApp::InitDataDirectory();
    GetLanguageTable().LoadLanguages();

    setWindowTitle(QString::fromUtf8(AppIdentity::DisplayName) + QString::fromUtf8(AppIdentity::VersionText));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromStdString(GetLanguageTable().GetString("strSelectFolder")), this));
    layout->addWidget(new QLabel(QString::fromStdString(SettingsStore::GetLastFolder()), this));
    auto* openFolder = new QCheckBox(this);
    openFolder->setChecked(SettingsStore::GetOpenFolder());
    layout->addWidget(openFolder);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

CPlaceholderDlg::~CPlaceholderDlg() { CKestrovaApp::UnmarkMainWindow(this); }

void CPlaceholderDlg::done(int result)
{
    // Once closing, a later start must find no window to bring forward.
    CKestrovaApp::UnmarkMainWindow(this);
    QDialog::done(result);
}

std::unique_ptr<QDialog> CreatePlaceholderMainWindow() { return std::make_unique<CPlaceholderDlg>(); }
