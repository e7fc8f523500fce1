#pragma once

#include <cstdint>

#include <QImage>
#include <QRect>
#include <QThreadPool>
#include <QWidget>

#include "imaging/Picture.h"

// The preview of the selected picture: drawn at the size the resize percentages
// give it (shrunk to fit, never enlarged, centred) and with the artefacts of a
// JPEG at the preview quality, whatever the output format. Owned by the main
// window. Interface thread only.
//
// The JPEG round trip runs on a private worker, one request at a time: while one
// runs, newer requests replace each other and only the last is rendered when it
// ends, so typing a quality never waits for the encoder. The previous display
// picture stays up until the new one arrives. PreviewRendered tells when the
// picture on screen, and GetPreviewJpegBytes, match the last request.
//
// Use: SetImage(preview picture, (0, 0, full width, full height)), then
// SetPreviewQuality(q), SetWidthPercent(wp), SetHeightPercent(hp); ClearImage
// when nothing is selected. Percentages and quality survive ClearImage.
class CPictureBox : public QWidget {
    Q_OBJECT
public:
    explicit CPictureBox(QWidget* parent = nullptr);
    ~CPictureBox() override;

    // Keeps a 24-bit copy of the picture and the rectangle of the picture as stored
    // in its file (which may be larger than the picture). The display picture is
    // dropped; SetPreviewQuality renders the new one.
    void SetImage(const Picture& picture, const QRect& sourceRect);
    // Renders the display picture as a JPEG at quality q (the encoder clamps to 1..100).
    void SetPreviewQuality(int quality);
    void SetWidthPercent(int percent);
    void SetHeightPercent(int percent);
    // Back to gradient and frame only; a render still running is thrown away.
    void ClearImage();
    void UpdateLayout();

    int GetPreviewQuality() const { return m_previewQuality; }
    int GetWidthPercent() const { return m_widthPercent; }
    int GetHeightPercent() const { return m_heightPercent; }
    const QRect& GetSourceRect() const { return m_sourceRect; }
    // Where the display picture goes, in widget coordinates; null when nothing is drawn.
    const QRect& GetDestinationRect() const { return m_destination; }
    // Size of the JPEG behind the display picture; 0 when there is none.
    std::int64_t GetPreviewJpegBytes() const { return m_jpegBytes; }
    bool HasDisplayPicture() const { return !m_display.isNull(); }
    // True while a render of the last request is still to come.
    bool IsRenderPending() const { return m_pending; }

signals:
    // The display picture of the last request is on screen (jpegBytes 0 when encoding failed).
    void PreviewRendered(qint64 jpegBytes);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Rendered {
        QImage image;
        std::int64_t jpegBytes = 0;
    };
    static Rendered RenderJpeg(const Picture& source, int quality);
    void StartRender();
    void OnRenderDone(std::uint64_t generation, Rendered result);

    Picture m_source;
    QImage m_display;
    int m_widthPercent = 100;
    int m_heightPercent = 100;
    QRect m_destination;
    int m_previewQuality = 90;
    QRect m_sourceRect;
    std::int64_t m_jpegBytes = 0;

    // Each request and each change of source takes the next generation; a result
    // of an older one is dropped.
    std::uint64_t m_generation = 0;
    bool m_pending = false;
    bool m_busy = false;
    QThreadPool m_worker;
};
