#include <algorithm>
#include <tuple>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "batch/ImageBatch.h"
#include "imaging/Picture.h"
#include "imaging/PictureConversion.h"
#include "tests/support/EngineFixtures.h"
#include "tests/support/TestPictures.h"

namespace {

using namespace enginefix;

struct FormatCase {
    const char* name;
    CompressionChoice choice;
    const char* extension;
    bool keepAlpha;
    const char* loader; // what an independent decoder says the file is
    int bands;          // 4: alpha kept; 3: flattened onto white
    int quality;        // recorded in the outcome
};

class ModernFormatTest : public FolderTest, public testing::WithParamInterface<FormatCase> { };

// Half opaque red, half transparent, halved: the promised format, size and bands, alpha kept where asked for
// and held by the format, white where flattened.
TEST_P(ModernFormatTest, WritesTheFormatKeepingOrFlatteningAlpha)
{
    const FormatCase& c = GetParam();
    testpics::WriteAlphaPng(In("alpha.png"), 40, 30);
    auto batch = MakeBatch({ In("alpha.png") }, Out());
    batch->SetCompressionChoice(c.choice);
    batch->SetOutputExtension(c.extension);
    batch->SetKeepAlpha(c.keepAlpha);
    batch->SetQuality(90);
    batch->SetWidthValue(50, Percent);
    batch->SetHeightValue(50, Percent);
    ASSERT_TRUE(RunJob(*batch));
    const ConvertOutcome& o = batch->GetConvertOutcomes().at(0);
    ASSERT_EQ(o.status, ConvertStatus::Written) << o.reason;
    EXPECT_EQ(o.quality, c.quality);
    const Decoded d = Decode(o.output);
    ASSERT_TRUE(d.ok) << o.output;
    EXPECT_EQ(std::tuple(d.loader, d.width, d.height, d.bands), std::tuple(std::string(c.loader), 20, 15, c.bands));
    if (c.bands == 4) {
        ExpectPixel(d.topLeft, { 255, 0, 0, 255 }, 24);
        EXPECT_LT(d.topRight.at(3), 8) << "transparent stays transparent";
    } else {
        ExpectPixel(d.topLeft, { 255, 0, 0 }, 24);
        ExpectPixel(d.topRight, { 255, 255, 255 }, 24);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, ModernFormatTest,
    testing::Values(FormatCase { "PngKeeps", CompressFormatDefault, ".png", true, "pngload", 4, 0 },
        FormatCase { "TifKeeps", CompressFormatDefault, ".tif", true, "tiffload", 4, 0 },
        FormatCase { "GifKeeps", CompressFormatDefault, ".gif", true, "gifload", 4, 0 },
        FormatCase { "WebpKeeps", CompressFormatDefault, ".webp", true, "webpload", 4, 90 },
        FormatCase { "AvifKeeps", CompressFormatDefault, ".avif", true, "heifload", 4, 90 },
        FormatCase { "JxlKeeps", CompressFormatDefault, ".jxl", true, "jxlload", 4, 90 },
        FormatCase { "HeicKeeps", CompressFormatDefault, ".heic", true, "heifload", 4, 90 },
        FormatCase { "JpegFlattens", CompressQuality, ".jpg", true, "jpegload", 3, 90 },
        FormatCase { "BmpFlattens", CompressFormatDefault, ".bmp", true, "magickload", 3, 0 },
        FormatCase { "PcxFlattens", CompressFormatDefault, ".pcx", true, "magickload", 3, 0 },
        // The quality strategy writes a format's own encoding where it has a quality of its own.
        FormatCase { "WebpAtAQuality", CompressQuality, ".webp", false, "webpload", 3, 90 },
        FormatCase { "AvifAtAQuality", CompressQuality, ".avif", false, "heifload", 3, 90 },
        FormatCase { "JxlAtAQuality", CompressQuality, ".jxl", false, "jxlload", 3, 90 },
        FormatCase { "HeicAtAQuality", CompressQuality, ".heic", false, "heifload", 3, 90 }),
    CaseName);

// Lossless WebP and JPEG XL give back the very pixels PNG keeps.
TEST_F(FolderTest, LosslessGivesBackThePixels)
{
    testpics::WriteColour(In("g.png"), 64, 48, "png");
    for (const char* extension : { ".png", ".webp", ".jxl" }) {
        auto batch = MakeBatch({ In("g.png") }, Out());
        batch->SetCompressionChoice(CompressFormatDefault);
        batch->SetOutputExtension(extension);
        batch->SetLossless(true);
        ASSERT_TRUE(RunJob(*batch));
        ASSERT_EQ(batch->GetConvertOutcomes().at(0).status, ConvertStatus::Written);
    }
    const vips::VImage png = vips::VImage::new_from_file(Out("g.png").c_str());
    for (const char* name : { "g.webp", "g.jxl" }) {
        const vips::VImage other = vips::VImage::new_from_file(Out(name).c_str());
        ASSERT_EQ(other.bands(), 3) << name;
        EXPECT_EQ((png - other).abs().max(), 0.0) << name;
    }
}

struct TargetCase {
    const char* name;
    const char* extension;
    const char* loader;
    std::int32_t targetKB;
    bool shrinkToFit;
    std::int32_t minQuality;
    bool missed; // the file is over the target
};

class ModernTargetSizeTest : public FolderTest, public testing::WithParamInterface<TargetCase> { };

// Noise, which compresses badly: the written file is the largest quality that fits, or with Shrink to Fit
// the floor quality at a smaller size; without it a missed target is written and said to be missed.
TEST_P(ModernTargetSizeTest, MeetsOrReportsTheTarget)
{
    const TargetCase& c = GetParam();
    testpics::WriteNoiseJpeg(In("noise.jpg"), 96, 72);
    auto batch = MakeBatch({ In("noise.jpg") }, Out());
    batch->SetCompressionChoice(CompressTargetSize);
    batch->SetTargetSizeKB(c.targetKB);
    batch->SetOutputExtension(c.extension);
    batch->SetShrinkToFit(c.shrinkToFit);
    batch->SetMinQuality(c.minQuality);
    ASSERT_TRUE(RunJob(*batch));
    const ConvertOutcome& o = batch->GetConvertOutcomes().at(0);
    ASSERT_EQ(o.status, ConvertStatus::Written) << o.reason;
    const std::uint64_t limit = static_cast<std::uint64_t>(c.targetKB) * 1024;
    const auto bytes = testpics::ReadBytes(o.output);
    const Decoded d = Decode(o.output);
    EXPECT_EQ(std::tuple(d.loader, d.width, d.height), std::tuple(std::string(c.loader), o.width, o.height));
    EXPECT_EQ(o.bytes, bytes.size());
    EXPECT_EQ(o.overTarget, bytes.size() > limit);
    EXPECT_EQ(o.overTarget, c.missed) << o.quality << " " << bytes.size();
    EXPECT_EQ(o.targetBytes, limit);
    Picture work = Picture::Load(In("noise.jpg"));
    work.IncreaseBpp24();
    ASSERT_TRUE(work.Realize());
    const PictureFormat format = GetOutputFormat(c.extension).format;
    if (c.shrinkToFit) {
        EXPECT_LT(o.width, 96);
        EXPECT_EQ(o.quality, c.minQuality);
        EXPECT_GT(work.Encode(format, { .quality = c.minQuality }).size(), limit) << "quality alone could not";
    } else if (o.overTarget) {
        EXPECT_EQ(o.quality, c.minQuality);
    } else {
        EXPECT_EQ(std::tuple(o.width, o.height, o.scaledToFit), std::tuple(96, 72, false));
        EXPECT_EQ(bytes, work.Encode(format, { .quality = o.quality })) << "the file is the measured encoding";
        const int above = std::min(o.quality + 1, 100);
        EXPECT_TRUE(o.quality == 100 || work.Encode(format, { .quality = above }).size() > limit);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, ModernTargetSizeTest,
    testing::Values(TargetCase { "Webp", ".webp", "webpload", 8, false, 1, false },
        TargetCase { "Avif", ".avif", "heifload", 4, false, 1, false },
        TargetCase { "WebpMissed", ".webp", "webpload", 1, false, 60, true },
        TargetCase { "JpegMissedAtItsFloor", ".jpg", "jpegload", 1, false, 90, true },
        TargetCase { "WebpShrunk", ".webp", "webpload", 2, true, 60, false },
        TargetCase { "AvifShrunk", ".avif", "heifload", 1, true, 50, false },
        TargetCase { "JpegShrunk", ".jpg", "jpegload", 2, true, 40, false }),
    CaseName);

} // namespace
