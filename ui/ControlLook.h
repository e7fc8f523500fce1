#pragma once

#include <QRect>

#include "controls/ColorRef.h"

class QPainter;

// The look the picture list and the preview share.
inline constexpr ColorRef PictureGradientTop = 0x00FBFBFB;
inline constexpr ColorRef PictureGradientBottom = 0x00E1DDDC;
inline constexpr ColorRef PictureFrameColour = 0x007F7F7F;

// A 1-pixel line along the inside of the rectangle's edges.
void FrameRect(QPainter& painter, const QRect& rect, ColorRef colour);
