#include "imaging/Geometry.h"

#include <tuple>

#include <gtest/gtest.h>

namespace {

struct GeometryCase {
    const char* text;
    const char* error; // part of the reason; null when it parses
    ResizeMode mode = ScaledImage;
    SizeUnit unit = Percent;
    double width = 0, height = 0;
    bool noEnlarge = false;
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
    testing::Values(GeometryCase { "800x600", nullptr, FitInBox, Pixel, 800, 600 },
        GeometryCase { "800X600>", nullptr, FitInBox, Pixel, 800, 600, true },
        GeometryCase { "800x600!", nullptr, FixImage, Pixel, 800, 600 },
        GeometryCase { "800x600!>", nullptr, FixImage, Pixel, 800, 600, true },
        GeometryCase { "800x", nullptr, RestrictWidth, Pixel, 800, 0 },
        GeometryCase { "800", nullptr, RestrictWidth, Pixel, 800, 0 },
        GeometryCase { "800px>", nullptr, RestrictWidth, Pixel, 800, 0, true },
        GeometryCase { "x600", nullptr, RestrictHeight, Pixel, 0, 600 },
        GeometryCase { "50%", nullptr, ScaledImage, Percent, 50, 50 },
        GeometryCase { "12.5%", nullptr, ScaledImage, Percent, 12.5, 12.5 },
        GeometryCase { "60%x40%", nullptr, ScaledImage, Percent, 60, 40 },
        GeometryCase { "x40%", nullptr, ScaledImage, Percent, 40, 40 },
        GeometryCase { "800pxx600px", nullptr, FitInBox, Pixel, 800, 600 }, GeometryCase { "", "no size" },
        GeometryCase { "x", "no size" }, GeometryCase { "800y600", "not a size" },
        GeometryCase { "800x600x2", "more than one 'x'" }, GeometryCase { "0x600", "more than zero" },
        GeometryCase { "0%", "more than zero" }, GeometryCase { "-800", "not a size" },
        GeometryCase { "800.5", "whole number" }, GeometryCase { "1.2.3%", "not a percentage" },
        GeometryCase { "60%x400", "do not mix" }, GeometryCase { "800!", "'!' needs both" },
        GeometryCase { "800x600^", "not a size" }, GeometryCase { "99999999", "too large" }));

} // namespace
