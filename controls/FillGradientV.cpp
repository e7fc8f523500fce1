#include "controls/FillGradientV.h"

#include <QPainter>

std::vector<ColorRef> GradientRows(int height, ColorRef top, ColorRef bottom)
{
    std::vector<ColorRef> rows;
    if (height <= 0)
        return rows;
    rows.reserve(static_cast<std::size_t>(height));
    const auto channel = [height](int from, int to, int i) { return from + (to - from) * i / height; };
    for (int i = 0; i < height; ++i) {
        rows.push_back(MakeColorRef(channel(RedOf(top), RedOf(bottom), i), channel(GreenOf(top), GreenOf(bottom), i),
            channel(BlueOf(top), BlueOf(bottom), i)));
    }
    return rows;
}

void FillGradientV(QPainter& painter, const QRect& rect, ColorRef top, ColorRef bottom)
{
    if (rect.width() <= 0)
        return;
    const std::vector<ColorRef> rows = GradientRows(rect.height(), top, bottom);
    for (std::size_t i = 0; i < rows.size(); ++i)
        painter.fillRect(QRect(rect.left(), rect.top() + static_cast<int>(i), rect.width(), 1), ToQColor(rows[i]));
}
