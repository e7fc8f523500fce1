#include "ui/ControlLook.h"

#include <QPainter>

void FrameRect(QPainter& painter, const QRect& rect, ColorRef colour)
{
    if (rect.isEmpty())
        return;
    const QColor c = ToQColor(colour);
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), c);
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), c);
    painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), c);
    painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), c);
}
