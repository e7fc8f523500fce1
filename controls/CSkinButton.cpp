#include "controls/CSkinButton.h"

#include <QPainter>
#include <QPainterPath>

#include "controls/CMemDC.h"
#include "controls/FillGradientV.h"

namespace {

constexpr SkinColorSet kNormal { 5, 2, 0xDADADA, 0xE9E9E9, 0xD0D1CF, 0xD1D1D1, 0xFFFFFF, 0x97A6AB };
// Hover and pressed swap the bands; pressed differs from hover only by the text offset.
constexpr SkinColorSet kHover { 5, 2, 0xD0D1CF, 0xD1D1D1, 0xDADADA, 0xE9E9E9, 0xFFFFFF, 0x97A6AB };

// A rounded rectangle on the pixels left..right-1, top..bottom-1, whose corners are
// ellipses of the given width and height, drawn with a one-pixel pen.
void StrokeRoundRect(QPainter& painter, const QRect& r, int corner, ColorRef colour)
{
    painter.setPen(QPen(ToQColor(colour), 1));
    painter.setBrush(Qt::NoBrush);
    const qreal radius = corner / 2.0;
    painter.drawRoundedRect(QRectF(r.left() + 0.5, r.top() + 0.5, r.width() - 1.0, r.height() - 1.0), radius, radius);
}

} // namespace

SkinState ChooseSkinState(bool pressed, bool hovering)
{
    if (pressed)
        return SkinState::Pressed;
    return hovering ? SkinState::Hover : SkinState::Normal;
}

int BodySplitRow(const QRect& rect, int bands)
{
    if (bands <= 1)
        return rect.top() + rect.height();
    return rect.top() + rect.height() / bands;
}

QRect PlaceTextBlock(const QRect& area, const QSize& block, unsigned alignment)
{
    int x = area.left(), y = area.top();
    if (alignment & 0x2)
        x = area.left() + area.width() - block.width();
    else if (alignment & 0x1)
        x = area.left() + (area.width() - block.width()) / 2;
    if (alignment & 0x8)
        y = area.top() + area.height() - block.height();
    else if (alignment & 0x4)
        y = area.top() + (area.height() - block.height()) / 2;
    return QRect(QPoint(x, y), block);
}

CSkinButton::CSkinButton(QWidget* parent)
    : CSkinButton(QString(), parent)
{
}

CSkinButton::CSkinButton(const QString& text, QWidget* parent)
    : CButtonEx(text, parent)
    , m_sets { kNormal, kHover, kHover }
{
    SetHandCursor(true);
}

const SkinColorSet& CSkinButton::GetColorSet(SkinState state) const { return m_sets[static_cast<int>(state)]; }

QSize CSkinButton::sizeHint() const
{
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, this->text());
    return QSize(std::max(75, text.width() + 24), std::max(25, text.height() + 10));
}

void CSkinButton::DrawBody(QPainter& painter, const QRect& r, const SkinColorSet& set) const
{
    painter.save();
    QPainterPath clip;
    const qreal radius = set.radius / 2.0;
    clip.addRoundedRect(QRectF(r.left(), r.top(), r.width() + 1.0, r.height() + 1.0), radius, radius);
    painter.setClipPath(clip);
    if (set.bands <= 1) {
        FillGradientV(painter, r, set.band1Top, set.band1Bottom);
    } else {
        const int split = BodySplitRow(r, set.bands);
        FillGradientV(painter, QRect(r.left(), r.top(), r.width(), split - r.top()), set.band1Top, set.band1Bottom);
        FillGradientV(
            painter, QRect(r.left(), split, r.width(), r.top() + r.height() - split), set.band2Top, set.band2Bottom);
    }
    painter.setClipRect(r);
    painter.setRenderHint(QPainter::Antialiasing, true);
    StrokeRoundRect(painter, r.adjusted(1, 1, -1, -1), set.radius, set.innerFrame);
    StrokeRoundRect(painter, r, 5, set.outerFrame);
    painter.restore();
}

void CSkinButton::DrawText(QPainter& painter, const QRect& rect, bool pressed) const
{
    const QRect area = rect.marginsRemoved(TextMargins);
    const QString label = text();
    const QRect measured = painter.fontMetrics().boundingRect(area, Qt::TextWordWrap | Qt::TextShowMnemonic, label);
    QRect block = PlaceTextBlock(area, measured.size(), TextAlignment);
    if (pressed)
        block.translate(PressedOffset);
    painter.setPen(palette().color(QPalette::Active, QPalette::ButtonText));
    painter.drawText(block, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, label);
}

void CSkinButton::DrawItem(QPainter& painter, const QRect& rect, bool pressed)
{
    CMemDC memory(painter.device(), rect);
    if (!memory.IsValid())
        return;
    QPainter& off = memory.Painter();
    off.setFont(font());
    DrawBackground(&off);
    const SkinState state = ChooseSkinState(pressed, IsHovering());
    DrawBody(off, rect, GetColorSet(state));
    DrawText(off, rect, state == SkinState::Pressed);
    memory.BlitTo(painter);
}
