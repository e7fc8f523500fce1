#include "controls/CMemDC.h"

void CMemDC::Create(const QPaintDevice* target, const QRect& rect)
{
    m_rect = rect;
    const qreal ratio = target ? target->devicePixelRatioF() : 1.0;
    m_pixmap = QPixmap((QSizeF(rect.size()) * ratio).toSize());
    m_pixmap.setDevicePixelRatio(ratio);
    m_pixmap.fill(Qt::transparent);
    if (m_pixmap.isNull())
        return;
    m_painter = std::make_unique<QPainter>(&m_pixmap);
    m_painter->translate(-rect.topLeft());
}

void CMemDC::Release()
{
    m_painter.reset();
    m_pixmap = QPixmap();
}

const QPixmap& CMemDC::Pixmap()
{
    if (m_painter)
        m_painter->end();
    return m_pixmap;
}

void CMemDC::BlitTo(QPainter& target)
{
    if (!m_painter)
        return;
    target.drawPixmap(m_rect.topLeft(), Pixmap());
}
