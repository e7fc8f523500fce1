#include "cli/CliOptions.h"

#include <tuple>

#include <gtest/gtest.h>

#include "cli/CliInputs.h"
#include "cli/CliReport.h"
#include "imaging/ResizeSettings.h"
#include "settings/PanelOptions.h"
#include "tests/support/EngineFixtures.h"

namespace {

using Args = std::vector<std::string>;

// The settings as the options leave them.
ResizeSettings Applied(const cli::CliOptions& options)
{
    ResizeSettings settings;
    std::string error;
    EXPECT_TRUE(cli::ApplyCliOptions(options, settings, error)) << error;
    return settings;
}

struct ApplyCase {
    const char* name;
    Args args;
    std::int32_t mode, unit;
    double width, height; // read back in the current unit
    std::int32_t choice = CompressQuality;
    std::int32_t quality = 70;
    std::string extension = ".jpg";
};

class ApplyCliOptionsTest : public testing::TestWithParam<ApplyCase> { };

TEST_P(ApplyCliOptionsTest, SetsTheOptionsAsTheWindowWould)
{
    const ApplyCase& c = GetParam();
    Args args = c.args;
    args.insert(args.end(), { "--", "-picture.jpg" }); // after "--" not an option
    const cli::CliParseResult parsed = cli::ParseCliArguments(args);
    ASSERT_EQ(parsed.error, "");
    const ResizeSettings settings = Applied(parsed.options);
    EXPECT_EQ(std::tuple(settings.GetResizeMode(), settings.GetSizeUnit(), settings.GetWidthValue(CurrentUnit),
                  settings.GetHeightValue(CurrentUnit), settings.GetCompressionChoice(), settings.GetQuality(),
                  settings.GetOutputExtension()),
        std::tuple(c.mode, c.unit, c.width, c.height, c.choice, c.quality, c.extension));
    EXPECT_EQ(parsed.options.inputs, Args { "-picture.jpg" });
}

INSTANTIATE_TEST_SUITE_P(Cases, ApplyCliOptionsTest,
    testing::Values(
        ApplyCase { "DecimalPercent", { "-w", "33.33%", "--height=12.5%" }, ScaledImage, Percent, 33.33f, 12.5 },
        ApplyCase { "PixelUnitMakesAFixedSize", { "--unit", "pixel", "--width", "800", "-H", "600", "-q", "35" },
            FixImage, Pixel, 800, 600, CompressQuality, 35, ".jpg" },
        // Applied in the order mode, unit, width, height, whatever the order on the line.
        ApplyCase { "RestrictWidthInPercent", { "--unit", "percent", "--width", "40", "--mode", "width" },
            RestrictWidth, Percent, 40, 40 },
        ApplyCase { "TargetSize", { "--target-size", "120", "-f", "jpeg" }, ScaledImage, Percent, 100, 100,
            CompressTargetSize, 70, ".jpeg" },
        // As the window's format box does: other formats use their own encoding.
        ApplyCase { "OtherFormatsUseTheirOwnEncoding", { "-q", "35", "--format", ".PNG" }, ScaledImage, Percent, 100,
            100, CompressFormatDefault, 35, ".png" },
        // Without --mode and --unit, sides are pixels (or "%") and the proportions are kept.
        ApplyCase { "WidthAloneIsPixels", { "--width", "1600" }, RestrictWidth, Pixel, 1600, 1200 },
        ApplyCase { "HeightAloneWithPx", { "-H", "800px" }, RestrictHeight, Pixel, 1067, 800 },
        ApplyCase { "BothSidesFitInTheBox", { "-w", "1600", "-H", "1000" }, FitInBox, Pixel, 1600, 1000 },
        ApplyCase { "PercentAloneScalesBoth", { "-w", "50%" }, ScaledImage, Percent, 50, 50 },
        // --resize as ImageMagick reads it.
        ApplyCase { "ResizeBox", { "--resize", "800x500>" }, FitInBox, Pixel, 800, 500 },
        ApplyCase { "ResizeExact", { "--resize", "640x480!" }, FixImage, Pixel, 640, 480 },
        ApplyCase { "ResizeWidth", { "--resize", "400x" }, RestrictWidth, Pixel, 400, 300 },
        ApplyCase { "ResizeHeight", { "--resize", "x300" }, RestrictHeight, Pixel, 400, 300 },
        ApplyCase { "ResizeEachSide", { "--resize", "60%x40%" }, ScaledImage, Percent, 60, 40 },
        // The window's newer modes spelled out: pixels whatever --unit says.
        ApplyCase { "ModeBox", { "-m", "box", "-u", "percent", "-w", "300", "-H", "200" }, FitInBox, Pixel, 300, 200 },
        ApplyCase { "ModeShortEdge", { "-m", "short-edge", "-w", "480" }, ShortEdge, Pixel, 480, 600 },
        ApplyCase { "LongEdgeInWebp", { "--long-edge", "2048", "-f", "webp" }, LongEdge, Pixel, 2048, 600,
            CompressQuality, 70, ".webp" },
        ApplyCase { "TargetSizeInAvif", { "-s", "50", "-f", "avif", "--min-quality", "30", "--shrink-to-fit" },
            ScaledImage, Percent, 100, 100, CompressTargetSize, 70, ".avif" }),
    enginefix::CaseName);

// The format lists come from the format table; users and scripts know them in this order, newer formats after.
TEST(CliFormats, HelpAndErrorListTheFormatsAsEver)
{
    const std::string usage = cli::CliUsage();
    EXPECT_NE(usage.find("A folder is scanned for .jpg .bmp .png .gif .jpeg .emf .wmf .tif .webp .avif\n"
                         ".jxl .heic .heif .tiff files (with -R, its sub-folders"),
        std::string::npos)
        << usage;
    EXPECT_NE(usage.find("jpg (default), jpeg, gif, bmp, png, pcx, tif, webp, avif, jxl or heic\n"), std::string::npos)
        << usage;
    EXPECT_EQ(cli::ParseCliArguments({ "--format", "emf", "x.jpg" }).error,
        "invalid value 'emf' for --format (jpg, jpeg, gif, bmp, png, pcx, tif, webp, avif, jxl or heic)");
    EXPECT_EQ(cli::ParseCliArguments({ "-f", ".TIF", "x.jpg" }).options.extension, ".tif");
}

// Do Not Enlarge from '>' or --no-enlarge, in any mode; the newer switches reach the settings.
TEST(ApplyCliOptions, SwitchesReachTheSettings)
{
    for (const Args& args : { Args { "--resize", "50%>", "a.jpg" }, Args { "--no-enlarge", "-w", "9", "a.jpg" },
             Args { "-m", "fixed", "--no-enlarge", "a.jpg" } })
        EXPECT_TRUE(Applied(cli::ParseCliArguments(args).options).GetDoNotEnlarge()) << args[0];
    const ResizeSettings settings
        = Applied(cli::ParseCliArguments({ "--keep-alpha", "--lossless", "-f", "jxl", "a.png" }).options);
    EXPECT_EQ(std::tuple(settings.GetDoNotEnlarge(), settings.GetKeepAlpha(), settings.GetLossless()),
        std::tuple(false, true, true));
}

// Over a preset, the line changes only what it names: switches left out reset nothing.
TEST(ApplyCliOptions, OverAPresetOnlyWhatIsGivenChanges)
{
    PanelOptions preset;
    preset.dimensions = { LongEdge, Pixel, 300, 200, 3700, 4100, 5000, 6000 };
    preset.compression = { CompressTargetSize, 81, 42 };
    preset.extension = ".webp";
    preset.overwrite = true;
    preset.options = { true, true, true, true, 33, true, true, true, true, true, true, true };
    using Change = void (*)(PanelOptions&);
    for (const auto& [args, change] : std::vector<std::pair<Args, Change>> { { {}, [](PanelOptions&) {} },
             { { "-q", "90" },
                 [](PanelOptions& p) {
                     p.compression = { CompressQuality, 90, 42 };
                 } },
             { { "-f", "png" },
                 [](PanelOptions& p) { p.extension = ".png", p.compression.choice = CompressFormatDefault; } },
             { { "--if-exists", "number", "--min-quality", "5" },
                 [](PanelOptions& p) { p.overwrite = p.options.skipExisting = false, p.options.minQuality = 5; } } }) {
        Args line { "--preset", "p", "x.jpg" };
        line.insert(line.end(), args.begin(), args.end());
        const cli::CliParseResult parsed = cli::ParseCliArguments(line);
        ASSERT_EQ(parsed.error, "");
        ResizeSettings settings;
        ApplyPanelOptions(preset, settings);
        std::string error;
        ASSERT_TRUE(cli::ApplyCliOptions(parsed.options, settings, error)) << error;
        PanelOptions wanted = preset;
        change(wanted);
        EXPECT_EQ(CapturePanelOptions(settings), wanted) << line.back();
    }
}

// The metadata and date switches reach the options; without them nothing is kept.
TEST(ApplyCliOptions, MetadataAndDatesReachTheOptions)
{
    const auto options = [](const Args& args) {
        const OutputOptions o = Applied(cli::ParseCliArguments(args).options).GetOutputOptions();
        return std::tuple(o.keepMetadata, o.stripGps, o.keepDates);
    };
    EXPECT_EQ(options({ "a.jpg" }), std::tuple(false, false, false));
    EXPECT_EQ(options({ "--keep-metadata", "--strip-gps", "a.jpg" }), std::tuple(true, true, false));
    EXPECT_EQ(options({ "--strip-gps", "--keep-dates", "a.jpg" }), std::tuple(false, true, true));
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
