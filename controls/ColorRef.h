#pragma once

#include <cstdint>

#include <QColor>

// Colours are kept as 0x00BBGGRR values, the way the skin tables list them.
using ColorRef = std::uint32_t;

constexpr int RedOf(ColorRef c) { return static_cast<int>(c & 0xFFu); }
constexpr int GreenOf(ColorRef c) { return static_cast<int>((c >> 8) & 0xFFu); }
constexpr int BlueOf(ColorRef c) { return static_cast<int>((c >> 16) & 0xFFu); }
constexpr ColorRef MakeColorRef(int r, int g, int b)
{
    return static_cast<ColorRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
inline QColor ToQColor(ColorRef c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
