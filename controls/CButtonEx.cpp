#include "controls/CButtonEx.h"

#include <QMouseEvent>
#include <QPainter>

CButtonEx::CButtonEx(QWidget* parent)
    : CButtonEx(QString(), parent)
{
}

CButtonEx::CButtonEx(const QString& text, QWidget* parent)
    : QPushButton(text, parent)
{
    m_transparent = 1;
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
}

bool CButtonEx::GetBkgndClientRect(QRect& rect) const
{
    rect = QRect(QPoint(0, 0), size());
    return true;
}

bool CButtonEx::GetBkgndParentRect(QRect& rect) const
{
    rect = geometry();
    return true;
}

void CButtonEx::SetHandCursor(bool on)
{
    m_handCursor = on;
    if (on)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void CButtonEx::DrawItem(QPainter&, const QRect&, bool) { }

void CButtonEx::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawItem(painter, rect(), isDown());
}

void CButtonEx::SetHovering(bool on)
{
    if (m_hovering == on)
        return;
    m_hovering = on;
    update();
}

void CButtonEx::enterEvent(QEnterEvent* event)
{
    SetHovering(true);
    QPushButton::enterEvent(event);
}

void CButtonEx::leaveEvent(QEvent* event)
{
    SetHovering(false);
    QPushButton::leaveEvent(event);
}

void CButtonEx::mouseMoveEvent(QMouseEvent* event)
{
    // Entering is not always reported (a button shown under a resting mouse).
    if (rect().contains(event->position().toPoint()))
        SetHovering(true);
    QPushButton::mouseMoveEvent(event);
}

void CButtonEx::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a press like the first.
    mousePressEvent(event);
}

bool CButtonEx::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::UngrabMouse:
    case QEvent::Hide:
    case QEvent::WindowDeactivate:
        SetHovering(false);
        break;
    default:
        break;
    }
    return QPushButton::event(event);
}
