// The selected picture's preview work.
#include "ui/CKestrovaDlg.h"

#include "ui/OutputEstimator.h"

void CKestrovaDlg::ConnectPreviewWork()
{
    m_estimator = new OutputEstimator(this);
    connect(m_estimator, &OutputEstimator::Estimated, this, &CKestrovaDlg::UpdateOutputEstimate);
}
