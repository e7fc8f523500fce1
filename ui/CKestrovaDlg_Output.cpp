// The output folder row of the main window.
#include "ui/CKestrovaDlg.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QLineEdit>
#include <QUrl>

#include "files/CreateFolderPath.h"
#include "settings/LanguageTable.h"
#include "settings/SettingsStore.h"

void CKestrovaDlg::OpenFolder(const QString& folder) { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); }

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
    const bool open = m_chkOpenFolder && m_chkOpenFolder->isChecked();
    m_batch.SetOpenFolderAfterRun(open);
    SettingsStore::SetOpenFolder(open);
    emit OptionApplied(QStringLiteral("chkOpenFolder"));
}
