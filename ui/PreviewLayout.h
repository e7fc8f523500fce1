#pragma once

#include <QRect>
#include <QSize>

// Where the preview draws a picture of the given source size in a client area:
// the source scaled by the percentages (each axis truncated), shrunk with its
// proportions when it does not fit, never enlarged, centred. A zero or negative
// percent, an empty source or an empty client gives a null rectangle: nothing to draw.
QRect ComputePreviewDestination(QSize client, QRect source, int widthPercent, int heightPercent);
