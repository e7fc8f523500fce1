#pragma once

#include <vector>

#include <QRect>

#include "controls/ColorRef.h"

class QPainter;

// The colour of each row of a vertical gradient of the given height: channel by
// channel top + (bottom - top) * i / height, truncated, so the last row stops
// short of the bottom colour. Empty for a height of 0 or less.
std::vector<ColorRef> GradientRows(int height, ColorRef top, ColorRef bottom);

// Fills the rectangle row by row with GradientRows.
void FillGradientV(QPainter& painter, const QRect& rect, ColorRef top, ColorRef bottom);
