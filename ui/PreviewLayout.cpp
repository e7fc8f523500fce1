#include "ui/PreviewLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

QRect ComputePreviewDestination(QSize client, QRect source, int widthPercent, int heightPercent)
{
    const int cw = client.width(), ch = client.height();
    if (cw <= 0 || ch <= 0 || source.width() <= 0 || source.height() <= 0 || widthPercent <= 0 || heightPercent <= 0)
        return {};
    // The products stay exact in 64 bits; the sizes stay doubles until they are
    // known to fit, so a huge percent cannot overflow an int.
    double dw = std::trunc(static_cast<double>(std::int64_t(source.width()) * widthPercent) / 100);
    double dh = std::trunc(static_cast<double>(std::int64_t(source.height()) * heightPercent) / 100);
    // A tiny source at a small percent truncates to nothing.
    if (dw < 1 || dh < 1)
        return {};
    const double sx = cw / dw, sy = ch / dh;
    const double s = std::min(sx, sy);
    if (sx < 1 || sy < 1) {
        dw = std::trunc(dw * s);
        dh = std::trunc(dh * s);
    }
    const int w = static_cast<int>(dw), h = static_cast<int>(dh);
    if (w <= 0 || h <= 0)
        return {};
    const int left = (cw - w) / 2, top = (ch - h) / 2;
    return QRect(left, top, w, h);
}
