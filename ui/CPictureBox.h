#pragma once

#include <cstdint>
#include <string>

#include <QImage>
#include <QRect>
#include <QWidget>

#include "imaging/Picture.h"
#include "imaging/PictureConversion.h"

class LatestWorker;

// The preview of the selected picture: drawn at the size the resize percentages
// give it (shrunk to fit, never enlarged, centred) and with the artefacts of the
// output format at the preview quality. Owned by the main window. Interface thread only.
//
// Decoding the file and rendering it run on a worker of their own (LatestWorker): a
// new picture stops the decode of the one before, and while one render runs, newer
// requests replace each other so only the last is rendered, so typing a quality
// never waits for the encoder. On a new picture the box is blank until its preview
// arrives; on a new quality or format the previous display stays up until the new
// one arrives. PreviewRendered tells when the picture on screen, and GetPreviewBytes,
// match the last request.
//
// Use: SetSourceFile(path, (0, 0, full width, full height), box), SetPreviewSettings,
// SetPreviewQuality(q), SetWidthPercent(wp), SetHeightPercent(hp); ClearImage when
// nothing is selected. Percentages, settings and quality survive ClearImage.
class CPictureBox : public QWidget {
    Q_OBJECT
public:
    explicit CPictureBox(QWidget* parent = nullptr);
    ~CPictureBox() override;

    // Decodes the file on the worker into a copy that fits in `box` (never enlarged), then
    // renders it. sourceRect: the picture's upright size, for the layout until it arrives.
    void SetSourceFile(const std::string& path, const QRect& sourceRect, QSize box);
    // A picture already decoded: it is rendered (on the worker, like the others).
    void SetImage(const Picture& picture, const QRect& sourceRect);
    // How the output is written (format, choice, lossless): the preview shows that encoder.
    void SetPreviewSettings(const ConvertSnapshot& settings);
    // Renders at quality q (the encoders clamp to 1..100).
    void SetPreviewQuality(int quality);
    void SetWidthPercent(int percent);
    void SetHeightPercent(int percent);
    // Back to gradient and frame only; a decode or render still running is thrown away.
    void ClearImage();
    void UpdateLayout();

    int GetPreviewQuality() const { return m_previewQuality; }
    int GetWidthPercent() const { return m_widthPercent; }
    int GetHeightPercent() const { return m_heightPercent; }
    const QRect& GetSourceRect() const { return m_sourceRect; }
    // Where the display picture goes, in widget coordinates; null when nothing is drawn.
    const QRect& GetDestinationRect() const { return m_destination; }
    // Size of the encoding behind the display picture; 0 when there is none or the format is shown as is.
    std::int64_t GetPreviewBytes() const { return m_encodedBytes; }
    // The decoded preview's size; empty until it has arrived.
    QSize GetPreviewPixels() const { return m_previewPixels; }
    bool HasDisplayPicture() const { return !m_display.isNull(); }
    const QImage& GetDisplayPicture() const { return m_display; }
    // Why the picture cannot be shown; empty when it can.
    const QString& GetProblem() const { return m_problem; }
    // True while the picture is still being decoded.
    bool IsDecodePending() const { return m_decoding; }
    // True while a render of the last request is still to come.
    bool IsRenderPending() const { return m_pending; }

signals:
    // The display picture of the last request is on screen (encodedBytes 0 when the format is shown
    // as is, or nothing could be shown).
    void PreviewRendered(qint64 encodedBytes);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Decodes the file when source is not valid yet, then renders; on the worker.
    void PostWork(const std::string& path, QSize box);
    void OnWorkDone(std::uint64_t sourceSerial, std::uint64_t renderSerial, const Picture& source, QImage image,
        qint64 bytes, const QString& problem);
    void NewSource(const QRect& sourceRect);

    Picture m_source;
    QImage m_display;
    int m_widthPercent = 100;
    int m_heightPercent = 100;
    QRect m_destination;
    int m_previewQuality = 90;
    ConvertSnapshot m_settings;
    QRect m_sourceRect;
    QSize m_previewPixels;
    std::int64_t m_encodedBytes = 0;
    QString m_problem;

    // Each picture and each render request takes the next number; results of older ones are dropped.
    std::uint64_t m_sourceSerial = 0;
    std::uint64_t m_renderSerial = 0;
    bool m_decoding = false;
    bool m_pending = false;
    LatestWorker* m_worker = nullptr;
};
