#include "cli/CliOptions.h"

#include <tuple>

#include <gtest/gtest.h>

#include "cli/CliInputs.h"
#include "cli/CliReport.h"
#include "imaging/ResizeSettings.h"
#include "tests/support/EngineFixtures.h"

namespace {

using Args = std::vector<std::string>;

struct ApplyCase {
    const char* name;
    Args args;
    std::int32_t mode, unit;
    double width, height; // read back in the current unit
    std::int32_t choice;
    std::int32_t quality;
    std::string extension;
};

class ApplyCliOptionsTest : public testing::TestWithParam<ApplyCase> { };

TEST_P(ApplyCliOptionsTest, SetsTheOptionsAsTheWindowWould)
{
    const ApplyCase& c = GetParam();
    Args args = c.args;
    args.insert(args.end(), { "--", "-picture.jpg" }); // after "--" not an option
    const cli::CliParseResult parsed = cli::ParseCliArguments(args);
    ASSERT_EQ(parsed.error, "");
    ResizeSettings settings;
    std::string error;
    ASSERT_TRUE(cli::ApplyCliOptions(parsed.options, settings, error)) << error;
    EXPECT_EQ(std::tuple(settings.GetResizeMode(), settings.GetSizeUnit(), settings.GetWidthValue(CurrentUnit),
                  settings.GetHeightValue(CurrentUnit), settings.GetCompressionChoice(), settings.GetQuality(),
                  settings.GetOutputExtension()),
        std::tuple(c.mode, c.unit, c.width, c.height, c.choice, c.quality, c.extension));
    EXPECT_EQ(parsed.options.inputs, Args { "-picture.jpg" });
}

INSTANTIATE_TEST_SUITE_P(Cases, ApplyCliOptionsTest,
    testing::Values(ApplyCase { "DecimalPercent", { "-w", "33.33", "--height=12.5" }, ScaledImage, Percent, 33.33f,
                        12.5, CompressQuality, 70, ".jpg" },
        ApplyCase { "PixelUnitMakesAFixedSize", { "--unit", "pixel", "--width", "800", "-H", "600", "-q", "35" },
            FixImage, Pixel, 800, 600, CompressQuality, 35, ".jpg" },
        // Applied in the order mode, unit, width, height, whatever the order on the line.
        ApplyCase { "RestrictWidthInPercent", { "--unit", "percent", "--width", "40", "--mode", "width" },
            RestrictWidth, Percent, 40, 40, CompressQuality, 70, ".jpg" },
        ApplyCase { "TargetSize", { "--target-size", "120", "-f", "jpeg" }, ScaledImage, Percent, 100, 100,
            CompressTargetSize, 70, ".jpeg" },
        // As the window's format box does: other formats use their own encoding.
        ApplyCase { "OtherFormatsUseTheirOwnEncoding", { "-s", "120", "--format", ".PNG" }, ScaledImage, Percent, 100,
            100, CompressFormatDefault, 70, ".png" }),
    enginefix::CaseName);

// The format lists come from the format table; users and scripts know them in this order.
TEST(CliFormats, HelpAndErrorListTheFormatsAsEver)
{
    const std::string usage = cli::CliUsage();
    EXPECT_NE(
        usage.find("A folder is\nscanned for .jpg .bmp .png .gif .jpeg .emf .wmf .tif files (not its sub-folders);\n"),
        std::string::npos)
        << usage;
    EXPECT_NE(
        usage.find("\n  -f, --format FMT        jpg (default), jpeg, gif, bmp, png, pcx or tif\n"), std::string::npos)
        << usage;
    EXPECT_EQ(cli::ParseCliArguments({ "--format", "emf", "x.jpg" }).error,
        "invalid value 'emf' for --format (jpg, jpeg, gif, bmp, png, pcx or tif)");
    EXPECT_EQ(cli::ParseCliArguments({ "-f", ".TIF", "x.jpg" }).options.extension, ".tif");
}

TEST(CsvReport, QuotesWhatNeedsQuotingAndListsSkippedPictures)
{
    const ConvertOutcome written { "/i/a.jpg", "/o/a.jpg", 8, 6, 900, 70, ConvertStatus::Written, "" };
    const ConvertOutcome failed { "/i/b.png", "", 0, 0, 0, 0, ConvertStatus::TooLarge, "too large: 30000 x 30000" };
    const std::string csv = cli::FormatCsvReport({ { "/i/a.jpg", &written, "" }, { "/i/b,\"c\".png", &failed, "" },
        { "/i/c.jpg", nullptr, "the run was stopped" } });
    EXPECT_EQ(csv,
        "source,output,width,height,bytes,quality,status,reason\n"
        "/i/a.jpg,/o/a.jpg,8,6,900,70,written,\n"
        "\"/i/b,\"\"c\"\".png\",,,,,,too large,too large: 30000 x 30000\n"
        "/i/c.jpg,,,,,,skipped,the run was stopped\n");
}

} // namespace
