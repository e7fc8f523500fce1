#include "imaging/ConversionEngine.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "imaging/ImageBatch.h"
#include "imaging/Picture.h"
#include "tests/support/EngineFixtures.h"
#include "tests/support/TestPictures.h"

namespace {

using enginefix::Decode;
using enginefix::Decoded;
using enginefix::ExpectPixel;
using enginefix::ListNames;
using enginefix::MakeBatch;
using enginefix::RunJob;
using Names = std::vector<std::string>;

struct StrategyCase {
    const char* name;
    std::int32_t choice;
    const char* extension;
    const char* loader; // what an independent decoder says the file is
    int headerBits; // bits per pixel in the file's header; 0 where the header does not say
    int quality; // recorded in the outcome
};

class StrategyTest : public enginefix::FolderTest, public testing::WithParamInterface<StrategyCase> { };

// A 400 x 300 gradient and a picture whose right half is transparent, halved: every
// output is 200 x 150 in the format and depth the strategy promises, still shows the
// gradient, and has the transparent pixels white, since no output keeps transparency.
// Then the gradient's output is halved again in place, over itself.
TEST_P(StrategyTest, WritesTheFormatDepthAndSizeAlsoInPlace)
{
    const StrategyCase& c = GetParam();
    testpics::WriteColour(In("gradient.png"), 400, 300, "png");
    testpics::WriteAlphaPng(In("alpha.png"), 400, 300);
    const std::string gradient = Out(std::string("gradient") + c.extension);
    std::vector<Decoded> decoded;
    for (const bool inPlace : { false, true }) {
        auto batch = MakeBatch(inPlace ? Names { gradient } : Names { In("gradient.png"), In("alpha.png") }, Out());
        batch->SetCompressionChoice(c.choice);
        batch->SetOutputExtension(c.extension);
        batch->SetOverwriteExisting(inPlace);
        batch->SetQuality(80);
        batch->SetTargetSizeKB(1000);
        batch->SetWidthValue(50, Percent);
        batch->SetHeightValue(50, Percent);
        ASSERT_TRUE(RunJob(*batch));
        const int width = inPlace ? 100 : 200, height = inPlace ? 75 : 150;
        for (const ConvertOutcome& o : batch->GetConvertOutcomes()) {
            ASSERT_EQ(o.status, ConvertStatus::Written) << o.reason;
            EXPECT_EQ(o.quality, c.quality);
            EXPECT_EQ(o.bytes, std::filesystem::file_size(o.output));
            EXPECT_EQ(o.width, width);
            EXPECT_EQ(o.height, height);
            decoded.push_back(Decode(o.output));
            const Decoded& d = decoded.back();
            ASSERT_TRUE(d.ok) << d.error;
            EXPECT_EQ(d.loader, c.loader);
            EXPECT_EQ(d.width, width);
            EXPECT_EQ(d.height, height);
            EXPECT_TRUE(d.eightBitSamples);
            EXPECT_EQ(d.bands, 3) << "no transparency, no grey";
        }
        EXPECT_EQ(batch->GetConvertOutcomes().at(0).output, gradient);
        EXPECT_EQ(enginefix::HeaderBitsPerPixel(testpics::ReadBytes(gradient)), c.headerBits);
    }
    ASSERT_EQ(decoded.size(), 3u);
    EXPECT_EQ(ListNames(Out()).size(), 2u);
    // The gradient's top-right corner: red with half blue (GIF dithering allows some slack).
    ExpectPixel(decoded[0].topRight, { 255, 0, 128 }, 40);
    ExpectPixel(decoded[2].topRight, { 255, 0, 128 }, 40);
    ExpectPixel(decoded[1].topLeft, { 255, 0, 0 }, 40);
    ExpectPixel(decoded[1].topRight, { 255, 255, 255 }, 8);
}

INSTANTIATE_TEST_SUITE_P(Strategies, StrategyTest,
    testing::Values(StrategyCase { "FixedQualityJpg", CompressQuality, ".jpg", "jpegload", 0, 80 },
        // Fixed quality always writes JPEG data, whatever the extension.
        StrategyCase { "FixedQualityUnderPngName", CompressQuality, ".png", "jpegload", 0, 80 },
        StrategyCase { "TargetSizeJpg", CompressTargetSize, ".jpg", "jpegload", 0, 99 },
        StrategyCase { "DefaultGif", CompressFormatDefault, ".gif", "gifload", 8, 0 },
        StrategyCase { "DefaultBmp", CompressFormatDefault, ".bmp", "magickload", 24, 0 },
        StrategyCase { "DefaultPng", CompressFormatDefault, ".png", "pngload", 24, 0 },
        StrategyCase { "DefaultPcx", CompressFormatDefault, ".pcx", "magickload", 24, 0 },
        StrategyCase { "DefaultTif", CompressFormatDefault, ".tif", "tiffload", 0, 0 },
        StrategyCase { "DefaultJpgUsesTheQuality", CompressFormatDefault, ".jpeg", "jpegload", 0, 80 }),
    enginefix::CaseName);

// How the engine applies the resize options (the sizes themselves are worked out
// and tested with the settings): width 0 means refused as too large, before decoding.
struct SizeCase {
    const char* name;
    std::int32_t mode, unit;
    float w, h;
    int sourceWidth, sourceHeight;
    int width, height;
};

class OutputSizeTest : public enginefix::FolderTest, public testing::WithParamInterface<SizeCase> { };

TEST_P(OutputSizeTest, FollowsTheResizeOptions)
{
    const SizeCase& c = GetParam();
    testpics::WriteColour(In("src.jpg"), c.sourceWidth, c.sourceHeight, "jpg");
    auto batch = MakeBatch({ In("src.jpg") }, Out());
    batch->SetResizeMode(c.mode);
    batch->SetSizeUnit(c.unit);
    batch->SetWidthValue(c.w, CurrentUnit);
    batch->SetHeightValue(c.h, CurrentUnit);
    ASSERT_TRUE(RunJob(*batch));
    if (c.width == 0) {
        EXPECT_EQ(batch->GetConvertOutcomes()[0].status, ConvertStatus::TooLarge);
        EXPECT_TRUE(ListNames(Out()).empty());
        return;
    }
    const Decoded d = Decode(Out("src.jpg"));
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.width, c.width);
    EXPECT_EQ(d.height, c.height);
}

INSTANTIATE_TEST_SUITE_P(Modes, OutputSizeTest,
    testing::Values(SizeCase { "FixedEnlargesWithoutKeepingTheRatio", FixImage, Pixel, 80, 60, 20, 20, 80, 60 },
        SizeCase { "TinyPercentKeepsOnePixel", ScaledImage, Percent, 1, 1, 40, 30, 1, 1 },
        SizeCase { "PastThePixelLimit", ScaledImage, Percent, 1000000, 1000000, 64, 48, 0, 0 }),
    enginefix::CaseName);

// The target-size search on real pictures: the file written is the highest quality
// whose encoding fits, named .jpg; when even quality 1 does not fit, quality 1 is
// written under the extension chosen.
class TargetSizeOnPictures : public enginefix::FolderTest, public testing::WithParamInterface<int> { };

TEST_P(TargetSizeOnPictures, WritesTheHighestQualityThatFits)
{
    const std::int32_t targetKB = GetParam();
    const std::size_t limit = static_cast<std::size_t>(targetKB) * 1024;
    testpics::WriteNoiseJpeg(In("noise.jpg"), 320, 240);
    auto batch = MakeBatch({ In("noise.jpg") }, Out());
    batch->SetCompressionChoice(CompressTargetSize);
    batch->SetTargetSizeKB(targetKB);
    batch->SetOutputExtension(".jpeg");
    ASSERT_TRUE(RunJob(*batch));
    const ConvertOutcome& o = batch->GetConvertOutcomes().at(0);
    ASSERT_EQ(o.status, ConvertStatus::Written) << o.reason;
    // The source as the engine sees it at 100 %.
    Picture work = Picture::Load(In("noise.jpg"), FormatJpeg);
    work.IncreaseBpp24();
    ASSERT_TRUE(work.Resample2(work.GetWidth(), work.GetHeight()));
    const auto written = testpics::ReadBytes(o.output);
    EXPECT_EQ(written, work.EncodeJpeg(o.quality)) << "the file is the measured encoding";
    const bool fits = written.size() <= limit;
    EXPECT_EQ(fits, targetKB > 1) << "only 1 KB is too small even for quality 1";
    EXPECT_EQ(o.output, Out(fits ? "noise.jpg" : "noise.jpeg"));
    EXPECT_EQ(ListNames(Out()).size(), 1u);
    if (!fits) {
        EXPECT_EQ(o.quality, 1);
    }
    for (int q = o.quality + 1; q <= 99; ++q)
        EXPECT_GT(work.EncodeJpeg(q).size(), limit) << "quality " << q;
}

INSTANTIATE_TEST_SUITE_P(TargetKB, TargetSizeOnPictures, testing::Values(1, 20, 90, 100000));

} // namespace
