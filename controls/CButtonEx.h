#pragma once

#include <QPushButton>

#include "controls/CBkgndObject.h"

// A push button that paints itself (DrawItem) and tracks whether the mouse is over
// it. A double click counts as a second click. Interface thread only.
class CButtonEx : public QPushButton, public CBkgndObject {
    Q_OBJECT
public:
    explicit CButtonEx(QWidget* parent = nullptr);
    explicit CButtonEx(const QString& text, QWidget* parent = nullptr);

    bool GetBkgndClientRect(QRect& rect) const override;
    bool GetBkgndParentRect(QRect& rect) const override;

    bool IsHovering() const { return m_hovering; }
    void SetHandCursor(bool on);
    bool GetHandCursor() const { return m_handCursor; }

protected:
    // Draws the whole button into rect; pressed is the drawing state "selected".
    virtual void DrawItem(QPainter& painter, const QRect& rect, bool pressed);

    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void SetHovering(bool on);

    bool m_hovering = false;
    bool m_handCursor = false;
};
