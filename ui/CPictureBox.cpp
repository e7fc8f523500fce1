#include "ui/CPictureBox.h"

#include <utility>

#include <QPainter>
#include <QResizeEvent>

#include "controls/CMemDC.h"
#include "controls/FillGradientV.h"
#include "imaging/ImageEntry.h"
#include "imaging/PreviewRender.h"
#include "ui/ControlLook.h"
#include "ui/LatestWorker.h"
#include "ui/PreviewLayout.h"

namespace {

QImage ToImage(const Rgb888& px)
{
    if (px.width <= 0 || px.height <= 0)
        return {};
    return QImage(px.bytes.data(), px.width, px.height, px.width * 3, QImage::Format_RGB888).copy();
}

// The file's preview: small enough for the box, at 24 bits, every pixel decoded.
Picture DecodePreview(const std::string& path, QSize box, QString& problem)
{
    ImageEntry entry;
    entry.SetPath(path);
    if (!entry.Load()
        || !entry.MakePreview(std::min(box.width(), static_cast<int>(entry.GetPixelWidth())),
            std::min(box.height(), static_cast<int>(entry.GetPixelHeight())))) {
        problem = QString::fromStdString(entry.GetLastError());
        return {};
    }
    Picture preview = *entry.GetPreview();
    preview.IncreaseBpp24();
    if (!preview.Realize())
        problem = QString::fromStdString(preview.GetError());
    return preview;
}

} // namespace

CPictureBox::CPictureBox(QWidget* parent)
    : QWidget(parent)
    , m_worker(new LatestWorker(this))
{
    // Every pixel is painted, so there is nothing to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_settings.choice = CompressQuality;
    m_settings.extension = ".jpg";
}

CPictureBox::~CPictureBox() = default;

void CPictureBox::NewSource(const QRect& sourceRect)
{
    ++m_sourceSerial;
    ++m_renderSerial;
    m_source = Picture();
    m_sourceRect = sourceRect;
    m_previewPixels = QSize();
    m_display = QImage();
    m_encodedBytes = 0;
    m_problem.clear();
    m_decoding = false;
    m_pending = false;
    UpdateLayout();
}

void CPictureBox::SetSourceFile(const std::string& path, const QRect& sourceRect, QSize box)
{
    NewSource(sourceRect);
    m_decoding = true;
    m_pending = true;
    PostWork(path, box);
}

void CPictureBox::SetImage(const Picture& picture, const QRect& sourceRect)
{
    NewSource(sourceRect);
    m_source = picture;
    m_previewPixels = QSize(m_source.GetWidth(), m_source.GetHeight());
}

void CPictureBox::SetPreviewSettings(const ConvertSnapshot& settings)
{
    if (GetWrittenFormat(settings) == GetWrittenFormat(m_settings) && settings.choice == m_settings.choice
        && settings.options.lossless == m_settings.options.lossless)
        return;
    m_settings = settings;
    if (m_source.IsValid() || m_decoding)
        SetPreviewQuality(m_previewQuality);
}

void CPictureBox::SetPreviewQuality(int quality)
{
    m_previewQuality = quality;
    ++m_renderSerial;
    if (!m_source.IsValid() && !m_decoding) {
        m_pending = false;
        m_display = QImage();
        m_encodedBytes = 0;
        update();
        return;
    }
    m_pending = true;
    // While the picture decodes, the decode's own render or the one after it takes this request.
    if (!m_decoding)
        PostWork({}, {});
}

void CPictureBox::PostWork(const std::string& path, QSize box)
{
    const std::uint64_t sourceSerial = m_sourceSerial, renderSerial = m_renderSerial;
    const bool newSource = !m_source.IsValid();
    m_worker->Post(
        [this, sourceSerial, renderSerial, path, box, source = m_source, settings = m_settings,
            quality = m_previewQuality]() -> LatestWorker::Done {
            QString problem;
            Picture picture = source.IsValid() ? source : DecodePreview(path, box, problem);
            if (StopScope::Requested())
                return nullptr;
            PreviewRender render;
            if (picture.IsValid()) {
                render = RenderAsWritten(picture, settings, quality);
                problem = QString::fromStdString(render.error);
            }
            return [this, sourceSerial, renderSerial, picture, image = ToImage(render.pixels),
                       bytes = static_cast<qint64>(render.encodedBytes),
                       problem] { OnWorkDone(sourceSerial, renderSerial, picture, image, bytes, problem); };
        },
        newSource);
}

void CPictureBox::OnWorkDone(std::uint64_t sourceSerial, std::uint64_t renderSerial, const Picture& source,
    QImage image, qint64 bytes, const QString& problem)
{
    if (sourceSerial != m_sourceSerial)
        return; // another picture since
    const bool decoded = m_decoding;
    m_decoding = false;
    if (!m_source.IsValid() && source.IsValid()) {
        m_source = source;
        m_previewPixels = QSize(source.GetWidth(), source.GetHeight());
    }
    if (renderSerial != m_renderSerial && m_source.IsValid()) {
        // Overtaken while it ran: a render request that came during the decode is still to be made.
        if (decoded && m_source.IsValid())
            PostWork({}, {});
        return;
    }
    m_pending = false;
    m_display = std::move(image);
    m_encodedBytes = m_display.isNull() ? 0 : bytes;
    m_problem = problem;
    update();
    emit PreviewRendered(static_cast<qint64>(m_encodedBytes));
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
    NewSource(QRect());
    m_worker->Stop();
    update();
}

void CPictureBox::UpdateLayout()
{
    m_destination = ComputePreviewDestination(size(), m_sourceRect, m_widthPercent, m_heightPercent);
    update();
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
    if (!m_display.isNull() && !m_destination.isEmpty()) {
        p.drawImage(m_destination, m_display);
    } else if (m_decoding || !m_problem.isEmpty()) {
        p.setPen(QColor(80, 80, 80));
        p.drawText(client.adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
            m_decoding ? tr("Loading the preview...") : m_problem);
    }
    FrameRect(p, client, PictureFrameColour);
    QPainter screen(this);
    mem.BlitTo(screen);
}

void CPictureBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UpdateLayout();
}
