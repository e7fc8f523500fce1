#include "imaging/Picture.h"

#include <chrono>
#include <filesystem>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "imaging/ImageEntry.h"
#include "tests/support/TestPictures.h"

namespace {

using testpics::TempDir;

struct Px {
    int r, g, b;
};

Px At(const Rgb888& img, int x, int y)
{
    const std::size_t i = (static_cast<std::size_t>(y) * img.width + x) * 3;
    return { img.bytes[i], img.bytes[i + 1], img.bytes[i + 2] };
}

bool IsWhite(Px p) { return p.r >= 250 && p.g >= 250 && p.b >= 250; }
bool IsRed(Px p) { return p.r > 200 && p.g < 60 && p.b < 60; }

// Thumbnails of solid red pictures: the picture fits centred, the rest stays white.
struct ThumbCase {
    int width, height;
    int left, top, right, bottom; // the red area in the 80 x 60 thumbnail, right/bottom exclusive
};

void PrintTo(const ThumbCase& c, std::ostream* os) { *os << c.width << 'x' << c.height; }

class ThumbnailTest : public testing::TestWithParam<ThumbCase> { };

TEST_P(ThumbnailTest, FitsCentredOnWhiteAndNeverEnlarges)
{
    const ThumbCase& c = GetParam();
    TempDir dir;
    const std::string path = dir / "red.png";
    testpics::WriteSolid(path, c.width, c.height, 255, 0, 0);
    ImageEntry entry;
    entry.SetPath(path);
    ASSERT_TRUE(entry.Load());
    ASSERT_TRUE(entry.MakeThumbnail(80, 60)) << entry.GetLastError();
    const Rgb888 thumb = entry.GetThumbnailBitmap();
    ASSERT_EQ(thumb.width, 80);
    ASSERT_EQ(thumb.height, 60);
    ASSERT_EQ(thumb.bytes.size(), 80u * 60u * 3u);
    // Check well inside and well outside the red area, leaving the resampled border alone.
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 80; ++x) {
            const bool inside = x > c.left && x < c.right - 1 && y > c.top && y < c.bottom - 1;
            const bool outside = x < c.left - 1 || x > c.right || y < c.top - 1 || y > c.bottom;
            if (inside) {
                ASSERT_TRUE(IsRed(At(thumb, x, y))) << x << "," << y;
            } else if (outside) {
                ASSERT_TRUE(IsWhite(At(thumb, x, y))) << x << "," << y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, ThumbnailTest,
    testing::Values(ThumbCase { 400, 100, 0, 20, 80, 40 }, // landscape: 80 x 20
        ThumbCase { 100, 400, 32, 0, 47, 60 },             // portrait: 15 x 60
        ThumbCase { 200, 200, 10, 0, 70, 60 },             // square: 60 x 60
        ThumbCase { 10, 6, 35, 27, 45, 33 },               // tiny: kept at 10 x 6
        ThumbCase { 3000, 1, 0, 29, 80, 31 }));            // a sliver keeps a row

TEST(PictureTest, ExifOrientationIsAppliedToSizeAndThumbnail)
{
    TempDir dir;
    const std::string path = dir / "rotated.jpg";
    testpics::WriteOrientedJpeg(path, 400, 100, 6);
    ImageEntry entry;
    entry.SetPath(path);
    ASSERT_TRUE(entry.Load());
    EXPECT_EQ(entry.GetPixelWidth(), 100u);
    EXPECT_EQ(entry.GetPixelHeight(), 400u);
    ASSERT_TRUE(entry.MakeThumbnail(80, 60));
    const Rgb888 thumb = entry.GetThumbnailBitmap();
    // Upright it is tall: white left and right of a 15-pixel column.
    EXPECT_TRUE(IsWhite(At(thumb, 5, 30)));
    EXPECT_TRUE(IsWhite(At(thumb, 74, 30)));
    EXPECT_FALSE(IsWhite(At(thumb, 40, 30)));

    Picture full = *entry.GetImage();
    ASSERT_TRUE(full.Resample2(50, 200));
    const Rgb888 px = full.ToRgb888();
    EXPECT_EQ(px.width, 50);
    EXPECT_EQ(px.height, 200);
}

TEST(PictureTest, InfoTextHasSizeDepthKilobytesAndName)
{
    EXPECT_EQ(FormatInfoText(1024, 768, 24, 5000, "photo", ".jpg"), "1024 x 768 x 24bit\r\n(4.88KB) photo.jpg");

    TempDir dir;
    const std::string path = dir / "photo.jpg";
    testpics::WriteSmallJpeg(path, 1024, 768);
    auto bytes = testpics::ReadBytes(path);
    ASSERT_LT(bytes.size(), 5000u);
    bytes.resize(5000, 0); // trailing bytes after the end marker are ignored by decoders
    testpics::WriteBytes(path, bytes);
    ImageEntry entry;
    entry.SetPath(path);
    ASSERT_TRUE(entry.Load()) << entry.GetLastError();
    entry.BuildInfoText();
    EXPECT_EQ(entry.GetInfoText(), "1024 x 768 x 24bit\r\n(4.88KB) photo.jpg");
    EXPECT_EQ(entry.GetTitle(), "photo");
    EXPECT_EQ(entry.GetExtension(), ".jpg");

    // Without a picture the text is left as it was.
    entry.FreeImage();
    entry.SetPath(dir / "other.jpg");
    entry.BuildInfoText();
    EXPECT_EQ(entry.GetInfoText(), "1024 x 768 x 24bit\r\n(4.88KB) photo.jpg");
}

struct DepthCase {
    const char* name;
    int expectBpp;
};

void PrintTo(const DepthCase& c, std::ostream* os) { *os << c.name; }

class DepthTest : public testing::TestWithParam<DepthCase> { };

// Each picture is written in the way its name says, then read back for its stored depth.
void WriteDepthSample(const std::string& path, const std::string& kind)
{
    if (kind == "gif8.gif" || kind == "gif4.gif" || kind == "gif1.gif") {
        testpics::WritePaletteGif(path, 64, 48, kind == "gif8.gif" ? 8 : kind == "gif4.gif" ? 4 : 1);
    } else if (kind == "grey.jpg") {
        testpics::WriteGreyJpeg(path, 64, 48);
    } else if (kind == "alpha.png") {
        testpics::WriteAlphaPng(path, 64, 48);
    } else {
        const std::string ext = kind.substr(kind.find('.') + 1);
        testpics::WriteColour(path, 64, 48, ext);
    }
}

TEST_P(DepthTest, ReportsTheStoredDepth)
{
    TempDir dir;
    const std::string path = dir / GetParam().name;
    WriteDepthSample(path, GetParam().name);
    ImageEntry entry;
    entry.SetPath(path);
    ASSERT_TRUE(entry.Load()) << entry.GetLastError();
    EXPECT_EQ(entry.GetImage()->GetBpp(), GetParam().expectBpp);
    EXPECT_EQ(entry.GetPixelWidth(), 64u);
    EXPECT_EQ(entry.GetPixelHeight(), 48u);
}

INSTANTIATE_TEST_SUITE_P(Formats, DepthTest,
    testing::Values(DepthCase { "gif8.gif", 8 }, DepthCase { "gif4.gif", 4 }, DepthCase { "gif1.gif", 1 },
        DepthCase { "grey.jpg", 8 }, DepthCase { "rgb.jpg", 24 }, DepthCase { "alpha.png", 32 },
        DepthCase { "rgb.png", 24 }, DepthCase { "rgb.tif", 24 }, DepthCase { "rgb.bmp", 24 },
        DepthCase { "rgb.pcx", 24 }),
    [](const auto& param) {
        std::string n = param.param.name;
        n[n.find('.')] = '_';
        return n;
    });

// Every output format, written and read back: size, depth, and the content really is that format.
struct SaveCase {
    int typeId;
    const char* extension;
    int expectBpp;
    std::vector<std::uint8_t> magic;
};

class SaveTest : public testing::TestWithParam<SaveCase> { };

void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.extension; }

TEST_P(SaveTest, WritesTheFormatAtTheSize)
{
    const SaveCase& c = GetParam();
    TempDir dir;
    const std::string source = dir / "source.png";
    testpics::WriteColour(source, 120, 90, "png");
    Picture picture = Picture::Load(source, FormatPng);
    ASSERT_TRUE(picture.IsValid());
    picture.IncreaseBpp24();
    ASSERT_TRUE(picture.Resample2(61, 33));
    const std::string out = dir / (std::string("out") + c.extension);
    ASSERT_TRUE(picture.Save(out, c.typeId, 80)) << picture.GetError();

    const auto bytes = testpics::ReadBytes(out);
    ASSERT_GE(bytes.size(), c.magic.size());
    EXPECT_TRUE(std::equal(c.magic.begin(), c.magic.end(), bytes.begin()));
    Picture back = Picture::Load(out, FormatUnknown);
    ASSERT_TRUE(back.IsValid()) << back.GetError();
    EXPECT_EQ(back.GetWidth(), 61);
    EXPECT_EQ(back.GetHeight(), 33);
    EXPECT_EQ(back.GetBpp(), c.expectBpp);
    // The gradient runs black at the top left to red at the top right, green at the bottom left:
    // rows and channels must not be swapped or flipped by a writer.
    const Rgb888 px = back.ToRgb888();
    ASSERT_EQ(px.width, 61);
    const Px topLeft = At(px, 1, 1), topRight = At(px, 59, 1), bottomLeft = At(px, 1, 31);
    EXPECT_LT(topLeft.r + topLeft.g + topLeft.b, 90);
    EXPECT_TRUE(topRight.r > 200 && topRight.g < 60) << topRight.r << " " << topRight.g << " " << topRight.b;
    EXPECT_TRUE(bottomLeft.g > 200 && bottomLeft.r < 60) << bottomLeft.r << " " << bottomLeft.g;
}

INSTANTIATE_TEST_SUITE_P(Formats, SaveTest,
    testing::Values(SaveCase { FormatJpeg, ".jpg", 24, { 0xFF, 0xD8, 0xFF } },
        SaveCase { FormatPng, ".png", 24, { 0x89, 'P', 'N', 'G' } },
        SaveCase { FormatGif, ".gif", 8, { 'G', 'I', 'F', '8' } },
        SaveCase { FormatTif, ".tif", 24, { 'I', 'I', 42, 0 } },
        SaveCase { FormatBmp, ".bmp", 24, { 'B', 'M' } },
        SaveCase { FormatPcx, ".pcx", 24, { 0x0A, 5 } },
        SaveCase { FormatUnknown, ".xyz", 24, { 0xFF, 0xD8, 0xFF } }),
    [](const auto& param) { return std::string(param.param.extension + 1); });

TEST(PictureTest, EmbeddedProfileIsConvertedToSrgb)
{
    TempDir dir;
    testpics::WriteP3Jpeg(dir / "p3.jpg", 32, 32, 230, 30, 30);
    Picture picture = Picture::Load(dir / "p3.jpg", FormatJpeg);
    ASSERT_TRUE(picture.IsValid());
    const Px p = At(picture.ToRgb888(), 16, 16);
    // Read as plain numbers the file says about (211, 54, 45).
    EXPECT_NEAR(p.r, 230, 5);
    EXPECT_NEAR(p.g, 30, 5);
    EXPECT_NEAR(p.b, 30, 5);
}

TEST(PictureTest, TransparencyIsFlattenedOntoWhite)
{
    TempDir dir;
    testpics::WriteAlphaPng(dir / "alpha.png", 40, 20);
    Picture picture = Picture::Load(dir / "alpha.png", FormatPng);
    picture.IncreaseBpp24();
    EXPECT_EQ(picture.GetBpp(), 24);
    ASSERT_TRUE(picture.Save(dir / "flat.jpg", FormatJpeg, 90));
    const Rgb888 px = Picture::Load(dir / "flat.jpg", FormatJpeg).ToRgb888();
    ASSERT_EQ(px.width, 40);
    EXPECT_TRUE(IsRed(At(px, 5, 10)));
    EXPECT_TRUE(IsWhite(At(px, 35, 10)));
}

TEST(PictureTest, PreviewFitsTheBoxWithoutEnlarging)
{
    TempDir dir;
    const std::string path = dir / "p.jpg";
    testpics::WriteColour(path, 400, 300, "jpg");
    ImageEntry entry;
    entry.SetPath(path);
    ASSERT_TRUE(entry.Load());
    const struct {
        int bw, bh, w, h;
    } cases[] = { { 1280, 300, 400, 300 }, { 200, 300, 200, 150 }, { 399, 1000, 399, 299 }, { 1, 1, 1, 1 } };
    for (const auto& c : cases) {
        ASSERT_TRUE(entry.MakePreview(c.bw, c.bh));
        EXPECT_EQ(entry.GetPreview()->GetWidth(), c.w) << c.bw << "x" << c.bh;
        EXPECT_EQ(entry.GetPreview()->GetHeight(), c.h) << c.bw << "x" << c.bh;
    }
    entry.FreePreview();
    entry.FreeImage();
    EXPECT_FALSE(entry.MakePreview(100, 100));
}

TEST(PictureTest, CopiesDoNotSeeLaterChanges)
{
    TempDir dir;
    testpics::WriteColour(dir / "a.png", 40, 30, "png");
    const Picture original = Picture::Load(dir / "a.png", FormatPng);
    Picture copy = original;
    ASSERT_TRUE(copy.Resample2(10, 5));
    EXPECT_EQ(original.GetWidth(), 40);
    EXPECT_EQ(original.ToRgb888().width, 40);
    EXPECT_EQ(copy.ToRgb888().width, 10);
}

TEST(PictureTest, JpegEncodedToMemoryDecodesBackAndShrinksWithQuality)
{
    TempDir dir;
    testpics::WriteNoiseJpeg(dir / "n.jpg", 200, 150);
    const Picture picture = Picture::Load(dir / "n.jpg", FormatJpeg);
    const auto high = picture.EncodeJpeg(90);
    const auto low = picture.EncodeJpeg(10);
    ASSERT_FALSE(high.empty());
    ASSERT_FALSE(low.empty());
    EXPECT_LT(low.size(), high.size());
    const Picture back = Picture::DecodeJpeg(high);
    ASSERT_TRUE(back.IsValid());
    EXPECT_EQ(back.GetWidth(), 200);
    const std::vector<std::uint8_t> junk(100, 0x42);
    EXPECT_FALSE(Picture::DecodeJpeg(junk).IsValid());
    EXPECT_FALSE(Picture::DecodeJpeg({}).IsValid());
}

long PeakRssKB()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Files that are not pictures, or not pictures we should try: each fails with a reason, nothing crashes.
class HostileInputTest : public testing::Test {
protected:
    ImageEntry LoadEntry(const std::string& path)
    {
        ImageEntry entry;
        entry.SetPath(path);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(entry.Load()) << path;
        // A refusal is a header check, not a decode: far below a second even on a busy machine.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << path;
        EXPECT_FALSE(entry.GetLastError().empty()) << path;
        EXPECT_EQ(entry.GetImage(), nullptr);
        EXPECT_FALSE(entry.MakeThumbnail(80, 60));
        return entry;
    }
    TempDir m_dir;
};

TEST_F(HostileInputTest, NotPicturesAreRefused)
{
    testpics::WriteBytes(m_dir / "empty.jpg", {});
    LoadEntry(m_dir / "empty.jpg");

    std::vector<std::uint8_t> noise(4096);
    std::mt19937 rng(7);
    for (auto& b : noise)
        b = static_cast<std::uint8_t>(rng());
    testpics::WriteBytes(m_dir / "noise.jpg", noise);
    LoadEntry(m_dir / "noise.jpg");

    const std::string text = "GIF? no, just a letter to my friend\n";
    testpics::WriteBytes(m_dir / "letter.gif", { text.begin(), text.end() });
    LoadEntry(m_dir / "letter.gif");

    auto png = testpics::PngBombBytes(16, 16);
    png[29] ^= 0xFF; // break the header's CRC
    testpics::WriteBytes(m_dir / "badcrc.png", png);
    LoadEntry(m_dir / "badcrc.png");

    std::filesystem::create_directory(m_dir / "folder.jpg");
    LoadEntry(m_dir / "folder.jpg");
    LoadEntry(m_dir / "missing.jpg");

    ASSERT_EQ(::mkfifo((m_dir / "pipe.jpg").c_str(), 0600), 0);
    LoadEntry(m_dir / "pipe.jpg"); // must not block waiting for a writer
}

TEST_F(HostileInputTest, UnreadableFileIsRefused)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    testpics::WriteColour(m_dir / "locked.png", 10, 10, "png");
    std::filesystem::permissions(m_dir / "locked.png", std::filesystem::perms::none);
    LoadEntry(m_dir / "locked.png");
}

TEST_F(HostileInputTest, DecompressionBombIsRefusedBeforeDecoding)
{
    testpics::WriteBytes(m_dir / "bomb.png", testpics::PngBombBytes(30000, 30000));
    const long before = PeakRssKB();
    const ImageEntry entry = LoadEntry(m_dir / "bomb.png");
    EXPECT_NE(entry.GetLastError().find("too large"), std::string::npos) << entry.GetLastError();
    // Its pixels would need 2.7 GB.
    EXPECT_LT(PeakRssKB() - before, 100 * 1024);

    // The limit is the gate, not the format.
    testpics::WriteColour(m_dir / "big.jpg", 300, 200, "jpg");
    Picture::SetPixelLimit(300 * 199);
    const ImageEntry big = LoadEntry(m_dir / "big.jpg");
    Picture::SetPixelLimit(Picture::DefaultPixelLimit);
    EXPECT_NE(big.GetLastError().find("too large"), std::string::npos);
}

TEST_F(HostileInputTest, TruncatedJpegKeepsWhatCouldBeReadAndWarns)
{
    testpics::WriteColour(m_dir / "whole.jpg", 640, 480, "jpg");
    auto bytes = testpics::ReadBytes(m_dir / "whole.jpg");
    bytes.resize(bytes.size() / 2);
    testpics::WriteBytes(m_dir / "truncated_half.jpg", bytes);

    Picture picture = Picture::Load(m_dir / "truncated_half.jpg", FormatJpeg);
    ASSERT_TRUE(picture.IsValid()) << picture.GetError();
    ASSERT_TRUE(picture.Resample2(320, 240)) << picture.GetError();
    EXPECT_NE(picture.GetWarning().find("damaged"), std::string::npos);
    EXPECT_EQ(picture.ToRgb888().width, 320);

    Picture whole = Picture::Load(m_dir / "whole.jpg", FormatJpeg);
    ASSERT_TRUE(whole.Resample2(320, 240));
    EXPECT_TRUE(whole.GetWarning().empty()) << whole.GetWarning();
}

TEST_F(HostileInputTest, ContentDecidesWhenTheNameLies)
{
    testpics::WriteColour(m_dir / "png_named_jpg.jpg", 30, 20, "png");
    ImageEntry entry;
    entry.SetPath(m_dir / "png_named_jpg.jpg");
    ASSERT_TRUE(entry.Load()) << entry.GetLastError();
    EXPECT_EQ(entry.GetPixelWidth(), 30u);
    EXPECT_TRUE(entry.MakeThumbnail(80, 60));

    testpics::WriteColour(m_dir / "noext", 30, 20, "gif");
    ImageEntry bare;
    bare.SetPath(m_dir / "noext");
    ASSERT_TRUE(bare.Load()) << bare.GetLastError();
    EXPECT_EQ(bare.GetPixelHeight(), 20u);
}

} // namespace
