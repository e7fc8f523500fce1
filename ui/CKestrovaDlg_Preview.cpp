// The selected picture's preview work and its before-and-after view.
#include "ui/CKestrovaDlg.h"

#include <QAbstractButton>

#include "ui/CCompareDialog.h"
#include "ui/OutputEstimator.h"

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
