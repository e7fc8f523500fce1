#include "ui/FrameHitTest.h"

FrameHit HitTestFrame(const FrameGeometry& frame, QPoint p, bool maximised, const CaptionControl& under)
{
    const QRect& c = frame.client;
    const int left = c.left(), top = c.top(), right = c.left() + c.width(), bottom = c.top() + c.height();
    if (!maximised) {
        const QMargins& box = frame.sizeBox;
        const bool atLeft = p.x() < left + box.left();
        const bool atRight = p.x() > right - box.right();
        if (p.y() < top + box.top())
            return atLeft ? FrameHit::TopLeft : atRight ? FrameHit::TopRight : FrameHit::Top;
        if (p.y() > bottom - box.bottom())
            return atLeft ? FrameHit::BottomLeft : atRight ? FrameHit::BottomRight : FrameHit::Bottom;
        if (atLeft)
            return FrameHit::Left;
        if (atRight)
            return FrameHit::Right;
    }
    const QMargins& cap = frame.caption;
    const bool inCaption
        = p.x() >= left + cap.left() && p.x() < right - cap.right() && p.y() >= cap.top() && p.y() < cap.bottom();
    if (!inCaption || !under.exists)
        return FrameHit::Client;
    if (under.name == QLatin1String("textCaption"))
        return FrameHit::Caption;
    if (under.className == QLatin1String("ButtonUI") || under.className == QLatin1String("OptionUI")
        || under.className == QLatin1String("TextUI"))
        return FrameHit::Client;
    return FrameHit::Caption;
}

Qt::Edges EdgesOf(FrameHit hit)
{
    switch (hit) {
    case FrameHit::Left:
        return Qt::LeftEdge;
    case FrameHit::Right:
        return Qt::RightEdge;
    case FrameHit::Top:
        return Qt::TopEdge;
    case FrameHit::Bottom:
        return Qt::BottomEdge;
    case FrameHit::TopLeft:
        return Qt::TopEdge | Qt::LeftEdge;
    case FrameHit::TopRight:
        return Qt::TopEdge | Qt::RightEdge;
    case FrameHit::BottomLeft:
        return Qt::BottomEdge | Qt::LeftEdge;
    case FrameHit::BottomRight:
        return Qt::BottomEdge | Qt::RightEdge;
    default:
        return {};
    }
}
