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
using enginefix::ListNames;
using enginefix::MakeBatch;
using enginefix::RunJob;
using testpics::TempDir;

struct StrategyCase {
    const char* name;
    std::int32_t choice;
    const char* extension;
    const char* loader;   // what an independent decoder says the file is
    int headerBits;       // bits per pixel in the file's header; 0 where the header does not say
    int quality;          // recorded in the outcome
};
void PrintTo(const StrategyCase& c, std::ostream* os) { *os << c.name; }


class StrategyTest : public testing::TestWithParam<StrategyCase> {
protected:
    static ConvertOutcome ConvertOne(const TempDir& dir, const std::string& source, const StrategyCase& c)
    {
        std::filesystem::create_directory(dir / "out");
        auto batch = MakeBatch({ source }, dir / "out");
        batch->SetCompressionChoice(c.choice);
        batch->SetOutputExtension(c.extension);
        batch->SetQuality(80);
        batch->SetTargetSizeKB(1000);
        batch->SetWidthValue(50, Percent);
        batch->SetHeightValue(50, Percent);
        EXPECT_TRUE(RunJob(*batch));
        return batch->GetConvertOutcomes().at(0);
    }
};

// A 400 x 300 gradient, halved: every output is 200 x 150 in the format the
// strategy promises, and still shows the gradient.
TEST_P(StrategyTest, WritesTheFormatDepthAndSize)
{
    const StrategyCase& c = GetParam();
    TempDir dir;
    testpics::WriteColour(dir / "gradient.png", 400, 300, "png");
    const ConvertOutcome o = ConvertOne(dir, dir / "gradient.png", c);
    ASSERT_EQ(o.status, ConvertStatus::Written) << o.reason;
    EXPECT_EQ(o.output, dir / (std::string("out/gradient") + c.extension));
    EXPECT_EQ(o.quality, c.quality);
    EXPECT_EQ(o.bytes, std::filesystem::file_size(o.output));
    EXPECT_EQ(o.width, 200);
    EXPECT_EQ(o.height, 150);
    const Decoded d = Decode(o.output);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.loader, c.loader);
    EXPECT_EQ(d.width, 200);
    EXPECT_EQ(d.height, 150);
    EXPECT_TRUE(d.eightBitSamples);
    EXPECT_EQ(d.bands, 3) << "no transparency, no grey";
    EXPECT_EQ(enginefix::HeaderBitsPerPixel(testpics::ReadBytes(o.output)), c.headerBits);
    // The gradient's top-right corner: red with half blue (GIF dithering allows some slack).
    ASSERT_EQ(d.topRight.size(), 3u);
    EXPECT_NEAR(d.topRight[0], 255, 40);
    EXPECT_NEAR(d.topRight[1], 0, 40);
    EXPECT_NEAR(d.topRight[2], 128, 40);
}

// Transparent pixels become white, since no output keeps transparency.
TEST_P(StrategyTest, FlattensTransparencyOntoWhite)
{
    const StrategyCase& c = GetParam();
    TempDir dir;
    testpics::WriteAlphaPng(dir / "alpha.png", 400, 300);
    const ConvertOutcome o = ConvertOne(dir, dir / "alpha.png", c);
    ASSERT_EQ(o.status, ConvertStatus::Written) << o.reason;
    const Decoded d = Decode(o.output);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.bands, 3);
    for (double v : d.topRight)
        EXPECT_NEAR(v, 255, 8);
}

INSTANTIATE_TEST_SUITE_P(Strategies, StrategyTest,
    testing::Values(StrategyCase { "FixedQualityJpg", CompressQuality, ".jpg", "jpegload", 0, 80 },
        StrategyCase { "FixedQualityJpeg", CompressQuality, ".jpeg", "jpegload", 0, 80 },
        // Fixed quality always writes JPEG data, whatever the extension.
        StrategyCase { "FixedQualityUnderPngName", CompressQuality, ".png", "jpegload", 0, 80 },
        StrategyCase { "TargetSizeJpg", CompressTargetSize, ".jpg", "jpegload", 0, 99 },
        StrategyCase { "DefaultGif", CompressFormatDefault, ".gif", "gifload", 8, 0 },
        StrategyCase { "DefaultBmp", CompressFormatDefault, ".bmp", "magickload", 24, 0 },
        StrategyCase { "DefaultPng", CompressFormatDefault, ".png", "pngload", 24, 0 },
        StrategyCase { "DefaultPcx", CompressFormatDefault, ".pcx", "magickload", 24, 0 },
        StrategyCase { "DefaultTif", CompressFormatDefault, ".tif", "tiffload", 0, 0 },
        StrategyCase { "DefaultJpgUsesTheQuality", CompressFormatDefault, ".jpg", "jpegload", 0, 80 }),
    enginefix::CaseName);

struct SizeCase {
    const char* name;
    std::int32_t mode;
    std::int32_t unit;
    float w, h;
    int sourceWidth, sourceHeight;
    int width, height;
};
void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }


class OutputSizeTest : public testing::TestWithParam<SizeCase> { };

TEST_P(OutputSizeTest, FollowsTheResizeOptions)
{
    const SizeCase& c = GetParam();
    TempDir dir;
    testpics::WriteColour(dir / "src.jpg", c.sourceWidth, c.sourceHeight, "jpg");
    auto batch = MakeBatch({ dir / "src.jpg" }, (dir / "out"));
    std::filesystem::create_directory(dir / "out");
    batch->SetResizeMode(c.mode);
    batch->SetSizeUnit(c.unit);
    // As a user would: only the axis that is not derived.
    if (c.w > 0)
        batch->SetWidthValue(c.w, CurrentUnit);
    if (c.h > 0)
        batch->SetHeightValue(c.h, CurrentUnit);
    ASSERT_TRUE(RunJob(*batch));
    const Decoded d = Decode(dir / "out/src.jpg");
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.width, c.width);
    EXPECT_EQ(d.height, c.height);
}

INSTANTIATE_TEST_SUITE_P(Modes, OutputSizeTest,
    testing::Values(SizeCase { "ScaledHalf", ScaledImage, Percent, 50, 50, 400, 300, 200, 150 },
        SizeCase { "ScaledUnchanged", ScaledImage, Percent, 100, 100, 123, 45, 123, 45 },
        SizeCase { "FixedEnlargesWithoutKeepingTheRatio", FixImage, Pixel, 80, 60, 20, 20, 80, 60 },
        SizeCase { "RestrictWidth", RestrictWidth, Pixel, 100, 0, 400, 300, 100, 75 },
        SizeCase { "RestrictHeightPortrait", RestrictHeight, Pixel, 0, 60, 300, 400, 45, 60 },
        SizeCase { "RestrictWidthInPercent", RestrictWidth, Percent, 25, 0, 400, 300, 100, 75 },
        SizeCase { "TinyPercentKeepsOnePixel", ScaledImage, Percent, 1, 1, 40, 30, 1, 1 }),
    enginefix::CaseName);

// ---- the target-size search on real pictures ----

class TargetSizeOnPictures : public testing::Test {
protected:
    // The source as the engine sees it at 100 %.
    Picture Working(const std::string& path)
    {
        Picture p = Picture::Load(path, FormatJpeg);
        p.IncreaseBpp24();
        EXPECT_TRUE(p.Resample2(p.GetWidth(), p.GetHeight()));
        return p;
    }
    const ConvertOutcome& Run(const std::string& source, std::int32_t targetKB, const std::string& extension)
    {
        m_batch = MakeBatch({ source }, m_dir / "out");
        std::filesystem::create_directories(m_dir / "out");
        m_batch->SetCompressionChoice(CompressTargetSize);
        m_batch->SetTargetSizeKB(targetKB);
        m_batch->SetOutputExtension(extension);
        EXPECT_TRUE(RunJob(*m_batch));
        return m_batch->GetConvertOutcomes().at(0);
    }
    TempDir m_dir;
    std::unique_ptr<ImageBatch> m_batch;
};

TEST_F(TargetSizeOnPictures, WritesTheHighestQualityThatFits)
{
    const std::string source = m_dir / "noise.jpg";
    testpics::WriteNoiseJpeg(source, 320, 240);
    for (const std::int32_t targetKB : { 20, 45, 90 }) {
        SCOPED_TRACE(std::to_string(targetKB) + " KB");
        const ConvertOutcome& o = Run(source, targetKB, ".jpg");
        ASSERT_EQ(o.status, ConvertStatus::Written) << o.reason;
        ASSERT_GT(o.quality, 1);
        ASSERT_LT(o.quality, 99);
        const auto written = testpics::ReadBytes(o.output);
        EXPECT_LE(written.size(), static_cast<std::size_t>(targetKB) * 1024);
        const Picture work = Working(source);
        EXPECT_EQ(written, work.EncodeJpeg(o.quality)) << "the file is the measured encoding";
        for (int q = o.quality + 1; q <= 99; ++q)
            EXPECT_GT(work.EncodeJpeg(q).size(), static_cast<std::size_t>(targetKB) * 1024) << "quality " << q;
        std::filesystem::remove(o.output);
    }
}

TEST_F(TargetSizeOnPictures, TooSmallATargetWritesQualityOneUnderTheChosenExtension)
{
    const std::string source = m_dir / "noise.jpg";
    testpics::WriteNoiseJpeg(source, 640, 480);
    const ConvertOutcome& o = Run(source, 1, ".jpeg");
    ASSERT_EQ(o.status, ConvertStatus::Written) << o.reason;
    EXPECT_EQ(o.quality, 1);
    EXPECT_EQ(o.output, m_dir / "out/noise.jpeg");
    EXPECT_GT(o.bytes, 1024u);
    EXPECT_EQ(testpics::ReadBytes(o.output), Working(source).EncodeJpeg(1));
}

TEST_F(TargetSizeOnPictures, HugeTargetWritesQuality99UnderJpg)
{
    const std::string source = m_dir / "colour.jpg";
    testpics::WriteColour(source, 120, 90, "jpg");
    const ConvertOutcome& o = Run(source, 100000, ".jpeg");
    ASSERT_EQ(o.status, ConvertStatus::Written) << o.reason;
    EXPECT_EQ(o.quality, 99);
    EXPECT_EQ(o.output, m_dir / "out/colour.jpg");
    EXPECT_EQ(ListNames(m_dir / "out"), std::vector<std::string> { "colour.jpg" });
}

} // namespace
