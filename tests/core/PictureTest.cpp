#include "imaging/Picture.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "imaging/ImageEntry.h"
#include "imaging/PictureConversion.h"
#include "imaging/ResizeSettings.h"
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

// Test names from file names.
std::string NameOf(std::string name)
{
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

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
    testpics::WriteSolid(dir / "red.png", c.width, c.height, 255, 0, 0);
    ImageEntry entry;
    entry.SetPath(dir / "red.png");
    ASSERT_TRUE(entry.Load() && entry.MakeThumbnail(80, 60)) << entry.GetLastError();
    const Rgb888 thumb = entry.GetThumbnailBitmap();
    ASSERT_EQ(thumb.width, 80);
    ASSERT_EQ(thumb.bytes.size(), 80u * 60u * 3u);
    // Well inside the red area red, well outside white; the resampled border is left alone.
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x) {
            const bool inside = x > c.left && x < c.right - 1 && y > c.top && y < c.bottom - 1;
            const bool outside = x < c.left - 1 || x > c.right || y < c.top - 1 || y > c.bottom;
            ASSERT_TRUE((!inside || IsRed(At(thumb, x, y))) && (!outside || IsWhite(At(thumb, x, y)))) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Shapes, ThumbnailTest,
    testing::Values(ThumbCase { 400, 100, 0, 20, 80, 40 }, // landscape: 80 x 20
        ThumbCase { 100, 400, 32, 0, 47, 60 },             // portrait: 15 x 60
        ThumbCase { 10, 6, 35, 27, 45, 33 },               // tiny: kept at 10 x 6
        ThumbCase { 3000, 1, 0, 29, 80, 31 }));            // a sliver keeps a row

TEST(PictureTest, ExifOrientationIsAppliedToSizeAndThumbnail)
{
    TempDir dir;
    testpics::WriteOrientedJpeg(dir / "rotated.jpg", 400, 100, 6);
    ImageEntry entry;
    entry.SetPath(dir / "rotated.jpg");
    ASSERT_TRUE(entry.Load() && entry.MakeThumbnail(80, 60));
    EXPECT_EQ(entry.GetPixelWidth(), 100u);
    EXPECT_EQ(entry.GetPixelHeight(), 400u);
    // Upright it is tall: white left and right of a 15-pixel column.
    const Rgb888 thumb = entry.GetThumbnailBitmap();
    EXPECT_TRUE(IsWhite(At(thumb, 5, 30)));
    EXPECT_TRUE(IsWhite(At(thumb, 74, 30)));
    EXPECT_FALSE(IsWhite(At(thumb, 40, 30)));
}

TEST(PictureTest, InfoTextHasSizeDepthKilobytesAndName)
{
    TempDir dir;
    const std::string path = dir / "photo.jpg";
    testpics::WriteSolid(path, 1024, 768, 90, 90, 90, 10);
    auto bytes = testpics::ReadBytes(path);
    ASSERT_LT(bytes.size(), 5000u);
    bytes.resize(5000, 0); // trailing bytes after the end marker are ignored by decoders
    testpics::WriteBytes(path, bytes);
    ImageEntry entry;
    entry.SetPath(path);
    ASSERT_TRUE(entry.Load()) << entry.GetLastError();
    entry.BuildInfoText();
    EXPECT_EQ(entry.GetInfoText(), "1024 x 768 x 24bit\r\n(4.88KB) photo.jpg");
}

// Each picture is written by the image library as its format says, then read back for its
// stored depth and size; the content decides when the name lies.
struct DepthCase {
    const char* name;
    const char* format; // for WriteColour, or "alpha"
    int expectBpp;
};

class DepthTest : public testing::TestWithParam<DepthCase> { };

TEST_P(DepthTest, ReportsTheStoredDepth)
{
    const DepthCase& c = GetParam();
    TempDir dir;
    const std::string path = dir / c.name;
    if (c.format == std::string("alpha"))
        testpics::WriteAlphaPng(path, 64, 48);
    else
        testpics::WriteColour(path, 64, 48, c.format);
    ImageEntry entry;
    entry.SetPath(path);
    ASSERT_TRUE(entry.Load()) << entry.GetLastError();
    // The depth as the list shows it.
    entry.BuildInfoText();
    const std::string info = entry.GetInfoText();
    EXPECT_EQ(info.substr(0, info.find('\r')), "64 x 48 x " + std::to_string(c.expectBpp) + "bit");
}

INSTANTIATE_TEST_SUITE_P(Formats, DepthTest,
    testing::ValuesIn(std::vector<DepthCase> { { "gif4.gif", "gif4", 4 }, { "gif1.gif", "gif1", 1 },
        // Palettes are 1 bit at two entries, 4 bits up to 16, 8 from 32.
        { "gif2.gif", "gif2", 4 }, { "gif5.gif", "gif5", 8 }, { "png2.png", "png2", 4 }, { "grey.jpg", "grey", 8 },
        { "rgb.jpg", "jpg", 24 }, { "progressive.jpg", "jpgp", 24 }, { "drawing.wmf", "wmf", 24 },
        { "name.jpg[shrink=8]", "jpg", 24 }, { "alpha.png", "alpha", 32 }, { "rgb.png", "png", 24 },
        { "rgb.tif", "tif", 24 }, { "rgb.bmp", "bmp", 24 }, { "rgb.pcx", "pcx", 24 }, { "png_named.jpg", "png", 24 },
        { "gif_without_extension", "gif8", 8 }, { "rgb.webp", "webp", 24 }, { "rgb.avif", "avif", 24 },
        { "rgb.jxl", "jxl", 24 }, { "rgb.heic", "heic", 24 } }),
    [](const auto& param) { return NameOf(param.param.name); });

TEST(PictureTest, EmbeddedProfileIsConvertedToSrgb)
{
    TempDir dir;
    testpics::WriteColour(dir / "p3.jpg", 32, 32, "p3", 95);
    const Px p = At(Picture::Load(dir / "p3.jpg").ToRgb888(), 28, 3);
    // The sRGB gradient there is (230, 24, 127); read as plain numbers the file says (211, 53, 125).
    EXPECT_NEAR(p.r, 230, 5);
    EXPECT_NEAR(p.g, 24, 5);
    EXPECT_NEAR(p.b, 127, 5);
}

TEST(PictureTest, PreviewFitsTheBoxWithoutEnlarging)
{
    TempDir dir;
    testpics::WriteColour(dir / "p.jpg", 400, 300, "jpg");
    ImageEntry entry;
    entry.SetPath(dir / "p.jpg");
    ASSERT_TRUE(entry.Load());
    for (const auto [bw, bh, w, h] :
        { std::array { 1280, 300, 400, 300 }, { 200, 300, 200, 150 }, { 399, 1000, 399, 299 }, { 1, 1, 1, 1 } }) {
        ASSERT_TRUE(entry.MakePreview(bw, bh));
        EXPECT_EQ(entry.GetPreview()->GetWidth(), w) << bw << "x" << bh;
        EXPECT_EQ(entry.GetPreview()->GetHeight(), h) << bw << "x" << bh;
    }
    entry.FreeImage();
    EXPECT_FALSE(entry.MakePreview(100, 100));
}

// Which edge of a picture drawn by WriteBrightEdges came out darker than the line inside it, or far darker than
// a band along that edge averages ((255 + 64) / 2, less slack for JPEG and tiny sizes); empty when none did.
std::string DarkEdge(const Rgb888& img)
{
    // Red rises toward the sides, so columns are measured in red; rows in green.
    const auto mean = [&](bool column, int index) {
        double sum = 0;
        for (int i = 0; i < (column ? img.height : img.width); ++i)
            sum += column ? At(img, index, i).r : At(img, i, index).g;
        return sum / (column ? img.height : img.width);
    };
    const int w = img.width, h = img.height;
    const struct {
        const char* name;
        bool column;
        int index, inner;
    } edges[] = { { "left", true, 0, 1 }, { "right", true, w - 1, w - 2 }, { "top", false, 0, 1 },
        { "bottom", false, h - 1, h - 2 } };
    for (const auto& e : edges) {
        const double edge = mean(e.column, e.index);
        const bool hasInner = (e.column ? w : h) >= 3;
        if (edge < 120 || (hasInner && edge < mean(e.column, e.inner) - 6))
            return std::string(e.name) + " edge averages " + std::to_string(edge);
    }
    return "";
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kWidthStep = 7; // still every shrink-on-load factor, reduction and enlargement
#else
constexpr int kWidthStep = 1;
#endif

// Every width from 1 to 400 of an odd-sized JPEG, the height in proportion: shrink-on-load at each factor,
// reduction and enlargement. Each must come out at exactly its size, with no edge row or column darkened as
// sampling beyond the picture or padding it would leave one. A written file costs a disk flush, so only every
// 13th width goes the whole way through a conversion.
TEST(PictureTest, EveryWidthKeepsItsExactSizeAndBrightEdges)
{
    TempDir dir;
    constexpr int W = 203, H = 135;
    testpics::WriteBrightEdges(dir / "bright.jpg", W, H);
    const Picture source = Picture::Load(dir / "bright.jpg");
    ConvertSnapshot s;
    s.choice = CompressFormatDefault;
    s.extension = ".png";
    s.folder = dir / "";
    s.mode = RestrictWidth;
    s.unit = Pixel;
    s.overwrite = true;
    for (int w = 1; w <= 400; w += kWidthStep) {
        const int h = std::max(1, (2 * H * w + W) / (2 * W)); // H * w / W, half up
        ASSERT_EQ(ComputeTargetSize(W, H, RestrictWidth, Pixel, static_cast<float>(w), 0).height, h) << w;
        Picture resampled = source;
        ASSERT_TRUE(resampled.Resample2(w, h)) << resampled.GetError();
        const Rgb888 px = resampled.ToRgb888();
        ASSERT_EQ((std::array { resampled.GetWidth(), resampled.GetHeight(), px.width, px.height }),
            (std::array { w, h, w, h }));
        ASSERT_EQ(DarkEdge(px), "") << "resampled to " << w << " x " << h;
        if (w % 13 != 1)
            continue;
        s.w = static_cast<float>(w);
        const ConvertOutcome o = ConvertPicture(source, "out", s);
        ASSERT_EQ(o.status, ConvertStatus::Written) << o.reason;
        const Rgb888 written = Picture::Load(o.output).ToRgb888();
        ASSERT_EQ((std::array { o.width, o.height, written.width, written.height }), (std::array { w, h, w, h }));
        ASSERT_EQ(DarkEdge(written), "") << "converted to " << w << " x " << h;
    }
}

TEST(PictureTest, JpegEncodedToMemoryDecodesBack)
{
    TempDir dir;
    testpics::WriteNoiseJpeg(dir / "n.jpg", 200, 150);
    const auto bytes = Picture::Load(dir / "n.jpg").EncodeJpeg(90);
    EXPECT_EQ(Picture::DecodeJpeg(bytes).GetWidth(), 200);
    EXPECT_FALSE(Picture::DecodeJpeg(std::vector<std::uint8_t>(100, 0x42)).IsValid());
    EXPECT_FALSE(Picture::DecodeJpeg({}).IsValid());
}

// Damaged files whose header is sound. What decodes in part is written with the damage warning, the same way
// on every run, whichever of the library's threads met the damage; what decodes not at all is refused, and
// refused already when the list takes it in.
struct DamagedCase {
    const char* name; // the damage, as testpics::WriteDamaged names it
    bool written;
    int runs;
};

class DamagedTest : public testing::TestWithParam<DamagedCase> { };

TEST_P(DamagedTest, IsDecidedTheSameWayOnEveryRun)
{
    const DamagedCase& c = GetParam();
    TempDir dir;
    testpics::WriteDamaged(dir / c.name, c.name);
    std::filesystem::create_directory(dir / "out");
    ConvertSnapshot s;
    s.extension = ".jpg";
    s.folder = dir / "out/";
    s.overwrite = true;
    for (int run = 0; run < c.runs; ++run) {
        ImageEntry entry;
        entry.SetPath(dir / c.name);
        const ConvertOutcome o = ConvertEntry(entry, s);
        ASSERT_EQ(o.status, c.written ? ConvertStatus::Written : ConvertStatus::Unreadable) << "run " << run;
        ASSERT_EQ(o.reason,
            c.written ? "damaged: only part of the picture could be read"
                      : "damaged: none of the picture could be read")
            << "run " << run;
    }
    // The list: a thumbnail that says it is damaged, or no entry at all.
    ImageEntry entry;
    entry.SetPath(dir / c.name);
    ASSERT_EQ(entry.Load() && entry.MakeThumbnail(80, 60), c.written) << entry.GetLastError();
    if (c.written) {
        EXPECT_EQ(entry.GetThumbnail()->GetWarning(), "damaged: only part of the picture could be read");
    }
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedTest,
    testing::Values(DamagedCase { "idat_crc.png", true, 20 }, DamagedCase { "entropy.jpg", true, 3 },
        DamagedCase { "half.gif", true, 1 }, DamagedCase { "half.bmp", false, 1 },
        DamagedCase { "no_strips.tif", false, 1 }),
    [](const auto& param) { return NameOf(param.param.name); });

// Makes the hostile file the name stands for; false when the case cannot apply here.
bool MakeHostile(const std::string& name, const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    if (name == "folder.jpg")
        return std::filesystem::create_directory(path);
    if (name == "fifo.jpg") // must not block waiting for a writer
        return ::mkfifo(path.c_str(), 0600) == 0;
    if (name == "unreadable.png") {
        testpics::WriteColour(path, 30, 20, "png");
        std::filesystem::permissions(path, std::filesystem::perms::none);
        return ::geteuid() != 0; // root reads every file
    }
    if (name == "over_the_limit.jpg") {
        testpics::WriteColour(path, 300, 200, "jpg");
        Picture::SetPixelLimit(300 * 199); // the limit is the gate, not the format
        return true;
    }
    if (name == "letter.gif")
        for (const char c : std::string("GIF? no, just a letter to my friend\n"))
            bytes.push_back(static_cast<std::uint8_t>(c));
    if (name == "bad_crc.png") {
        bytes = testpics::PngBombBytes(16, 16);
        bytes[29] ^= 0xFF; // in the header's CRC
    }
    if (name == "many_scans.jpg") {
        // A progressive JPEG whose last scan comes 1500 times.
        testpics::WriteColour(path, 64, 48, "jpgp");
        bytes = testpics::ReadBytes(path);
        const std::uint8_t sos[] = { 0xFF, 0xDA };
        const auto last = std::find_end(bytes.begin(), bytes.end(), sos, sos + 2);
        const std::vector<std::uint8_t> scan(last, bytes.end() - 2);
        for (int i = 0; i < 1500; ++i)
            bytes.insert(bytes.end() - 2, scan.begin(), scan.end());
    }
    if (name == "bomb_30000.png")
        bytes = testpics::PngBombBytes(30000, 30000);
    if (name == "zero_width.png") {
        // After a damaged JPEG: what the library said of that one must not be said of this one.
        testpics::WriteDamaged(path + ".jpg", "entropy.jpg");
        Picture before = Picture::Load(path + ".jpg");
        before.Realize();
        bytes = testpics::PngBombBytes(0, 16);
    }
    if (name == "only_a.jpg[shrink=8]") // the file is "only_a.jpg": a name is not options
        testpics::WriteColour(path.substr(0, path.find('[')), 300, 200, "jpg");
    if (name == "drawing.emf")
        bytes = testpics::EmfBytes();
    if (name != "missing.jpg" && name != std::string("only_a.jpg[shrink=8]"))
        testpics::WriteBytes(path, bytes);
    return true;
}

long PeakRssKB()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Files that are not pictures, or not pictures we should try: each fails with a reason,
// quickly and without a decode's memory, and nothing crashes.
class HostileInputTest : public testing::TestWithParam<const char*> {
protected:
    void TearDown() override { Picture::SetPixelLimit(Picture::DefaultPixelLimit); }
    TempDir m_dir;
};

TEST_P(HostileInputTest, IsRefusedWithAReason)
{
    const std::string name = GetParam(), path = m_dir / name;
    if (!MakeHostile(name, path))
        GTEST_SKIP() << "root reads every file";
    ImageEntry entry;
    entry.SetPath(path);
    const long rss = PeakRssKB();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(entry.Load());
    // A refusal is a header check, not a decode: far below a second even on a busy machine.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_LT(PeakRssKB() - rss, 100 * 1024); // the bomb's pixels would need 2.7 GB
    const bool tooLarge = name == "bomb_30000.png" || name == "over_the_limit.jpg";
    const bool notAPicture = name == "zero_bytes.jpg" || name == "letter.gif" || name == "bad_crc.png"
        || name == "zero_width.png" || name == "many_scans.jpg" || name == "drawing.emf";
    // The engine acts on the code; the words are for the user.
    EXPECT_EQ(entry.GetLastErrorCode(),
        tooLarge          ? PictureError::TooLarge
            : notAPicture ? PictureError::NotAPicture
                          : PictureError::Unreadable)
        << entry.GetLastError();
    EXPECT_EQ(entry.GetLastError().find("too large") != std::string::npos, tooLarge) << entry.GetLastError();
    EXPECT_NE(entry.GetLastError(), "");
    if (name == "missing.jpg" || name == "only_a.jpg[shrink=8]") {
        EXPECT_NE(entry.GetLastError().find("No such file"), std::string::npos) << entry.GetLastError();
    }
    // Plain words: no decoder's name or jargon.
    std::string words = entry.GetLastError();
    std::transform(words.begin(), words.end(), words.begin(), [](unsigned char ch) { return std::tolower(ch); });
    for (const char* jargon : { "vips", "magick", "lib", "@" })
        EXPECT_EQ(words.find(jargon), std::string::npos) << entry.GetLastError();
    EXPECT_EQ(entry.GetImage(), nullptr);
    EXPECT_FALSE(entry.MakeThumbnail(80, 60));
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileInputTest,
    testing::Values("zero_bytes.jpg", "letter.gif", "bad_crc.png", "folder.jpg", "missing.jpg", "fifo.jpg",
        "unreadable.png", "bomb_30000.png", "over_the_limit.jpg", "zero_width.png", "many_scans.jpg",
        "only_a.jpg[shrink=8]", "drawing.emf"),
    [](const auto& param) { return NameOf(param.param); });

} // namespace
