#include "imaging/ResizeSettings.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

ResizeSettings WithReference(int width, int height)
{
    ResizeSettings s;
    s.SetReferenceWidth(width);
    s.SetReferenceHeight(height);
    return s;
}

TEST(ResizeSettingsTest, PixelAndPercentStayInStepIncludingTheRoundingRules)
{
    ResizeSettings s = WithReference(800, 600);
    s.SetWidthValue(400, Pixel);
    EXPECT_EQ(s.GetDimensions().widthPixels, 400);
    EXPECT_EQ(s.GetDimensions().widthPercent, 5000);

    // 1 of 3 pixels is 3333.33 hundredths; the +0.55 rule still truncates to 3333.
    s = WithReference(3, 3);
    s.SetWidthValue(1, Pixel);
    EXPECT_EQ(s.GetDimensions().widthPercent, 3333);

    // The pixels come from the stored hundredths as read back, not from the typed value.
    s = WithReference(1001, 1001);
    s.SetWidthValue(33.33f, Percent);
    EXPECT_EQ(s.GetDimensions().widthPercent, 3333);
    EXPECT_EQ(s.GetDimensions().widthPixels, 334);

    // Float 0.29 * 100 is 28.999...; percent-round must still give 29 %.
    s = WithReference(1000, 1000);
    s.SetHeightValue(0.29f, Percent);
    EXPECT_EQ(s.GetDimensions().heightPercent, 29);
    EXPECT_DOUBLE_EQ(s.GetHeightValue(Percent), static_cast<double>(0.29f));
}

TEST(ResizeSettingsTest, UnitSwitchesModeOnlyInScaledAndFixed)
{
    ResizeSettings s;
    s.SetSizeUnit(Pixel);
    EXPECT_EQ(s.GetResizeMode(), FixImage);
    s.SetSizeUnit(Percent);
    EXPECT_EQ(s.GetResizeMode(), ScaledImage);

    s.SetResizeMode(RestrictWidth);
    EXPECT_EQ(s.GetSizeUnit(), Pixel);
    s.SetSizeUnit(Percent);
    EXPECT_EQ(s.GetResizeMode(), RestrictWidth);
    EXPECT_EQ(s.GetSizeUnit(), Percent);

    s.SetResizeMode(RestrictHeight);
    s.SetSizeUnit(Percent);
    EXPECT_EQ(s.GetResizeMode(), RestrictHeight);
}

TEST(ResizeSettingsTest, RestrictingModesMakeTheOtherAxisFollow)
{
    ResizeSettings s = WithReference(4000, 3000);
    s.SetWidthValue(800, Pixel);
    s.SetResizeMode(RestrictWidth);
    EXPECT_EQ(s.GetSizeUnit(), Pixel);
    EXPECT_EQ(s.GetDimensions().heightPixels, 600);
    EXPECT_EQ(s.GetDimensions().heightPercent, s.GetDimensions().widthPercent);

    s.SetWidthValue(1000, CurrentUnit);
    EXPECT_EQ(s.GetDimensions().heightPixels, 750);
    EXPECT_EQ(s.GetDimensions().heightPercent, 2500);

    // Percent in Restrict Width: the height takes the same percentage.
    s.SetSizeUnit(Percent);
    s.SetWidthValue(10, CurrentUnit);
    EXPECT_EQ(s.GetDimensions().widthPixels, 400);
    EXPECT_EQ(s.GetDimensions().heightPercent, 1000);
    EXPECT_EQ(s.GetDimensions().heightPixels, 300);

    // The height setter does not drag the width along in Restrict Width.
    s.SetHeightValue(50, CurrentUnit);
    EXPECT_EQ(s.GetDimensions().widthPercent, 1000);

    ResizeSettings h = WithReference(3000, 4000);
    h.SetHeightValue(600, Pixel);
    h.SetResizeMode(RestrictHeight);
    EXPECT_EQ(h.GetDimensions().widthPixels, 450);
    h.SetHeightValue(800, CurrentUnit);
    EXPECT_EQ(h.GetDimensions().widthPixels, 600);
    EXPECT_EQ(h.GetDimensions().widthPercent, 2000);
}

TEST(ResizeSettingsTest, NewReferenceKeepsTheValueOfTheCurrentUnit)
{
    // Percent: 50 % of the new picture.
    ResizeSettings s;
    s.SetWidthValue(50, Percent);
    s.SetReferenceWidth(3000);
    EXPECT_EQ(s.GetDimensions().widthPixels, 1500);
    EXPECT_EQ(s.GetDimensions().widthPercent, 5000);

    // Pixel: the pixels stay, the percentage is derived again.
    ResizeSettings p;
    p.SetResizeMode(FixImage);
    p.SetWidthValue(400, CurrentUnit);
    p.SetReferenceWidth(1600);
    EXPECT_EQ(p.GetDimensions().widthPixels, 400);
    EXPECT_EQ(p.GetDimensions().widthPercent, 2500);
    p.SetReferenceHeight(0); // a reference of 0 falls back to the default height
    EXPECT_EQ(p.GetDimensions().referenceHeight, 600);
    EXPECT_EQ(p.GetDimensions().heightPercent, 10000);

    // Restrict Width re-derives the height when the width's reference changes; the
    // height's own reference arrives second and only re-derives its percentage.
    ResizeSettings r = WithReference(4000, 3000);
    r.SetWidthValue(800, Pixel);
    r.SetResizeMode(RestrictWidth);
    r.SetReferenceWidth(1000);
    EXPECT_EQ(r.GetDimensions().widthPercent, 8000);
    EXPECT_EQ(r.GetDimensions().heightPixels, 2400);
    r.SetReferenceHeight(2000);
    EXPECT_EQ(r.GetDimensions().widthPixels, 800);
    EXPECT_EQ(r.GetDimensions().heightPixels, 2400);
    EXPECT_EQ(r.GetDimensions().heightPercent, 12000);
}

TEST(ResizeSettingsTest, QualityIsClampedAndTargetSizeIsNot)
{
    ResizeSettings s;
    s.SetQuality(0);
    EXPECT_EQ(s.GetQuality(), 1);
    s.SetQuality(250);
    EXPECT_EQ(s.GetQuality(), 100);
    s.SetTargetSizeKB(0);
    EXPECT_EQ(s.GetTargetSizeKB(), 0);
}

TEST(ResizeSettingsTest, HugeAndNonsenseValuesSaturateInsteadOfWrapping)
{
    ResizeSettings s = WithReference(800, 600);
    s.SetWidthValue(1e30f, Pixel);
    EXPECT_EQ(s.GetDimensions().widthPixels, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(s.GetDimensions().widthPercent, std::numeric_limits<std::int32_t>::max());
    s.SetWidthValue(std::nanf(""), Pixel);
    EXPECT_EQ(s.GetDimensions().widthPixels, 0);
    EXPECT_EQ(Truncate32(-1e300), std::numeric_limits<std::int32_t>::min());
}

struct TargetCase {
    std::uint32_t width, height;
    std::int32_t mode, unit;
    float w, h;
    std::int64_t expectWidth, expectHeight;
    bool resample;
};

void PrintTo(const TargetCase& c, std::ostream* os)
{
    *os << c.width << 'x' << c.height << " mode " << c.mode << " unit " << c.unit << ' ' << c.w << 'x' << c.h;
}

class TargetSizeTest : public testing::TestWithParam<TargetCase> { };

TEST_P(TargetSizeTest, Computes)
{
    const TargetCase& c = GetParam();
    const TargetSize t = ComputeTargetSize(c.width, c.height, c.mode, c.unit, c.w, c.h);
    EXPECT_EQ(t.resample, c.resample);
    if (c.resample) {
        EXPECT_EQ(t.width, c.expectWidth);
        EXPECT_EQ(t.height, c.expectHeight);
    }
}

INSTANTIATE_TEST_SUITE_P(Rules, TargetSizeTest,
    testing::Values(TargetCase { 4000, 3000, ScaledImage, Percent, 50, 50, 2000, 1500, true },
        TargetCase { 4000, 3000, RestrictWidth, Pixel, 800, 600, 800, 600, true },
        TargetCase { 3000, 4000, RestrictHeight, Pixel, 800, 600, 450, 600, true },
        TargetCase { 100, 100, FixImage, Pixel, 800, 600, 800, 600, true },
        // Aspect not kept in Fix Image.
        TargetCase { 4000, 3000, FixImage, Pixel, 500, 500, 500, 500, true },
        // The following axis rounds: 335 * 100 / 1000 = 33.5 gives 34.
        TargetCase { 1000, 335, RestrictWidth, Pixel, 100, 0, 100, 34, true },
        TargetCase { 1001, 1001, ScaledImage, Percent, 33.33f, 33.33f, 334, 334, true },
        // Product before division: 4294967295 * 50 must not overflow 32 bits.
        TargetCase { 4294967295u, 2, ScaledImage, Percent, 50, 50, 2147483648ll, 1, true },
        TargetCase { 800, 600, ScaledImage, 7, 50, 50, 0, 0, false }));

} // namespace
