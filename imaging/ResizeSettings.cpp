#include "imaging/ResizeSettings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "files/PathUtil.h"

std::int32_t Truncate32(double value)
{
    // A reference of 0 can make a division infinite; never let that be undefined behaviour.
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (value <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

namespace {

constexpr std::array<std::string_view, ResizeModeCount> ModeNames
    = { "scaled", "fixed", "width", "height", "box", "long-edge", "short-edge" };

} // namespace

std::string_view ResizeModeName(ResizeMode mode)
{
    return mode >= 0 && mode < ResizeModeCount ? ModeNames[static_cast<std::size_t>(mode)] : std::string_view();
}

std::optional<ResizeMode> FindResizeMode(std::string_view name)
{
    for (std::size_t i = 0; i < ModeNames.size(); ++i)
        if (ToLowerAscii(name) == ModeNames[i])
            return static_cast<ResizeMode>(i);
    return std::nullopt;
}

namespace {

std::int64_t Truncate64(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9.0e18)
        return std::numeric_limits<std::int64_t>::max();
    if (value <= -9.0e18)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

} // namespace

ResizeSettings::Axis ResizeSettings::WidthAxis()
{
    auto& d = m_dimensions;
    return { d.widthPixels, d.widthPercent, d.referenceWidth, d.heightPixels, d.heightPercent, d.referenceHeight,
        RestrictWidth, 800 };
}

ResizeSettings::Axis ResizeSettings::HeightAxis()
{
    auto& d = m_dimensions;
    return { d.heightPixels, d.heightPercent, d.referenceHeight, d.widthPixels, d.widthPercent, d.referenceWidth,
        RestrictHeight, 600 };
}

SizeUnit ResizeSettings::ResolveUnit(SizeUnit selector) const
{
    const SizeUnit u = selector == CurrentUnit ? GetSizeUnit() : selector;
    return u == Percent ? Percent : Pixel;
}

double ResizeSettings::ValueOf(std::int32_t pixels, std::int32_t percent, SizeUnit unit)
{
    if (unit == Percent)
        return static_cast<double>(static_cast<float>(percent / 100.0));
    return pixels;
}

double ResizeSettings::GetWidthValue(SizeUnit selector) const
{
    return ValueOf(m_dimensions.widthPixels, m_dimensions.widthPercent, ResolveUnit(selector));
}

double ResizeSettings::GetHeightValue(SizeUnit selector) const
{
    return ValueOf(m_dimensions.heightPixels, m_dimensions.heightPercent, ResolveUnit(selector));
}

void ResizeSettings::SetResizeMode(ResizeMode mode)
{
    auto& d = m_dimensions;
    d.mode = mode;
    switch (mode) {
    case ScaledImage:
        d.unit = Percent;
        break;
    case FixImage:
        d.unit = Pixel;
        break;
    case RestrictWidth:
        d.unit = Pixel;
        d.heightPixels = Round32(d.referenceHeight * (d.widthPixels / static_cast<double>(d.referenceWidth)));
        d.heightPercent = d.widthPercent;
        break;
    case FitInBox:
    case LongEdge:
    case ShortEdge:
        d.unit = Pixel;
        break;
    case RestrictHeight:
        d.unit = Pixel;
        d.widthPixels = Round32(d.referenceWidth * (d.heightPixels / static_cast<double>(d.referenceHeight)));
        d.widthPercent = d.heightPercent;
        break;
    default:
        break;
    }
}

void ResizeSettings::SetSizeUnit(SizeUnit unit)
{
    auto& d = m_dimensions;
    // The pixel-only modes have no percent to switch to.
    if (IsPixelOnlyMode(GetResizeMode()))
        return;
    d.unit = unit;
    if (d.mode == ScaledImage || d.mode == FixImage)
        d.mode = unit == Percent ? ScaledImage : FixImage;
}

void ResizeSettings::FollowOtherAxis(const Axis& a, SizeUnit unit)
{
    if (m_dimensions.mode != a.restrictMode)
        return;
    a.otherPercent = a.percent;
    if (unit == Percent)
        a.otherPixels = Round32(ValueOf(a.otherPixels, a.otherPercent, Percent) * a.otherReference / 100.0);
    else
        a.otherPixels = Round32(a.otherReference * (a.pixels / static_cast<double>(a.reference)));
}

void ResizeSettings::SetValue(const Axis& a, float value, SizeUnit selector)
{
    const SizeUnit u = ResolveUnit(selector);
    const double v = value;
    if (u == Percent) {
        a.percent = PercentRound32(v * 100.0);
        // From the stored hundredths as read back, not from the value typed.
        a.pixels = Round32(ValueOf(a.pixels, a.percent, Percent) * a.reference / 100.0);
    } else {
        a.pixels = Truncate32(v);
        if (a.reference == 0)
            a.reference = Truncate32(v);
        a.percent = PercentRound32(v * 10000.0 / a.reference);
    }
    FollowOtherAxis(a, u);
}

void ResizeSettings::SetReference(const Axis& a, std::int32_t reference)
{
    a.reference = reference;
    const SizeUnit u = ResolveUnit(CurrentUnit);
    if (u == Percent) {
        a.pixels = Round32(ValueOf(a.pixels, a.percent, Percent) * a.reference / 100.0);
    } else {
        if (a.reference == 0)
            a.reference = a.defaultReference;
        a.percent = PercentRound32(ValueOf(a.pixels, a.percent, Pixel) * 10000.0 / a.reference);
    }
    FollowOtherAxis(a, u);
}

void ResizeSettings::SetWidthValue(float value, SizeUnit selector) { SetValue(WidthAxis(), value, selector); }
void ResizeSettings::SetHeightValue(float value, SizeUnit selector) { SetValue(HeightAxis(), value, selector); }
void ResizeSettings::SetReferenceWidth(std::int32_t width) { SetReference(WidthAxis(), width); }
void ResizeSettings::SetReferenceHeight(std::int32_t height) { SetReference(HeightAxis(), height); }

void ResizeSettings::SetDimensions(const ResizeDimensions& dimensions)
{
    auto& d = m_dimensions;
    d = dimensions;
    if (d.mode < 0 || d.mode >= ResizeModeCount)
        d.mode = ScaledImage;
    // The pairs the setters make: Scaled Image is percent, Fixed and the pixel-only modes are pixels,
    // the restricting modes take either.
    if (d.mode == ScaledImage)
        d.unit = Percent;
    else if (d.mode == RestrictWidth || d.mode == RestrictHeight)
        d.unit = d.unit == Percent ? Percent : Pixel;
    else
        d.unit = Pixel;
    for (std::int32_t* v :
        { &d.widthPixels, &d.heightPixels, &d.widthPercent, &d.heightPercent, &d.referenceWidth, &d.referenceHeight })
        *v = std::max(*v, 0);
}

void ResizeSettings::SetCompression(const CompressionSettings& compression)
{
    m_compression.choice = compression.choice >= CompressQuality && compression.choice <= CompressFormatDefault
        ? compression.choice
        : CompressQuality;
    SetQuality(compression.quality);
    m_compression.targetSizeKB = std::clamp(compression.targetSizeKB, 1, MaxTargetSizeKB);
}

void ResizeSettings::SetQuality(std::int32_t quality)
{
    m_compression.quality = quality < 1 ? 1 : (quality > 100 ? 100 : quality);
}

void ResizeSettings::SetMinQuality(std::int32_t quality)
{
    m_options.minQuality = quality < 1 ? 1 : (quality > 100 ? 100 : quality);
}

void ResizeSettings::SetOutputOptions(const OutputOptions& options)
{
    m_options = options;
    SetMinQuality(options.minQuality);
}

namespace {

// The other side of a picture whose side `side` of `from` pixels becomes `to`, rounded
// as Restrict Width rounds the height.
std::int64_t Follow(double other, double from, double to) { return Truncate64(other * to / from + 0.5); }

TargetSize PixelOnlySize(std::uint32_t width, std::uint32_t height, ResizeMode mode, double fw, double fh)
{
    const double W = width, H = height;
    const double boxW = static_cast<double>(Truncate64(fw)), boxH = static_cast<double>(Truncate64(fh));
    TargetSize t;
    t.resample = true;
    // Which side the value sets: the width when it leads, else the height.
    bool byWidth = true;
    if (mode == FitInBox)
        byWidth = boxW * H <= boxH * W; // the width reaches the box first
    else if (mode == LongEdge)
        byWidth = W >= H;
    else
        byWidth = W <= H;
    const double n = mode == FitInBox ? (byWidth ? boxW : boxH) : boxW;
    if (byWidth) {
        t.width = Truncate64(n);
        t.height = Follow(H, W, n);
    } else {
        t.width = Follow(W, H, n);
        t.height = Truncate64(n);
    }
    t.width = std::max<std::int64_t>(t.width, 1);
    t.height = std::max<std::int64_t>(t.height, 1);
    return t;
}

} // namespace

TargetSize ComputeTargetSize(
    std::uint32_t width, std::uint32_t height, ResizeMode mode, SizeUnit unit, float w, float h, bool doNotEnlarge)
{
    const double W = width, H = height, fw = w, fh = h;
    TargetSize t;
    if (IsPixelOnlyMode(mode) && width > 0 && height > 0) {
        t = PixelOnlySize(width, height, mode, fw, fh);
    } else if (unit == Pixel) {
        t.resample = true;
        if (mode == RestrictWidth) {
            t.width = Truncate64(fw);
            t.height = Truncate64(H * fw / W + 0.5);
        } else if (mode == RestrictHeight) {
            t.width = Truncate64(W * fh / H + 0.5);
            t.height = Truncate64(fh);
        } else {
            t.width = Truncate64(fw);
            t.height = Truncate64(fh);
        }
    } else if (unit == Percent) {
        t.resample = true;
        t.width = Truncate64(W * fw / 100.0 + 0.5);
        t.height = Truncate64(H * fh / 100.0 + 0.5);
    } else {
        t.width = width;
        t.height = height;
    }
    if (doNotEnlarge && t.resample && (t.width > std::int64_t { width } || t.height > std::int64_t { height })) {
        t.width = width;
        t.height = height;
        t.resample = false;
    }
    return t;
}
