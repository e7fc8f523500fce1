#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "imaging/ResizeSettings.h"

// One side as a user writes it: "800", "800px" or "50%".
struct GeometrySide {
    double value = 0;
    bool percent = false;
};

// A size request in the settings' own terms: the mode, the unit and the two values as
// the options hold them (Long/Short Edge and Restrict Width use the width value).
struct Geometry {
    ResizeMode mode = ScaledImage;
    SizeUnit unit = Percent;
    double width = 100;
    double height = 100;
    bool noEnlarge = false;
};

// The largest side or percentage taken; beyond are typing mistakes.
inline constexpr double kMaxGeometryValue = 10000000.0;

// "800", "800px" or "50%"; decimals only in percent. Empty with a reason on error.
std::optional<GeometrySide> ParseGeometrySide(std::string_view text, std::string& error);

// The size from the sides given, as ImageMagick reads them: both pixels fit inside the box
// (exactly that size with `exact`), one pixel side sets that side with the proportions kept,
// percentages scale their sides (one alone scales both). Percent and pixels do not mix.
std::optional<Geometry> MakeGeometry(const std::optional<GeometrySide>& width,
    const std::optional<GeometrySide>& height, bool exact, std::string& error);

// The ImageMagick / vipsthumbnail geometry: "800x600" (fit in the box), "800x" or "800" (the
// width), "x600" (the height), "800x600!" (exactly), "50%", "60%x40%"; a trailing '>' never
// enlarges. Pure; empty with a reason on error.
std::optional<Geometry> ParseGeometry(std::string_view text, std::string& error);
