#include "ui/CPictureBox.h"

#include <utility>
#include <vector>

#include <QPainter>
#include <QResizeEvent>

#include "controls/CMemDC.h"
#include "controls/FillGradientV.h"
#include "ui/ControlLook.h"
#include "ui/PreviewLayout.h"

CPictureBox::CPictureBox(QWidget* parent)
    : QWidget(parent)
{
    // Every pixel is painted, so there is nothing to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_worker.setMaxThreadCount(1);
}

CPictureBox::~CPictureBox()
{
    // A render still running posts back to this object; let it finish while we exist.
    m_worker.waitForDone();
}

void CPictureBox::SetImage(const Picture& picture, const QRect& sourceRect)
{
    Picture copy = picture;
    copy.IncreaseBpp24();
    // Hold the pixels, not a file to decode again at every quality.
    copy.Realize();
    m_source = std::move(copy);
    m_sourceRect = sourceRect;
    ++m_generation;
    m_pending = false;
    m_display = QImage();
    m_jpegBytes = 0;
    UpdateLayout();
}

void CPictureBox::SetPreviewQuality(int quality)
{
    m_previewQuality = quality;
    ++m_generation;
    if (!m_source.IsValid()) {
        m_pending = false;
        m_display = QImage();
        m_jpegBytes = 0;
        update();
        return;
    }
    m_pending = true;
    if (!m_busy)
        StartRender();
}

void CPictureBox::SetWidthPercent(int percent)
{
    m_widthPercent = percent;
    UpdateLayout();
}

void CPictureBox::SetHeightPercent(int percent)
{
    m_heightPercent = percent;
    UpdateLayout();
}

void CPictureBox::ClearImage()
{
    ++m_generation;
    m_pending = false;
    m_source = Picture();
    m_display = QImage();
    m_jpegBytes = 0;
    update();
}

void CPictureBox::UpdateLayout()
{
    m_destination = ComputePreviewDestination(size(), m_sourceRect, m_widthPercent, m_heightPercent);
    update();
}

CPictureBox::Rendered CPictureBox::RenderJpeg(const Picture& source, int quality)
{
    Rendered result;
    const std::vector<std::uint8_t> jpeg = source.EncodeJpeg(quality);
    if (jpeg.empty())
        return result;
    result.jpegBytes = static_cast<std::int64_t>(jpeg.size());
    const Rgb888 px = Picture::DecodeJpeg(jpeg).ToRgb888();
    if (px.width <= 0 || px.height <= 0)
        return result;
    result.image = QImage(px.bytes.data(), px.width, px.height, px.width * 3, QImage::Format_RGB888).copy();
    return result;
}

void CPictureBox::StartRender()
{
    m_busy = true;
    const std::uint64_t generation = m_generation;
    m_worker.start([this, generation, source = m_source, quality = m_previewQuality]() {
        Rendered result = RenderJpeg(source, quality);
        QMetaObject::invokeMethod(
            this, [this, generation, result]() { OnRenderDone(generation, result); }, Qt::QueuedConnection);
    });
}

void CPictureBox::OnRenderDone(std::uint64_t generation, Rendered result)
{
    m_busy = false;
    if (generation != m_generation) {
        // Overtaken while it ran: render only the newest request, if there still is one.
        if (m_pending)
            StartRender();
        return;
    }
    m_pending = false;
    m_display = std::move(result.image);
    m_jpegBytes = result.jpegBytes;
    update();
    emit PreviewRendered(static_cast<qint64>(m_jpegBytes));
}

void CPictureBox::paintEvent(QPaintEvent*)
{
    const QRect client = rect();
    CMemDC mem(this, client);
    if (!mem.IsValid())
        return;
    QPainter& p = mem.Painter();
    FillGradientV(p, client, PictureGradientTop, PictureGradientBottom);
    // Stretched without smoothing, so the artefacts of the quality stay visible.
    if (!m_display.isNull() && !m_destination.isEmpty())
        p.drawImage(m_destination, m_display);
    FrameRect(p, client, PictureFrameColour);
    QPainter screen(this);
    mem.BlitTo(screen);
}

void CPictureBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UpdateLayout();
}
