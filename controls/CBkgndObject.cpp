#include "controls/CBkgndObject.h"

#include <QPainter>

bool CBkgndObject::GetBkgndClientRect(QRect& rect) const
{
    rect = QRect();
    return true;
}

bool CBkgndObject::GetBkgndParentRect(QRect& rect) const
{
    rect = QRect();
    return true;
}

void CBkgndObject::CaptureBackground(const QPixmap* parentPicture)
{
    if (!m_transparent || !parentPicture || parentPicture->isNull())
        return;
    QRect client, inParent;
    GetBkgndClientRect(client);
    GetBkgndParentRect(inParent);
    const qreal ratio = parentPicture->devicePixelRatio();
    const QRect source(QPoint(qRound(inParent.left() * ratio), qRound(inParent.top() * ratio)),
        (QSizeF(client.size()) * ratio).toSize());
    m_background = parentPicture->copy(source);
    m_background.setDevicePixelRatio(ratio);
}

void CBkgndObject::DrawBackground(QPainter* painter) const
{
    if (!m_transparent || m_background.isNull() || !painter)
        return;
    painter->drawPixmap(QPoint(0, 0), m_background);
}
