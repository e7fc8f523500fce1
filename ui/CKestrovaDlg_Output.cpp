// The output folder row of the main window.
#include "ui/CKestrovaDlg.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QLineEdit>
#include <QUrl>

#include "files/CreateFolderPath.h"
#include "settings/LanguageTable.h"
#include "settings/SettingsStore.h"

bool CKestrovaDlg::OpenFolder(const QString& folder) { return QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); }

void CKestrovaDlg::OnBrowseOutput()
{
    const QString title = QString::fromStdString(GetLanguageTable().GetString("strSelectFolder"));
    QString folder = m_outputEdit->text();
    if (!BrowseForFolder(folder, title))
        return;
    m_outputEdit->setText(folder.isEmpty() ? QStringLiteral("INVALID FOLDER") : folder);
}

void CKestrovaDlg::OnOpenOutput()
{
    const QString folder = m_outputEdit->text();
    if (CreateFolderPath(folder.toStdString()))
        OpenFolder(folder);
    else
        ShowInvalidFolder(folder);
}

void CKestrovaDlg::OnOpenFolderToggled()
{
    // Notified before the check box changes: the new state is the opposite of what it shows.
    const bool open = m_chkOpenFolder && !m_chkOpenFolder->isChecked();
    m_batch.SetOpenFolderAfterRun(open);
    SettingsStore::SetOpenFolder(open);
}
