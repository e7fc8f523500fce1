#pragma once

#include <memory>

#include <QPainter>
#include <QPixmap>
#include <QRect>

// An off-screen picture of a rectangle: a control paints into it, then copies the
// finished picture to the screen in one step, so gradients drawn row by row never
// flicker. Nothing is copied on destruction; the user calls BlitTo itself.
// Interface thread only.
class CMemDC {
public:
    CMemDC() = default;
    CMemDC(const QPaintDevice* target, const QRect& rect) { Create(target, rect); }
    ~CMemDC() { Release(); }
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    // The picture takes the target's pixel ratio, so it stays sharp on scaled screens.
    void Create(const QPaintDevice* target, const QRect& rect);
    void Recreate(const QPaintDevice* target, const QRect& rect)
    {
        Release();
        Create(target, rect);
    }
    void Release();

    bool IsValid() const { return m_painter != nullptr; }
    QPainter& Painter() { return *m_painter; }
    const QRect& GetRect() const { return m_rect; }
    // Ends painting and draws the picture at the rectangle's origin of the target.
    void BlitTo(QPainter& target);
    // The finished picture (ends painting).
    const QPixmap& Pixmap();

private:
    QPixmap m_pixmap;
    std::unique_ptr<QPainter> m_painter;
    QRect m_rect;
};
