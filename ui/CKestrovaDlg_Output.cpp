// The output folder row of the main window.
#include "ui/CKestrovaDlg.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QUrl>

#include "files/CreateFolderPath.h"
#include "settings/LanguageTable.h"
#include "settings/SettingsStore.h"

bool CKestrovaDlg::OpenFolder(const QString& folder) { return OpenUrl(QUrl::fromLocalFile(folder)); }

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
    if (!CreateFolderPath(folder.toStdString()))
        ShowInvalidFolder(folder);
    else if (!OpenFolder(folder))
        ShowMessage(
            QStringLiteral("Could not open the folder \"%1\": no program to show folders was found.").arg(folder),
            QMessageBox::Warning);
}

void CKestrovaDlg::OnOpenFolderToggled()
{
    const bool open = m_chkOpenFolder && m_chkOpenFolder->isChecked();
    m_batch.SetOpenFolderAfterRun(open);
    SettingsStore::SetOpenFolder(open);
    emit OptionApplied(QStringLiteral("chkOpenFolder"));
}
