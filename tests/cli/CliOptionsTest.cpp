#include "cli/CliOptions.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "cli/CliInputs.h"
#include "cli/CliReport.h"
#include "imaging/ResizeSettings.h"
#include "tests/support/EngineFixtures.h"
#include "tests/support/TestPictures.h"

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
void PrintTo(const ApplyCase& c, std::ostream* os) { *os << c.name; }

class ApplyCliOptionsTest : public testing::TestWithParam<ApplyCase> { };

TEST_P(ApplyCliOptionsTest, SetsTheOptionsAsTheWindowWould)
{
    const ApplyCase& c = GetParam();
    Args args = c.args;
    args.push_back("picture.jpg");
    const cli::CliParseResult parsed = cli::ParseCliArguments(args);
    ASSERT_EQ(parsed.error, "");
    ResizeSettings settings;
    std::string error;
    ASSERT_TRUE(cli::ApplyCliOptions(parsed.options, settings, error)) << error;
    EXPECT_EQ(settings.GetResizeMode(), c.mode);
    EXPECT_EQ(settings.GetSizeUnit(), c.unit);
    EXPECT_DOUBLE_EQ(settings.GetWidthValue(CurrentUnit), c.width);
    EXPECT_DOUBLE_EQ(settings.GetHeightValue(CurrentUnit), c.height);
    EXPECT_EQ(settings.GetCompressionChoice(), c.choice);
    EXPECT_EQ(settings.GetQuality(), c.quality);
    EXPECT_EQ(settings.GetOutputExtension(), c.extension);
    EXPECT_EQ(parsed.options.inputs, Args { "picture.jpg" });
}

INSTANTIATE_TEST_SUITE_P(Cases, ApplyCliOptionsTest,
    testing::Values(ApplyCase { "Defaults", {}, ScaledImage, Percent, 100, 100, CompressQuality, 70, ".jpg" },
        ApplyCase { "HalfInPercent", { "--width", "50", "--height=50" }, ScaledImage, Percent, 50, 50, CompressQuality,
            70, ".jpg" },
        ApplyCase { "DecimalPercent", { "-w", "33.33", "-H", "12.5" }, ScaledImage, Percent, 33.33f, 12.5,
            CompressQuality, 70, ".jpg" },
        ApplyCase { "PixelUnitMakesAFixedSize", { "--unit", "pixel", "--width", "800", "--height", "600" }, FixImage,
            Pixel, 800, 600, CompressQuality, 70, ".jpg" },
        // Applied in the order mode, unit, width, height, whatever the order on the line.
        ApplyCase { "RestrictWidthInPercent", { "--unit", "percent", "--width", "40", "--mode", "width" },
            RestrictWidth, Percent, 40, 40, CompressQuality, 70, ".jpg" },
        ApplyCase { "RestrictHeightInPixels", { "-m", "height", "-H", "300" }, RestrictHeight, Pixel, 400, 300,
            CompressQuality, 70, ".jpg" },
        ApplyCase { "Quality", { "-q", "35" }, ScaledImage, Percent, 100, 100, CompressQuality, 35, ".jpg" },
        ApplyCase { "TargetSize", { "--target-size", "120", "-f", "jpeg" }, ScaledImage, Percent, 100, 100,
            CompressTargetSize, 70, ".jpeg" },
        ApplyCase { "OtherFormatsUseTheirOwnEncoding", { "-s", "120", "--format", "PNG" }, ScaledImage, Percent, 100,
            100, CompressFormatDefault, 70, ".png" },
        ApplyCase { "FormatWithItsDot", { "--format", ".tif" }, ScaledImage, Percent, 100, 100, CompressFormatDefault,
            70, ".tif" }),
    enginefix::CaseName);

struct UsageCase {
    const char* name;
    Args args;
    const char* message; // part of the error
};
void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class CliUsageErrorTest : public testing::TestWithParam<UsageCase> { };

TEST_P(CliUsageErrorTest, IsRefusedWithAReason)
{
    const UsageCase& c = GetParam();
    const cli::CliParseResult parsed = cli::ParseCliArguments(c.args);
    std::string error = parsed.error;
    if (error.empty()) {
        ResizeSettings settings;
        EXPECT_FALSE(cli::ApplyCliOptions(parsed.options, settings, error));
    }
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(Cases, CliUsageErrorTest,
    testing::Values(UsageCase { "NoPictures", { "-q", "50" }, "no pictures" },
        UsageCase { "UnknownOption", { "--colour", "x.jpg" }, "unknown option '--colour'" },
        UsageCase { "MissingValue", { "x.jpg", "--width" }, "--width needs a value" },
        UsageCase { "BadMode", { "--mode", "diagonal", "x.jpg" }, "--mode" },
        UsageCase { "QualityZero", { "-q", "0", "x.jpg" }, "--quality" },
        UsageCase { "QualityNotANumber", { "-q", "high", "x.jpg" }, "--quality" },
        UsageCase { "NegativeWidth", { "-w", "-5", "x.jpg" }, "invalid value '-5' for --width" },
        UsageCase { "NotANumber", { "-w", "1e3", "x.jpg" }, "--width" },
        UsageCase { "BadFormat", { "-f", "webp", "x.jpg" }, "--format" },
        UsageCase { "QualityAndTarget", { "-q", "5", "-s", "9", "x.jpg" }, "exclude each other" },
        UsageCase { "HeightInRestrictWidth", { "-m", "width", "-H", "5", "x.jpg" }, "--mode width takes --width" },
        UsageCase { "WidthInRestrictHeight", { "-m", "height", "-w", "5", "x.jpg" }, "--mode height takes --height" },
        UsageCase { "FractionOfAPixel", { "-u", "pixel", "-w", "10.5", "x.jpg" }, "whole number" }),
    enginefix::CaseName);

TEST(ParseCliArguments, DoubleDashEndsTheOptions)
{
    const auto parsed = cli::ParseCliArguments({ "--overwrite", "--", "--quiet", "-" });
    ASSERT_EQ(parsed.error, "");
    EXPECT_TRUE(parsed.options.overwrite);
    EXPECT_FALSE(parsed.options.quiet);
    EXPECT_EQ(parsed.options.inputs, (Args { "--quiet", "-" }));
}

struct DocumentsCase {
    const char* name;
    std::string userDirs;
    std::string expected;
};
void PrintTo(const DocumentsCase& c, std::ostream* os) { *os << c.name; }

class DefaultOutputFolderTest : public testing::TestWithParam<DocumentsCase> { };

TEST_P(DefaultOutputFolderTest, IsTheDocumentsFolderOrHome)
{
    EXPECT_EQ(cli::DefaultOutputFolderFrom("/home/ann", GetParam().userDirs), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, DefaultOutputFolderTest,
    testing::Values(DocumentsCase { "NoFile", "", "/home/ann/Da Varozez Evozer" },
        DocumentsCase { "HomeRelative", "# xdg\nXDG_DESKTOP_DIR=\"$HOME/Desk\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n",
            "/home/ann/Dokumente/Da Varozez Evozer" },
        DocumentsCase { "Absolute", "XDG_DOCUMENTS_DIR=\"/data/docs/\"", "/data/docs/Da Varozez Evozer" },
        DocumentsCase { "RelativeIsIgnored", "XDG_DOCUMENTS_DIR=\"docs\"", "/home/ann/Da Varozez Evozer" },
        DocumentsCase { "CommentedOut", "#XDG_DOCUMENTS_DIR=\"/x\"", "/home/ann/Da Varozez Evozer" }),
    enginefix::CaseName);

TEST(CreateOutputFolder, CreatesMissingFoldersAndEndsWithASlash)
{
    testpics::TempDir dir;
    std::string folder = dir / "a/b/c", error;
    ASSERT_TRUE(cli::CreateOutputFolder(folder, error)) << error;
    EXPECT_EQ(folder, dir / "a/b/c/");
    EXPECT_TRUE(std::filesystem::is_directory(folder));

    testpics::WriteBytes(dir / "file", { 'x' });
    std::string onFile = dir / "file/sub";
    EXPECT_FALSE(cli::CreateOutputFolder(onFile, error));
}

TEST(CsvReport, QuotesWhatNeedsQuotingAndListsSkippedPictures)
{
    EXPECT_EQ(cli::CsvField("plain.jpg"), "plain.jpg");
    EXPECT_EQ(cli::CsvField("a,b.jpg"), "\"a,b.jpg\"");
    EXPECT_EQ(cli::CsvField("say \"hi\".jpg"), "\"say \"\"hi\"\".jpg\"");
    ConvertOutcome written;
    written.output = "/o/a.jpg";
    written.width = 8;
    written.height = 6;
    written.bytes = 900;
    written.quality = 70;
    written.status = ConvertStatus::Written;
    ConvertOutcome failed;
    failed.status = ConvertStatus::TooLarge;
    failed.reason = "too large: 30000 x 30000";
    const std::string csv = cli::FormatCsvReport(
        { { "/i/a.jpg", &written, "" }, { "/i/b.png", &failed, "" }, { "/i/c.jpg", nullptr, "the run was stopped" } });
    EXPECT_EQ(csv,
        "source,output,width,height,bytes,quality,status,reason\n"
        "/i/a.jpg,/o/a.jpg,8,6,900,70,written,\n"
        "/i/b.png,,,,,,too large,too large: 30000 x 30000\n"
        "/i/c.jpg,,,,,,skipped,the run was stopped\n");
}

} // namespace
