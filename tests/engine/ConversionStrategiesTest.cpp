#include "imaging/PictureConversion.h"

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include "batch/ImageBatch.h"
#include "imaging/Picture.h"
#include "tests/support/EngineFixtures.h"
#include "tests/support/TestPictures.h"

namespace {

using namespace enginefix;

struct StrategyCase {
    const char* name;
    CompressionChoice choice;
    const char* extension;
    const char* loader; // what an independent decoder says the file is
    int headerBits;     // bits per pixel in the file's header; 0 where the header does not say
    int quality;        // recorded in the outcome
};

class StrategyTest : public FolderTest, public testing::WithParamInterface<StrategyCase> { };

// Writes beyond a few kilobytes fail for this process, as on a full disk (as root a read-only folder would not).
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN); // a failed write, not the end of the process
        getrlimit(RLIMIT_FSIZE, &old);
        const rlimit limited { bytes, old.rlim_max };
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
    rlimit old {};
};

// A gradient and a half-transparent picture, halved: each output has the promised format, depth and size, the
// gradient, and white for transparent. Then halved again in place; then a failing write leaves the old file alone.
TEST_P(StrategyTest, WritesTheFormatDepthAndSizeInPlaceTooAndNothingWhenTheWriteFails)
{
    const StrategyCase& c = GetParam();
    testpics::WriteColour(In("gradient.png"), 400, 300, "png");
    testpics::WriteAlphaPng(In("alpha.png"), 400, 300);
    const std::string gradient = Out(std::string("gradient") + c.extension);
    const auto convert = [&](const Names& paths, bool overwrite) {
        auto batch = MakeBatch(paths, Out());
        batch->SetCompressionChoice(c.choice);
        batch->SetOutputExtension(c.extension);
        batch->SetOverwriteExisting(overwrite);
        batch->SetQuality(80);
        batch->SetTargetSizeKB(1000);
        batch->SetWidthValue(50, Percent);
        batch->SetHeightValue(50, Percent);
        EXPECT_TRUE(RunJob(*batch));
        return batch;
    };
    std::vector<Decoded> decoded;
    for (const bool inPlace : { false, true }) {
        const auto batch
            = convert(inPlace ? Names { gradient } : Names { In("gradient.png"), In("alpha.png") }, inPlace);
        const int width = inPlace ? 100 : 200, height = inPlace ? 75 : 150;
        for (const ConvertOutcome& o : batch->GetConvertOutcomes()) {
            ASSERT_EQ(o.status, ConvertStatus::Written) << o.reason;
            EXPECT_EQ(o.quality, c.quality);
            const Decoded& d = decoded.emplace_back(Decode(o.output));
            ASSERT_TRUE(d.ok) << o.output;
            EXPECT_EQ(d.loader, c.loader);
            EXPECT_EQ(std::tuple(d.width, d.height, d.eightBitSamples, d.bands), std::tuple(width, height, true, 3));
        }
        EXPECT_EQ(batch->GetConvertOutcomes().at(0).output, gradient);
        EXPECT_EQ(HeaderBitsPerPixel(testpics::ReadBytes(gradient)), c.headerBits);
    }
    ASSERT_EQ(decoded.size(), 3u);
    // The gradient's top-right corner: red with half blue (GIF dithering allows some slack).
    ExpectPixel(decoded[0].topRight, { 255, 0, 128 }, 40);
    ExpectPixel(decoded[2].topRight, { 255, 0, 128 }, 40);
    ExpectPixel(decoded[1].topLeft, { 255, 0, 0 }, 40);
    ExpectPixel(decoded[1].topRight, { 255, 255, 255 }, 8);

    const auto before = testpics::ReadBytes(gradient);
    for (const bool overwrite : { false, true }) {
        const auto batch = [&] {
            FileSizeLimit limit(512);
            return convert({ In("gradient.png") }, overwrite);
        }();
        const ConvertOutcome& o = batch->GetConvertOutcomes().at(0);
        EXPECT_EQ(o.status, ConvertStatus::WriteFailed) << o.reason;
        EXPECT_EQ(ListNames(Out()).size(), 2u) << "overwrite " << overwrite;
        EXPECT_EQ(testpics::ReadBytes(gradient), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Strategies, StrategyTest,
    testing::Values(StrategyCase { "FixedQualityJpg", CompressQuality, ".jpg", "jpegload", 0, 80 },
        StrategyCase { "FixedQualityIsJpegUnderAPngName", CompressQuality, ".png", "jpegload", 0, 80 },
        StrategyCase { "TargetSizeJpg", CompressTargetSize, ".jpg", "jpegload", 0, 99 },
        StrategyCase { "DefaultGif", CompressFormatDefault, ".gif", "gifload", 8, 0 },
        StrategyCase { "DefaultBmp", CompressFormatDefault, ".bmp", "magickload", 24, 0 },
        StrategyCase { "DefaultPng", CompressFormatDefault, ".png", "pngload", 24, 0 },
        StrategyCase { "DefaultPcx", CompressFormatDefault, ".pcx", "magickload", 24, 0 },
        StrategyCase { "DefaultTif", CompressFormatDefault, ".tif", "tiffload", 0, 0 }),
    CaseName);

// However small the percentage, a picture keeps a pixel; a size past the pixel limit is refused before decoding.
class OutputSizeTest : public FolderTest { };

TEST_F(OutputSizeTest, KeepsAPixelAndStaysInTheLimit)
{
    testpics::WriteColour(In("src.jpg"), 40, 30, "jpg");
    for (const auto& [percent, width] : { std::pair { 1000000.f, 0 }, { 1.f, 1 } }) {
        auto batch = MakeBatch({ In("src.jpg") }, Out());
        batch->SetWidthValue(percent, Percent);
        batch->SetHeightValue(percent, Percent);
        ASSERT_TRUE(RunJob(*batch));
        const ConvertOutcome& o = batch->GetConvertOutcomes().at(0);
        EXPECT_EQ(o.status, width ? ConvertStatus::Written : ConvertStatus::TooLarge) << o.reason;
        EXPECT_EQ(ListNames(Out()).size(), std::size_t(width));
    }
    EXPECT_EQ(Decode(Out("src.jpg")).width, 1);
}

// The target-size search on real pictures: the highest quality whose encoding fits is written as .jpg; when even
// quality 1 does not fit, quality 1 is written under the extension chosen.
class TargetSizeOnPictures : public FolderTest, public testing::WithParamInterface<int> { };

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
    Picture work = Picture::Load(In("noise.jpg"));
    work.IncreaseBpp24();
    ASSERT_TRUE(work.Resample2(work.GetWidth(), work.GetHeight()));
    const auto written = testpics::ReadBytes(o.output);
    EXPECT_EQ(written, work.EncodeJpeg(o.quality)) << "the file is the measured encoding";
    const bool fits = written.size() <= limit;
    EXPECT_EQ(fits, targetKB > 1) << "only 1 KB is too small even for quality 1";
    EXPECT_EQ(o.output, Out(fits ? "noise.jpg" : "noise.jpeg"));
    EXPECT_TRUE(fits || o.quality == 1);
    for (int q = o.quality + 1; q <= 99; ++q)
        EXPECT_GT(work.EncodeJpeg(q).size(), limit) << "quality " << q;
}

INSTANTIATE_TEST_SUITE_P(TargetKB, TargetSizeOnPictures, testing::Values(1, 20));

} // namespace
