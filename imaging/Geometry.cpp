#include "imaging/Geometry.h"

#include <cmath>
#include <cstdlib>

std::optional<GeometrySide> ParseGeometrySide(std::string_view text, std::string& error)
{
    GeometrySide side;
    std::string number(text);
    if (number.ends_with('%')) {
        side.percent = true;
        number.pop_back();
    } else if (number.ends_with("px")) {
        number.resize(number.size() - 2);
    }
    const std::string what = side.percent ? "a percentage" : "a size in pixels";
    if (number.empty() || number.find_first_not_of("0123456789.") != std::string::npos
        || number.find('.') != number.rfind('.') || number == ".") {
        error = "not " + what;
        return std::nullopt;
    }
    side.value = std::strtod(number.c_str(), nullptr);
    if (!(side.value > 0)) {
        error = "a size must be more than zero";
        return std::nullopt;
    }
    if (side.value > kMaxGeometryValue) {
        error = "too large";
        return std::nullopt;
    }
    if (!side.percent && side.value != std::floor(side.value)) {
        error = "pixels are a whole number";
        return std::nullopt;
    }
    return side;
}

std::optional<Geometry> MakeGeometry(
    const std::optional<GeometrySide>& width, const std::optional<GeometrySide>& height, bool exact, std::string& error)
{
    Geometry g;
    if (!width && !height) {
        error = "no size given";
        return std::nullopt;
    }
    if (width && height && width->percent != height->percent) {
        error = "percent and pixels do not mix: give both sides in one unit";
        return std::nullopt;
    }
    if (exact && !(width && height)) {
        error = "'!' needs both a width and a height";
        return std::nullopt;
    }
    const GeometrySide& one = width ? *width : *height;
    if (one.percent) {
        g.mode = ScaledImage;
        g.unit = Percent;
        g.width = width ? width->value : height->value;
        g.height = height ? height->value : width->value;
        return g;
    }
    g.unit = Pixel;
    if (width && height) {
        g.mode = exact ? FixImage : FitInBox;
        g.width = width->value;
        g.height = height->value;
    } else if (width) {
        g.mode = RestrictWidth;
        g.width = width->value;
        g.height = 0;
    } else {
        g.mode = RestrictHeight;
        g.width = 0;
        g.height = height->value;
    }
    return g;
}

std::optional<Geometry> ParseGeometry(std::string_view text, std::string& error)
{
    bool exact = false, noEnlarge = false;
    while (!text.empty() && (text.back() == '!' || text.back() == '>')) {
        (text.back() == '!' ? exact : noEnlarge) = true;
        text.remove_suffix(1);
    }
    // The 'x' between the sides; the one of "px" is no separator.
    std::size_t x = std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((text[i] != 'x' && text[i] != 'X') || (i > 0 && text[i - 1] == 'p'))
            continue;
        if (x != std::string_view::npos) {
            error = "more than one 'x'";
            return std::nullopt;
        }
        x = i;
    }
    const std::string_view w = text.substr(0, x), h = x == std::string_view::npos ? "" : text.substr(x + 1);
    std::optional<GeometrySide> width, height;
    if (!w.empty() && !(width = ParseGeometrySide(w, error)))
        return std::nullopt;
    if (!h.empty() && !(height = ParseGeometrySide(h, error)))
        return std::nullopt;
    std::optional<Geometry> g = MakeGeometry(width, height, exact, error);
    if (g)
        g->noEnlarge = noEnlarge;
    return g;
}
