#pragma once

#include <QPixmap>
#include <QRect>

class QPainter;

// A copy of the part of the parent's painted background that lies under one
// control, so the control can draw its rounded corners over the parent's ground.
// The parent paints off-screen, calls CaptureBackground for the child, and only then
// shows its picture. Interface thread only.
class CBkgndObject {
public:
    virtual ~CBkgndObject() = default;

    // The control's own rectangle (origin at 0, 0), and where it lies in its parent.
    virtual bool GetBkgndClientRect(QRect& rect) const;
    virtual bool GetBkgndParentRect(QRect& rect) const;

    // parentPicture: the parent's background, painted at the parent's own coordinates.
    void CaptureBackground(const QPixmap* parentPicture);
    void DrawBackground(QPainter* painter) const;

    bool HasBackground() const { return !m_background.isNull(); }
    void SetTransparent(int on) { m_transparent = on; }
    int GetTransparent() const { return m_transparent; }

protected:
    int m_transparent = 0;

private:
    QPixmap m_background;
};
