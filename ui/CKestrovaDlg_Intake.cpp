// Adding pictures to the window (files, a folder, a drop) and converting them.
#include "ui/CKestrovaDlg.h"

#include <algorithm>

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include "batch/BatchJobKind.h"
#include "files/CreateFolderPath.h"
#include "imaging/PictureFormat.h"
#include "progress/CProgressDialog.h"
#include "settings/AppIdentity.h"
#include "settings/LanguageTable.h"
#include "settings/SettingsStore.h"
#include "ui/CImageListCtrlEx.h"
#include "ui/CPictureBox.h"
#include "ui/MainWindowMark.h"
#include "ui/OutputEstimator.h"
#include "ui/RunSummary.h"

namespace {

QString Text(const char* key) { return QString::fromStdString(GetLanguageTable().GetString(key)); }

} // namespace

QStringList CKestrovaDlg::OpenDialogFilters()
{
    // Every read format first, in force when the dialog opens; then each one's own; then anything.
    std::vector<OpenFilter> filters { { "Supported Files ", GetSupportedPatterns() } };
    for (OpenFilter& filter : GetOpenFilters())
        filters.push_back(std::move(filter));
    filters.push_back({ "All Files (*.*)", "*" });
    QStringList texts;
    for (const auto& [name, patterns] : filters)
        texts << '\t' + QString::fromStdString(name) + QStringLiteral(" (") + QString::fromStdString(patterns) + ')';
    return texts;
}

QStringList CKestrovaDlg::ChooseFilesToAdd()
{
    QFileDialog dialog(this);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The names say what they hold already; the patterns stay out of sight.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList filters = OpenDialogFilters();
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.first());
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

bool CKestrovaDlg::BrowseForFolder(QString& folder, const QString& title)
{
    const QString chosen = QFileDialog::getExistingDirectory(this, title, folder);
    if (chosen.isEmpty())
        return false;
    folder = chosen;
    return true;
}

void CKestrovaDlg::ShowMessage(const QString& text, QMessageBox::Icon icon)
{
    QMessageBox box(icon, QString::fromUtf8(AppIdentity::DisplayName), text, QMessageBox::Ok, this);
    box.exec();
}

void CKestrovaDlg::OnAddFile()
{
    const QStringList files = ChooseFilesToAdd();
    if (files.isEmpty())
        return;
    for (const QString& file : files)
        m_batch.AddPendingPath(file.toStdString());
    RunIntake(AddFiles, static_cast<int>(files.size()));
}

QString CKestrovaDlg::AddFolderStart()
{
    const QString last = QString::fromStdString(
        SettingsStore::ReadString(SettingsStore::Section, SettingsStore::KeyAddFolder, std::string_view()));
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return pictures;
    return QDir::homePath();
}

void CKestrovaDlg::OnAddFolder()
{
    QString folder = AddFolderStart();
    if (!BrowseForFolder(folder, QStringLiteral("Please select a folder")) || folder.isEmpty())
        return;
    SettingsStore::WriteString(SettingsStore::Section, SettingsStore::KeyAddFolder, folder.toStdString());
    RunIntake(AddFolder, 0, folder);
}

void CKestrovaDlg::RunIntake(int kind, int total, const QString& folder)
{
    const int before = m_batch.GetEntryCount();
    m_batch.SetScanFolderFlag(kind == AddFolder);
    if (kind == AddFolder)
        m_batch.SetScanFolder(folder.toStdString());
    {
        CProgressDialog progress(this);
        progress.SetJobKind(kind);
        if (kind != AddFolder)
            progress.SetTotal(total);
        progress.SetBatch(&m_batch);
        progress.DoModal();
    }
    const int looked = m_batch.GetPendingCount();
    m_batch.ClearPending();

    // One pass with painting off, so hundreds of rows cost one layout.
    m_imageList->setUpdatesEnabled(false);
    const int after = m_batch.GetEntryCount();
    std::vector<ImageListItem> items;
    items.reserve(static_cast<std::size_t>(std::max(0, after - before)));
    for (int i = before; i < after; ++i)
        items.push_back(ImageListItem::FromEntry(m_batch.GetThumbnailBitmap(i), m_batch.GetInfoText(i)));
    m_imageList->AppendItems(std::move(items));
    m_imageList->setUpdatesEnabled(true);

    if (m_batch.GetSelectedIndex() < 0 && after >= 1) {
        m_batch.ResetDimensions();
        RefreshOptionControls();
        m_batch.SelectEntry(0);
        m_imageList->SetItemSelected(0, true);
        ShowInPreview(0);
        OnQualityEdited();
        UpdateOutputEstimate();
    }
    m_imageList->setFocus();
    LogTestEvent(QStringLiteral("added %1").arg(after - before));
    if (!m_batch.GetRejectedFiles().empty())
        ShowSummary(SummarizeIntake(m_batch.GetRejectedFiles(), looked, after - before), QString());
}

void CKestrovaDlg::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CKestrovaDlg::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    event->acceptProposedAction();
    // The drag source waits for the drop to finish; the intake runs right after.
    QTimer::singleShot(0, this, [this, paths] { OnDropFiles(paths); });
}

void CKestrovaDlg::OnDropFiles(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    for (const QString& path : paths)
        m_batch.AddPendingPath(path.toStdString());
    RunIntake(AddFiles, static_cast<int>(paths.size()));
}

void CKestrovaDlg::ShowInvalidFolder(const QString& folder)
{
    ShowMessage(Text("strMsgInvalidFolder1") + folder + Text("strMsgInvalidFolder2"), QMessageBox::NoIcon);
}

void CKestrovaDlg::OnStart()
{
    if (m_batch.GetEntryCount() == 0)
        return;
    QString folder = m_outputEdit->text();
    if (!CreateFolderPath(folder.toStdString())) {
        ShowInvalidFolder(folder);
        return;
    }
    if (!folder.endsWith('/'))
        folder += '/';
    SettingsStore::SetLastFolder(folder.toStdString());
    SettingsStore::SetOpenFolder(m_batch.GetOpenFolderAfterRun());
    m_batch.SetOutputFolder(folder.toStdString());
    // The run has the processor to itself; an estimate not made yet is made afterwards.
    if (m_estimator->IsPending())
        m_estimator->Clear();
    QElapsedTimer clock;
    clock.start();
    {
        CProgressDialog progress(this);
        progress.SetJobKind(Convert);
        progress.SetTotal(m_batch.GetEntryCount());
        progress.SetBatch(&m_batch);
        progress.DoModal();
    }
    LogTestEvent(QStringLiteral("converted %1 failed %2")
                     .arg(m_batch.GetConvertOutcomes().size())
                     .arg(m_batch.GetConvertFailureCount()));
    ReportConvertFailures(clock.elapsed());
    UpdateOutputEstimate();
}

void CKestrovaDlg::ReportConvertFailures(qint64 milliseconds)
{
    ShowSummary(
        SummarizeRun(m_batch.GetConvertOutcomes(), m_batch.GetEntryCount(), m_batch.GetConvertStopped(), milliseconds),
        QString::fromStdString(m_batch.GetOutputFolder()));
}
