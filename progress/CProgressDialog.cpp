#include "progress/CProgressDialog.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QUrl>
#include <QWindow>

#include "batch/BatchJobKind.h"
#include "batch/ImageBatch.h"
#include "controls/CMemDC.h"
#include "controls/CSkinButton.h"
#include "controls/CTransStatic.h"
#include "controls/FillGradientV.h"
#include "progress/QtProgressSink.h"

namespace {

constexpr char ConvertingFormat[] = QT_TRANSLATE_NOOP("CProgressDialog", "Converting File %1/%2");
constexpr char AddingFormat[] = QT_TRANSLATE_NOOP("CProgressDialog", "Adding File %1/%2");
constexpr int BandHeight = 10;

CProgressDialog::OpenFolderHook& OpenFolder()
{
    static CProgressDialog::OpenFolderHook hook;
    return hook;
}

} // namespace

void CProgressDialog::SetOpenFolderHook(OpenFolderHook hook) { OpenFolder() = std::move(hook); }

CProgressDialog::CProgressDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setFixedSize(DialogWidth, DialogHeight);
    setAttribute(Qt::WA_OpaquePaintEvent); // the whole surface is painted, never erased

    m_bar = new QProgressBar(this);
    m_bar->setGeometry(14, 58, 640, 16);
    m_bar->setTextVisible(false);
    m_bar->setRange(0, 0);
    m_bar->setValue(0);

    // Holds the text and its place; the dialog draws it onto its own picture.
    m_status = new CTransStatic(this);
    m_status->setGeometry(14, 28, 380, 16);
    m_status->hide();

    m_cancel = new CSkinButton(tr("Cancel"), this);
    m_cancel->setGeometry(554, 88, 100, 30);
    // Enter must not reach the button as a click.
    m_cancel->setAutoDefault(false);
    m_cancel->setDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &CProgressDialog::OnBnClickedCancel);
}

CProgressDialog::~CProgressDialog()
{
    if (m_sink)
        m_sink->Detach();
    StopJobAndWait();
}

int CProgressDialog::DoModal()
{
    const int result = exec();
    // The loop can also end from outside (the application quitting): the caller
    // is about to use the batch, so the worker must be gone first.
    StopJobAndWait();
    return result;
}

QString CProgressDialog::GetStatusText() const { return m_status->GetText(); }

void CProgressDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_startPosted)
        return;
    m_startPosted = true;
    PostToSelf(ConvertCodeStart, AddCodeStart);
}

void CProgressDialog::PostToSelf(std::uint32_t convertCode, std::uint32_t addCode)
{
    const bool convert = m_jobKind == Convert;
    QCoreApplication::postEvent(
        this, new ProgressEvent(convert ? WM_CONVERT_PROGRESS : WM_ADD_PROGRESS, convert ? convertCode : addCode, 0));
}

bool CProgressDialog::event(QEvent* event)
{
    const auto type = static_cast<std::uint32_t>(event->type());
    if (type == WM_ADD_PROGRESS || type == WM_CONVERT_PROGRESS) {
        const auto* progress = static_cast<ProgressEvent*>(event);
        if (type == WM_ADD_PROGRESS)
            OnAddProgress(progress->GetCode(), progress->GetValue());
        else
            OnConvertProgress(progress->GetCode(), progress->GetValue());
        return true;
    }
    return QDialog::event(event);
}

void CProgressDialog::OnAddProgress(std::uint32_t code, std::int64_t value)
{
    switch (code) {
    case AddCodeStart:
        StartJob();
        if (m_state == RunState::Running)
            SetStatusText(m_jobKind == AddFolder ? tr("Scaning Folder Images...") : CountText(AddingFormat, 0));
        break;
    case AddCodeTotal:
        m_total = static_cast<int>(value);
        m_bar->setRange(0, 2 * m_total);
        m_bar->setValue(0);
        if (m_state == RunState::Running)
            SetStatusText(CountText(AddingFormat, 0));
        break;
    case AddCodeStep:
        ShowStep(value, AddingFormat);
        break;
    case AddCodeEnd:
        EndJob(AddingFormat);
        break;
    default:
        break;
    }
}

void CProgressDialog::OnConvertProgress(std::uint32_t code, std::int64_t value)
{
    switch (code) {
    case ConvertCodeStart:
        StartJob();
        if (m_state == RunState::Running)
            SetStatusText(CountText(ConvertingFormat, 0));
        break;
    case ConvertCodeStep:
        ShowStep(value, ConvertingFormat);
        break;
    case ConvertCodeEnd:
        EndJob(ConvertingFormat);
        break;
    default:
        break;
    }
}

void CProgressDialog::StartJob()
{
    if (m_state != RunState::Waiting && !m_cancelBeforeStart)
        return;
    m_bar->setRange(0, 2 * m_total);
    m_bar->setValue(0);
    if (!m_batch) {
        // Nothing to run: end at once rather than wait for a message that never comes.
        PostToSelf(ConvertCodeEnd, AddCodeEnd);
        return;
    }
    m_sink = std::make_shared<QtProgressSink>(this);
    if (m_jobKind == Convert)
        m_batch->StartConvertJob(m_sink);
    else
        m_batch->StartAddJob(m_sink);
    m_jobHeld = true;
    if (m_cancelBeforeStart) {
        m_cancelBeforeStart = false;
        CancelJob(); // the stop comes after the starter's reset, so the job sees it
        return;
    }
    m_state = RunState::Running;
}

void CProgressDialog::CancelJob()
{
    if (!m_batch)
        return;
    if (m_jobKind == Convert)
        m_batch->CancelConvertJob();
    else
        m_batch->CancelAddJob();
}

bool CProgressDialog::WaitJobOnce()
{
    if (!m_batch || !m_jobHeld)
        return true;
    const bool ended = m_jobKind == Convert ? m_batch->WaitConvertJob() : m_batch->WaitAddJob();
    if (ended)
        m_jobHeld = false;
    return ended;
}

void CProgressDialog::StopJobAndWait()
{
    if (!m_jobHeld)
        return;
    CancelJob();
    WaitJobToTheEnd();
}

void CProgressDialog::WaitJobToTheEnd()
{
    // A worker that outlives its wait is waited for again, never let go while it runs.
    while (!WaitJobOnce()) {
        SetStatusText(tr("Finishing..."));
        repaint();
    }
}

QString CProgressDialog::CountText(const char* format, int done) const { return tr(format).arg(done).arg(m_total); }

void CProgressDialog::ShowStep(std::int64_t position, const char* format)
{
    m_bar->setValue(static_cast<int>(position));
    // After Cancel the texts stay "Canceling..." while the last steps drain.
    if (m_state != RunState::Running)
        return;
    // Once the last picture is done the count stays at the total, never total + 1.
    const int shown = static_cast<int>(std::min<std::int64_t>(position / 2 + 1, m_total));
    SetStatusText(CountText(format, shown));
}

void CProgressDialog::EndJob(const char* format)
{
    if (m_state == RunState::Finishing || m_state == RunState::Closed)
        return;
    m_bar->setValue(2 * m_total);
    if (m_state != RunState::Cancelling)
        SetStatusText(CountText(format, m_total));
    m_state = RunState::Finishing;
    m_cancel->setText(tr("Finishing..."));
    SetStatusText(tr("Finishing..."));
    m_cancel->setEnabled(false);
    repaint();
    WaitJobToTheEnd();
    if (m_sink)
        m_sink->Detach();
    if (m_jobKind == Convert && m_batch && m_batch->GetOpenFolderAfterRun()) {
        const QString folder = QString::fromStdString(m_batch->GetOutputFolder());
        if (OpenFolder())
            OpenFolder()(folder);
        else
            QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    }
    m_state = RunState::Closed;
    accept();
}

void CProgressDialog::OnBnClickedCancel()
{
    if (m_state != RunState::Waiting && m_state != RunState::Running)
        return;
    const bool running = m_state == RunState::Running;
    if (running)
        CancelJob();
    else
        m_cancelBeforeStart = true;
    m_state = RunState::Cancelling;
    m_cancel->setText(tr("Canceling..."));
    SetStatusText(tr("Canceling..."));
    m_cancel->setEnabled(false);
    if (running) {
        repaint();
        // When this wait runs out, the end message still closes the dialog, and
        // the end waits on until the worker has returned.
        WaitJobOnce();
    }
}

void CProgressDialog::reject()
{
    // Escape never gets here (swallowed); the window manager's close does. It
    // stops the job like Cancel, and the job's end message closes the dialog.
    if (m_state == RunState::Closed) {
        QDialog::reject();
        return;
    }
    OnBnClickedCancel();
}

void CProgressDialog::SetStatusText(const QString& text)
{
    if (text == m_status->GetText())
        return;
    m_status->SetText(text);
    update();
    emit StatusTextChanged(text);
}

void CProgressDialog::paintEvent(QPaintEvent*)
{
    CMemDC memory(this, rect());
    if (!memory.IsValid())
        return;
    QPainter& painter = memory.Painter();
    FillGradientV(painter, QRect(0, 0, width(), BandHeight), MakeColorRef(198, 198, 198), MakeColorRef(156, 156, 156));
    painter.fillRect(QRect(0, BandHeight, width(), height() - BandHeight), QColor(218, 218, 218));
    painter.setFont(font());
    painter.setPen(Qt::black);
    painter.drawText(m_status->geometry(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_status->GetText());
    const QPixmap& picture = memory.Pixmap();
    m_cancel->CaptureBackground(&picture);
    QPainter window(this);
    window.drawPixmap(0, 0, picture);
}

void CProgressDialog::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept(); // neither may end the dialog
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CProgressDialog::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        QWindow* window = windowHandle();
        m_dragging = !(window && window->startSystemMove());
        m_dragOffset = event->globalPosition().toPoint() - pos();
    }
    QDialog::mousePressEvent(event);
}

void CProgressDialog::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - m_dragOffset);
    QDialog::mouseMoveEvent(event);
}

void CProgressDialog::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    QDialog::mouseReleaseEvent(event);
}
