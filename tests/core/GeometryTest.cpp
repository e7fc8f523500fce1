#include "imaging/Geometry.h"

#include <tuple>

#include <gtest/gtest.h>

namespace {

struct GeometryCase {
    const char* text;
    ResizeMode mode;
    SizeUnit unit;
    double width, height;
    bool noEnlarge;
    const char* error; // part of the reason; null when it parses
};

class GeometryTest : public testing::TestWithParam<GeometryCase> { };

TEST_P(GeometryTest, Parses)
{
    const GeometryCase& c = GetParam();
    std::string error;
    const std::optional<Geometry> g = ParseGeometry(c.text, error);
    if (c.error) {
        EXPECT_FALSE(g) << c.text;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.text << ": " << error;
        return;
    }
    ASSERT_TRUE(g) << c.text << ": " << error;
    EXPECT_EQ(std::tuple(g->mode, g->unit, g->width, g->height, g->noEnlarge),
        std::tuple(c.mode, c.unit, c.width, c.height, c.noEnlarge))
        << c.text;
}

INSTANTIATE_TEST_SUITE_P(Table, GeometryTest,
    testing::Values(GeometryCase { "800x600", FitInBox, Pixel, 800, 600, false, nullptr },
        GeometryCase { "800X600>", FitInBox, Pixel, 800, 600, true, nullptr },
        GeometryCase { "800x600!", FixImage, Pixel, 800, 600, false, nullptr },
        GeometryCase { "800x600!>", FixImage, Pixel, 800, 600, true, nullptr },
        GeometryCase { "800x", RestrictWidth, Pixel, 800, 0, false, nullptr },
        GeometryCase { "800", RestrictWidth, Pixel, 800, 0, false, nullptr },
        GeometryCase { "800px>", RestrictWidth, Pixel, 800, 0, true, nullptr },
        GeometryCase { "x600", RestrictHeight, Pixel, 0, 600, false, nullptr },
        GeometryCase { "50%", ScaledImage, Percent, 50, 50, false, nullptr },
        GeometryCase { "12.5%", ScaledImage, Percent, 12.5, 12.5, false, nullptr },
        GeometryCase { "60%x40%", ScaledImage, Percent, 60, 40, false, nullptr },
        GeometryCase { "x40%", ScaledImage, Percent, 40, 40, false, nullptr },
        GeometryCase { "800pxx600px", FitInBox, Pixel, 800, 600, false, nullptr },
        GeometryCase { "", ScaledImage, Percent, 0, 0, false, "no size" },
        GeometryCase { "x", ScaledImage, Percent, 0, 0, false, "no size" },
        GeometryCase { "800y600", ScaledImage, Percent, 0, 0, false, "not a size" },
        GeometryCase { "800x600x2", ScaledImage, Percent, 0, 0, false, "more than one 'x'" },
        GeometryCase { "0x600", ScaledImage, Percent, 0, 0, false, "more than zero" },
        GeometryCase { "0%", ScaledImage, Percent, 0, 0, false, "more than zero" },
        GeometryCase { "-800", ScaledImage, Percent, 0, 0, false, "not a size" },
        GeometryCase { "800.5", ScaledImage, Percent, 0, 0, false, "whole number" },
        GeometryCase { "1.2.3%", ScaledImage, Percent, 0, 0, false, "not a percentage" },
        GeometryCase { "60%x400", ScaledImage, Percent, 0, 0, false, "do not mix" },
        GeometryCase { "800!", ScaledImage, Percent, 0, 0, false, "'!' needs both" },
        GeometryCase { "800x600^", ScaledImage, Percent, 0, 0, false, "not a size" },
        GeometryCase { "99999999", ScaledImage, Percent, 0, 0, false, "too large" }));

} // namespace
