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
#include <QPushButton>
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
    std::vector<OpenFilter> filters { { tr("Supported Files ").toStdString(), GetSupportedPatterns() } };
    for (OpenFilter& filter : GetOpenFilters())
        filters.push_back(std::move(filter));
    filters.push_back({ tr("All Files (*.*)").toStdString(), "*" });
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
    if (!BrowseForFolder(folder, tr("Please select a folder")) || folder.isEmpty())
        return;
    SettingsStore::WriteString(SettingsStore::Section, SettingsStore::KeyAddFolder, folder.toStdString());
    // Asked only where there is something to ask about; the answer is the next question's default.
    const QStringList subfolders = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (!subfolders.isEmpty()) {
        OutputOptions options = m_batch.GetOutputOptions();
        const int answer = AskIncludeSubfolders(folder, options.includeSubfolders);
        if (answer < 0)
            return;
        if (options.includeSubfolders != (answer == 1)) {
            options.includeSubfolders = answer == 1;
            m_batch.SetOutputOptions(options);
            RememberOptions();
        }
    }
    RunIntake(AddFolder, 0, folder);
}

int CKestrovaDlg::AskIncludeSubfolders(const QString& folder, bool withThemLastTime)
{
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(AppIdentity::DisplayName),
        tr("%1 has sub-folders. Add the pictures in them too?").arg(QDir::toNativeSeparators(folder)),
        QMessageBox::Cancel, this);
    QPushButton* with = box.addButton(tr("&Include Sub-folders"), QMessageBox::YesRole);
    QPushButton* without = box.addButton(tr("&This Folder Only"), QMessageBox::NoRole);
    box.setDefaultButton(withThemLastTime ? with : without);
    box.exec();
    return box.clickedButton() == with ? 1 : box.clickedButton() == without ? 0 : -1;
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
        RestoreRememberedDimensions();
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

void CKestrovaDlg::OnDropFiles(const QStringList& paths) { AddPaths(paths); }

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
    // Overwrite replaces without a word only what is not one of the run's own pictures.
    if (m_batch.GetOverwriteExisting()) {
        const std::vector<PlannedOutput> plan = PlanOutputs(m_batch, false);
        std::vector<PlannedOutput> atRisk;
        std::ranges::copy_if(plan, std::back_inserter(atRisk), PutsAPictureAtRisk);
        if (!atRisk.empty() && !ConfirmReplacing(atRisk, plan))
            return;
    }
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

bool CKestrovaDlg::ConfirmReplacing(const std::vector<PlannedOutput>& atRisk, const std::vector<PlannedOutput>& plan)
{
    QString names;
    constexpr std::size_t kShown = 6;
    for (std::size_t i = 0; i < std::min(atRisk.size(), kShown); ++i)
        names += QStringLiteral("\n") + QFileInfo(QString::fromStdString(atRisk[i].source)).fileName();
    if (atRisk.size() > kShown)
        names += QStringLiteral("\n") + tr("and %n more", nullptr, static_cast<int>(atRisk.size() - kShown));
    QString details;
    for (const PlannedOutput& p : plan)
        details += QString::fromStdString(DescribePlannedOutput(p)) + QLatin1Char('\n');
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(AppIdentity::DisplayName),
        tr("Overwrite is on, and this run would replace %n of its own pictures:", nullptr,
            static_cast<int>(atRisk.size()))
            + names,
        QMessageBox::Cancel, this);
    box.setObjectName(QStringLiteral("replaceQuestion"));
    box.setInformativeText(tr("The pictures replaced are lost. Show Details lists where every picture would go."));
    box.setDetailedText(details);
    QPushButton* replace = box.addButton(tr("&Replace Them"), QMessageBox::DestructiveRole);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == replace;
}

void CKestrovaDlg::ReportConvertFailures(qint64 milliseconds)
{
    ShowSummary(
        SummarizeRun(m_batch.GetConvertOutcomes(), m_batch.GetEntryCount(), m_batch.GetConvertStopped(), milliseconds),
        QString::fromStdString(m_batch.GetOutputFolder()));
}
