#include "controls/CTransStatic.h"

#include <QPainter>

std::uint32_t TextFormatFromStyle(std::uint32_t style)
{
    std::uint32_t format = 0;
    if (style & SS_RIGHT)
        format |= DT_RIGHT;
    if (style & SS_CENTER)
        format |= DT_CENTER;
    if (style & SS_CENTERIMAGE)
        format |= DT_VCENTER | DT_SINGLELINE;
    if (style & SS_NOPREFIX)
        format |= DT_NOPREFIX;
    if (style & 0xC000)
        format |= DT_WORD_ELLIPSIS;
    if (style & 0x4000)
        format |= DT_END_ELLIPSIS;
    if (style & 0x8000)
        format |= DT_PATH_ELLIPSIS;
    if ((style & 0xC20C) == 0)
        format |= DT_WORDBREAK;
    return format;
}

CTransStatic::CTransStatic(QWidget* parent)
    : QWidget(parent)
{
    m_transparent = 1;
}

void CTransStatic::SetText(const QString& text)
{
    m_text = text;
    updateGeometry();
    update();
}

void CTransStatic::SetStyle(std::uint32_t style)
{
    m_style = style;
    update();
}

bool CTransStatic::GetBkgndClientRect(QRect& rect) const
{
    rect = QRect(QPoint(0, 0), size());
    return true;
}

bool CTransStatic::GetBkgndParentRect(QRect& rect) const
{
    rect = geometry();
    return true;
}

QSize CTransStatic::sizeHint() const { return fontMetrics().size(0, m_text) + QSize(4, 4); }

void CTransStatic::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawBackground(&painter);
    const std::uint32_t format = TextFormatFromStyle(m_style);
    int flags = (format & DT_RIGHT) ? Qt::AlignRight : (format & DT_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft;
    flags |= (format & DT_VCENTER) ? Qt::AlignVCenter : Qt::AlignTop;
    if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE))
        flags |= Qt::TextWordWrap;
    if (format & DT_SINGLELINE)
        flags |= Qt::TextSingleLine;
    flags |= (format & DT_NOPREFIX) ? 0 : Qt::TextShowMnemonic;
    QString shown = m_text;
    if (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) {
        const Qt::TextElideMode mode
            = (format & DT_PATH_ELLIPSIS) && !(format & DT_END_ELLIPSIS) ? Qt::ElideMiddle : Qt::ElideRight;
        shown = fontMetrics().elidedText(m_text, mode, width());
    }
    painter.setPen(Qt::black);
    painter.drawText(rect(), flags, shown);
}
