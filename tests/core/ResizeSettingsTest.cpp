#include "imaging/ResizeSettings.h"

#include <array>
#include <cmath>
#include <functional>
#include <limits>

#include <gtest/gtest.h>

namespace {

using R = ResizeSettings&;
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

void Reference(R s, int width, int height)
{
    s.SetReferenceWidth(width);
    s.SetReferenceHeight(height);
}

// 800 pixels of 4000 x 3000 in Restrict Width, set while in Scaled Image.
void RestrictWidth800(R s)
{
    Reference(s, 4000, 3000);
    s.SetWidthValue(800, Pixel);
    s.SetResizeMode(RestrictWidth);
}

// 600 pixels of 3000 x 4000 in Restrict Height.
void RestrictHeight600(R s)
{
    Reference(s, 3000, 4000);
    s.SetHeightValue(600, Pixel);
    s.SetResizeMode(RestrictHeight);
}

// Setter calls from the default settings (800 x 600 reference, 100 %), then what they leave.
struct SettingsCase {
    const char* name;
    std::function<void(R)> act;
    // mode, unit, width pixels, width hundredths, height pixels, height hundredths
    std::array<std::int32_t, 6> expect;
};

class ResizeSettingsTest : public testing::TestWithParam<SettingsCase> { };

TEST_P(ResizeSettingsTest, DeriveTheOtherUnitAndAxis)
{
    ResizeSettings s;
    GetParam().act(s);
    const ResizeDimensions& d = s.GetDimensions();
    EXPECT_EQ((std::array { d.mode, d.unit, d.widthPixels, d.widthPercent, d.heightPixels, d.heightPercent }),
        GetParam().expect);
}

INSTANTIATE_TEST_SUITE_P(Rules, ResizeSettingsTest,
    testing::Values(
        // The unit switches the mode in Scaled and Fixed only.
        SettingsCase {
            "PixelMakesFixed", [](R s) { s.SetSizeUnit(Pixel); }, { FixImage, Pixel, 800, 10000, 600, 10000 } },
        SettingsCase { "PercentMakesScaled", [](R s) { s.SetSizeUnit(Pixel), s.SetSizeUnit(Percent); },
            { ScaledImage, Percent, 800, 10000, 600, 10000 } },
        SettingsCase { "RestrictWidthKeepsItsModeInPercent",
            [](R s) { s.SetResizeMode(RestrictWidth), s.SetSizeUnit(Percent); },
            { RestrictWidth, Percent, 800, 10000, 600, 10000 } },
        SettingsCase { "RestrictHeightKeepsItsModeInPercent",
            [](R s) { s.SetResizeMode(RestrictHeight), s.SetSizeUnit(Percent); },
            { RestrictHeight, Percent, 800, 10000, 600, 10000 } },
        // Pixels give hundredths: 1 of 3 pixels is 3333.33, which the +0.55 rule still truncates to 3333.
        SettingsCase { "OneOfThree", [](R s) { Reference(s, 3, 3), s.SetWidthValue(1, Pixel); },
            { ScaledImage, Percent, 1, 3333, 3, 10000 } },
        // The pixels come from the stored hundredths as read back, not from the typed value.
        SettingsCase { "PixelsFromTheStoredHundredths",
            [](R s) { Reference(s, 1001, 1001), s.SetWidthValue(33.33f, Percent); },
            { ScaledImage, Percent, 334, 3333, 1001, 10000 } },
        // Float 0.29 * 100 is 28.999...; percent-round must still give 29 hundredths.
        SettingsCase { "FloatPercentRounds", [](R s) { Reference(s, 1000, 1000), s.SetHeightValue(0.29f, Percent); },
            { ScaledImage, Percent, 1000, 10000, 3, 29 } },
        // Hundredths round up from .45: float 33.335 is 33.33499908, 3333.4999 hundredths, which
        // must be 3334 (1334 pixels of 4000); and 700 of 1080 pixels, 6481.48 hundredths, is 6482.
        SettingsCase { "PercentRoundsUpFromPoint45",
            [](R s) { Reference(s, 4000, 3000), s.SetWidthValue(33.335f, Percent); },
            { ScaledImage, Percent, 1334, 3334, 3000, 10000 } },
        SettingsCase { "PixelsToHundredthsRoundUpFromPoint45",
            [](R s) { Reference(s, 1920, 1080), s.SetHeightValue(700, Pixel); },
            { ScaledImage, Percent, 1920, 10000, 700, 6482 } },
        // In the restricting modes the other axis follows, in either unit; the other setter does not lead.
        SettingsCase { "RestrictWidthFollows", RestrictWidth800, { RestrictWidth, Pixel, 800, 2000, 600, 2000 } },
        SettingsCase { "RestrictWidthFollowsNewWidth",
            [](R s) { RestrictWidth800(s), s.SetWidthValue(1000, CurrentUnit); },
            { RestrictWidth, Pixel, 1000, 2500, 750, 2500 } },
        SettingsCase { "RestrictWidthFollowsPercent",
            [](R s) { RestrictWidth800(s), s.SetSizeUnit(Percent), s.SetWidthValue(10, CurrentUnit); },
            { RestrictWidth, Percent, 400, 1000, 300, 1000 } },
        SettingsCase { "HeightDoesNotLeadInRestrictWidth",
            [](R s) { RestrictWidth800(s), s.SetSizeUnit(Percent), s.SetHeightValue(50, CurrentUnit); },
            { RestrictWidth, Percent, 800, 2000, 1500, 5000 } },
        SettingsCase { "RestrictHeightFollows", RestrictHeight600, { RestrictHeight, Pixel, 450, 1500, 600, 1500 } },
        SettingsCase { "RestrictHeightFollowsNewHeight",
            [](R s) { RestrictHeight600(s), s.SetHeightValue(800, CurrentUnit); },
            { RestrictHeight, Pixel, 600, 2000, 800, 2000 } },
        // A new reference keeps the value of the current unit: percent of the new picture, or the pixels.
        SettingsCase { "NewReferenceKeepsPercent", [](R s) { s.SetWidthValue(50, Percent), s.SetReferenceWidth(3000); },
            { ScaledImage, Percent, 1500, 5000, 600, 10000 } },
        SettingsCase { "NewReferenceKeepsPixels",
            [](R s) { s.SetResizeMode(FixImage), s.SetWidthValue(400, CurrentUnit), s.SetReferenceWidth(1600); },
            { FixImage, Pixel, 400, 2500, 600, 10000 } },
        // A reference of 0 falls back to the default height.
        SettingsCase { "ZeroReference", [](R s) { s.SetResizeMode(FixImage), s.SetReferenceHeight(0); },
            { FixImage, Pixel, 800, 10000, 600, 10000 } },
        // Restrict Width re-derives the height when the width's reference changes; the height's
        // own reference arrives second and only re-derives its percentage.
        SettingsCase { "NewReferencesInRestrictWidth", [](R s) { RestrictWidth800(s), Reference(s, 1000, 2000); },
            { RestrictWidth, Pixel, 800, 8000, 2400, 12000 } },
        // Huge and nonsense values saturate instead of wrapping.
        SettingsCase {
            "Huge", [](R s) { s.SetWidthValue(1e30f, Pixel); }, { ScaledImage, Percent, kMax, kMax, 600, 10000 } },
        SettingsCase { "NotANumber", [](R s) { s.SetWidthValue(std::nanf(""), Pixel); },
            { ScaledImage, Percent, 0, 0, 600, 10000 } }),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ResizeSettings, QualityIsClampedAndRoundingSaturates)
{
    ResizeSettings s;
    s.SetQuality(0);
    EXPECT_EQ(s.GetQuality(), 1);
    s.SetQuality(250);
    EXPECT_EQ(s.GetQuality(), 100);
    EXPECT_EQ(Truncate32(-1e300), std::numeric_limits<std::int32_t>::min());
}

// The size matters only when the picture is resampled: the classic modes, the pixel-only modes on landscape,
// portrait and square pictures, and Do Not Enlarge over every mode.
struct TargetCase {
    const char* name;
    std::uint32_t width, height;
    ResizeMode mode;
    SizeUnit unit;
    float w, h;
    bool doNotEnlarge;
    std::int64_t expectWidth, expectHeight;
    bool resample;
};

class TargetSizeTest : public testing::TestWithParam<TargetCase> { };

TEST_P(TargetSizeTest, Computes)
{
    const TargetCase& c = GetParam();
    const TargetSize t = ComputeTargetSize(c.width, c.height, c.mode, c.unit, c.w, c.h, c.doNotEnlarge);
    EXPECT_EQ((std::array<std::int64_t, 3> { t.resample, t.width, t.height }),
        (std::array<std::int64_t, 3> { c.resample, c.expectWidth, c.expectHeight }));
}

INSTANTIATE_TEST_SUITE_P(Rules, TargetSizeTest,
    testing::Values(TargetCase { "RestrictHeight", 3000, 4000, RestrictHeight, Pixel, 800, 600, false, 450, 600, true },
        // The following axis rounds: 335 * 100 / 1000 = 33.5 gives 34.
        TargetCase { "RestrictWidthRounds", 1000, 335, RestrictWidth, Pixel, 100, 0, false, 100, 34, true },
        // Product before division: 4294967295 * 50 must not overflow 32 bits.
        TargetCase { "NoOverflow", 4294967295u, 2, ScaledImage, Percent, 50, 50, false, 2147483648ll, 1, true },
        TargetCase { "UnknownUnitKeepsTheSize", 800, 600, ScaledImage, static_cast<SizeUnit>(7), 50, 50, false, 800,
            600, false },
        // Fit in Box: the side that reaches the box first sets the scale; the other rounds as Restrict Width does.
        TargetCase { "BoxLandscape", 4000, 3000, FitInBox, Pixel, 1600, 1600, false, 1600, 1200, true },
        TargetCase { "BoxPortrait", 3000, 4000, FitInBox, Pixel, 1600, 1600, false, 1200, 1600, true },
        TargetCase { "BoxSquare", 1000, 1000, FitInBox, Pixel, 300, 200, false, 200, 200, true },
        TargetCase { "BoxWideBoxTallPicture", 1000, 335, FitInBox, Pixel, 100, 500, false, 100, 34, true },
        TargetCase { "BoxEnlarges", 400, 300, FitInBox, Pixel, 800, 800, false, 800, 600, true },
        TargetCase { "BoxIgnoresTheUnit", 4000, 3000, FitInBox, Percent, 1600, 1600, false, 1600, 1200, true },
        // Long Edge and Short Edge take the width value.
        TargetCase { "LongPortrait", 3000, 4000, LongEdge, Pixel, 1000, 0, false, 750, 1000, true },
        TargetCase { "LongSquare", 500, 500, LongEdge, Pixel, 100, 0, false, 100, 100, true },
        TargetCase { "ShortLandscape", 4000, 3000, ShortEdge, Pixel, 600, 0, false, 800, 600, true },
        TargetCase { "ShortPortrait", 3000, 4000, ShortEdge, Pixel, 600, 0, false, 600, 800, true },
        TargetCase { "ShortRounds", 1000, 335, ShortEdge, Pixel, 67, 0, false, 200, 67, true },
        // A side never drops below a pixel.
        TargetCase { "LongKeepsAPixel", 4000, 10, LongEdge, Pixel, 100, 0, false, 100, 1, true },
        TargetCase { "ZeroEdge", 40, 30, ShortEdge, Pixel, 0, 0, false, 1, 1, true },
        // Do Not Enlarge: larger in either side keeps the picture's size, smaller is as before.
        TargetCase { "NoEnlargeBox", 400, 300, FitInBox, Pixel, 800, 800, true, 400, 300, false },
        TargetCase { "NoEnlargeShrinks", 4000, 3000, LongEdge, Pixel, 1000, 0, true, 1000, 750, true },
        TargetCase { "NoEnlargeShortPortrait", 300, 400, ShortEdge, Pixel, 301, 0, true, 300, 400, false },
        TargetCase { "NoEnlargeEqualIsResampled", 300, 400, ShortEdge, Pixel, 300, 0, true, 300, 400, true },
        TargetCase { "NoEnlargeScaled", 400, 300, ScaledImage, Percent, 150, 150, true, 400, 300, false },
        TargetCase { "NoEnlargeScaledHalf", 400, 300, ScaledImage, Percent, 50, 50, true, 200, 150, true },
        TargetCase { "NoEnlargeFixOneSide", 400, 300, FixImage, Pixel, 200, 301, true, 400, 300, false },
        TargetCase { "NoEnlargeRestrictHeight", 3000, 4000, RestrictHeight, Pixel, 0, 4001, true, 3000, 4000, false },
        // Fix Image takes both sides as given, aspect not kept.
        TargetCase { "EnlargeFixOneSide", 400, 300, FixImage, Pixel, 200, 301, false, 200, 301, true }),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ResizeSettings, PixelOnlyModesStayInPixels)
{
    for (const ResizeMode mode : { FitInBox, LongEdge, ShortEdge }) {
        ResizeSettings s;
        s.SetResizeMode(mode);
        s.SetSizeUnit(Percent);
        EXPECT_EQ(std::pair(s.GetResizeMode(), s.GetSizeUnit()), std::pair(mode, Pixel));
    }
}

} // namespace
