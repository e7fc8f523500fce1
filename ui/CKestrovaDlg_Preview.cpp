// The selected picture's preview work, its before-and-after view, and the summaries of runs.
#include "ui/CKestrovaDlg.h"

#include <QAbstractButton>

#include "ui/CCompareDialog.h"
#include "ui/CPictureBox.h"
#include "ui/CSummaryDialog.h"
#include "ui/MainWindowMark.h"
#include "ui/OutputEstimator.h"
#include "ui/RunSummary.h"

void CKestrovaDlg::ConnectPreviewWork()
{
    m_estimator = new OutputEstimator(this);
    connect(m_estimator, &OutputEstimator::Estimated, this, &CKestrovaDlg::UpdateOutputEstimate);
    m_btnCompare = qobject_cast<QAbstractButton*>(FindControl(QStringLiteral("btnCompare")));
    if (m_btnCompare) {
        m_btnCompare->setEnabled(false);
        connect(m_btnCompare, &QAbstractButton::clicked, this, &CKestrovaDlg::OnCompare);
    }
}

void CKestrovaDlg::OnCompare()
{
    const ImageEntry* entry = m_batch.GetEntry(m_batch.GetSelectedIndex());
    if (!entry)
        return;
    auto* dialog = new CCompareDialog(entry->GetPath(), TakeConvertSnapshot(m_batch), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void CKestrovaDlg::ShowSummary(const SummaryText& summary, const QString& folder)
{
    CSummaryDialog dialog(
        summary, folder, [this](const QString& f) { return OpenFolder(f); }, this);
    dialog.show();
    LogTestEvent(QStringLiteral("summary shown: ") + summary.heading);
    dialog.exec();
}
