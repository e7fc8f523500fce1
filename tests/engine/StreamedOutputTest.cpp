// Outputs written band by band, as the decoder makes the rows: the same bytes as a writer that had the
// whole picture, PNG pixels exactly those of the picture, and a target-size search that holds one attempt.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "imaging/Picture.h"
#include "imaging/TargetSizeSearch.h"
#include "tests/support/EngineFixtures.h"

namespace {

using enginefix::FolderTest;
using vips::VImage;

// The BMP and PCX writers as they were when they had the whole picture in memory.
std::vector<std::uint8_t> WholeBmp(const Rgb888& px)
{
    const std::size_t w = px.width, h = px.height, stride = (w * 3 + 3) & ~std::size_t(3);
    std::vector<std::uint8_t> out { 'B', 'M' };
    auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    for (std::uint32_t v : { std::uint32_t(54 + stride * h), 0u, 54u, 40u, std::uint32_t(w), std::uint32_t(h) })
        put(v, 4);
    put(1, 2), put(24, 2);
    for (std::uint32_t v : { 0u, std::uint32_t(stride * h), 2835u, 2835u, 0u, 0u })
        put(v, 4);
    for (std::size_t y = h; y-- > 0;) {
        for (std::size_t x = 0; x < w; ++x)
            for (int c : { 2, 1, 0 })
                out.push_back(px.bytes[(y * w + x) * 3 + c]);
        out.resize(out.size() + stride - w * 3, 0);
    }
    return out;
}

std::vector<std::uint8_t> WholePcx(const Rgb888& px)
{
    const std::size_t w = px.width, h = px.height, line = (w + 1) & ~std::size_t(1);
    std::vector<std::uint8_t> out(128, 0);
    auto set16 = [&](std::size_t at, std::size_t v) { out[at] = v & 0xff, out[at + 1] = (v >> 8) & 0xff; };
    out[0] = 0x0A, out[1] = 5, out[2] = 1, out[3] = 8, out[65] = 3;
    set16(8, w - 1), set16(10, h - 1), set16(12, 72), set16(14, 72), set16(66, line), set16(68, 1);
    for (std::size_t y = 0; y < h; ++y) {
        std::vector<std::uint8_t> planes(line * 3, 0);
        for (std::size_t p = 0; p < 3; ++p)
            for (std::size_t x = 0; x < w; ++x)
                planes[p * line + x] = px.bytes[(y * w + x) * 3 + p];
        for (std::size_t i = 0; i < planes.size();) {
            std::size_t run = 1;
            while (i + run < planes.size() && run < 63 && planes[i + run] == planes[i])
                ++run;
            if (run > 1 || (planes[i] & 0xC0) == 0xC0)
                out.push_back(static_cast<std::uint8_t>(0xC0 | run));
            out.push_back(planes[i]);
            i += run;
        }
    }
    return out;
}

// Flat runs longer than a PCX run, bright values that need a run byte, and noise; `colours` > 0 limits
// the picture to that many colours.
Rgb888 Pattern(int width, int height, int colours = 0)
{
    Rgb888 px { width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3) };
    std::uint32_t seed = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            std::uint32_t v = (y % 4 == 0) ? 0xF0u + (x / 70) : (seed >> 8);
            if (colours > 0) // every one of them present once there are as many pixels
                v = static_cast<std::uint32_t>((y * width + x) * 7919 % colours) * 0x010305u;
            for (int c = 0; c < 3; ++c)
                px.bytes[(static_cast<std::size_t>(y) * width + x) * 3 + c] = static_cast<std::uint8_t>(v >> (8 * c));
        }
    return px;
}

void WritePng(const std::string& path, const std::vector<std::uint8_t>& bytes, int width, int height, int bands)
{
    VImage::new_from_memory(
        const_cast<std::uint8_t*>(bytes.data()), bytes.size(), width, height, bands, VIPS_FORMAT_UCHAR)
        .pngsave(path.c_str());
}

std::vector<std::uint8_t> Pixels(const std::string& path)
{
    std::size_t size = 0;
    void* mem = VImage::new_from_file(path.c_str()).write_to_memory(&size);
    std::vector<std::uint8_t> bytes(static_cast<std::uint8_t*>(mem), static_cast<std::uint8_t*>(mem) + size);
    g_free(mem);
    return bytes;
}

class StreamedOutputTest : public FolderTest { };

// Odd widths need 1 to 3 bytes of BMP row padding and an odd PCX line; the tall pictures span many bands.
TEST_F(StreamedOutputTest, BmpAndPcxAreTheBytesOfTheWholePictureWriters)
{
    for (const auto& [w, h] : std::vector<std::pair<int, int>> {
             { 1, 1 }, { 1, 9 }, { 9, 1 }, { 2, 3 }, { 3, 2 }, { 5, 7 }, { 33, 17 }, { 131, 700 }, { 700, 131 } }) {
        const Rgb888 px = Pattern(w, h);
        WritePng(In("p.png"), px.bytes, w, h, 3);
        Picture fromFile = Picture::Load(In("p.png"));
        Picture inMemory = fromFile;
        ASSERT_TRUE(inMemory.Realize());
        for (const Picture* picture : { &fromFile, &inMemory }) {
            const std::string how
                = (picture == &fromFile ? "streamed " : "in memory ") + std::to_string(w) + "x" + std::to_string(h);
            ASSERT_TRUE(picture->Save(Out("p.bmp"), PictureFormat::Bmp)) << picture->GetError();
            ASSERT_TRUE(picture->Save(Out("p.pcx"), PictureFormat::Pcx)) << picture->GetError();
            EXPECT_EQ(testpics::ReadBytes(Out("p.bmp")), WholeBmp(px)) << how;
            EXPECT_EQ(testpics::ReadBytes(Out("p.pcx")), WholePcx(px)) << how;
        }
    }
}

// Whatever encoding PNG chooses, every pixel comes back, at 24 bits however few the colours, alpha kept.
TEST_F(StreamedOutputTest, PngKeepsEveryPixel)
{
    for (int colours : { 1, 2, 3, 4, 5, 16, 17, 256, 257, 5000, 0 }) {
        const Rgb888 px = Pattern(37, 23, colours);
        WritePng(In("c.png"), px.bytes, px.width, px.height, 3);
        ASSERT_TRUE(Picture::Load(In("c.png")).Save(Out("c.png"), PictureFormat::Png));
        EXPECT_EQ(Pixels(Out("c.png")), px.bytes) << colours << " colours";
        EXPECT_EQ(testpics::ReadBytes(Out("c.png")).at(25), 2) << colours << " colours: colour type RGB";
    }
    for (int colours : { 3, 0 }) { // few colours and many, with alpha
        std::vector<std::uint8_t> rgba;
        const Rgb888 px = Pattern(20, 11, colours);
        for (std::size_t i = 0; i < px.bytes.size(); i += 3)
            rgba.insert(rgba.end(),
                { px.bytes[i], px.bytes[i + 1], px.bytes[i + 2], std::uint8_t(px.bytes[i] < 128 ? 0 : 255) });
        WritePng(In("a.png"), rgba, px.width, px.height, 4);
        ASSERT_TRUE(Picture::Load(In("a.png")).Save(Out("a.png"), PictureFormat::Png, { .keepAlpha = true }));
        EXPECT_EQ(Pixels(Out("a.png")), rgba) << colours << " colours with alpha";
    }
}

// A photograph, from a JPEG or from a PNG, gets adaptive filters: smaller than the unfiltered PNG the
// library writes by default, pixel for pixel the same picture.
TEST_F(StreamedOutputTest, PngOfAPhotographIsFiltered)
{
    testpics::WriteColour(In("photo.jpg"), 300, 200, "jpg", 95);
    WritePng(In("photo.png"), Pixels(In("photo.jpg")), 300, 200, 3);
    for (const char* name : { "photo.jpg", "photo.png" }) {
        ASSERT_TRUE(Picture::Load(In(name)).Save(Out("photo.png"), PictureFormat::Png));
        EXPECT_EQ(Pixels(Out("photo.png")), Pixels(In("photo.jpg"))) << name;
        void* buf = nullptr;
        std::size_t unfiltered = 0;
        VImage::new_from_file(In("photo.jpg").c_str()).write_to_buffer(".png", &buf, &unfiltered);
        g_free(buf);
        EXPECT_LT(testpics::ReadBytes(Out("photo.png")).size(), unfiltered * 9 / 10) << name;
    }
}

// The cache keeps the size of every attempt and the bytes of the best one that fits; the search over it
// ends where it did with every encoding held, and the bytes asked for are the encoder's.
TEST(AttemptCacheTest, HoldsOnlyTheBestFitAndGivesTheEncodersBytes)
{
    auto bytesAt
        = [](int q) { return std::vector<std::uint8_t>(static_cast<std::size_t>(1000 + q * q), std::uint8_t(q)); };
    for (const std::int32_t targetKB : { 0, 1, 4, 7, 20 }) {
        const std::uint64_t target = targetKB * 1024u;
        AttemptCache cache(target, bytesAt);
        const QualitySearchResult found = SearchTargetQuality(targetKB, [&](int q) { return cache.SizeAt(q); });
        int bestFit = 0;
        for (int q : found.attempts)
            if (bytesAt(q).size() <= target)
                bestFit = std::max(bestFit, q);
        EXPECT_EQ(cache.GetHeldBytes(), bestFit ? bytesAt(bestFit).size() : 0) << targetKB;
        const int encodings = cache.GetEncodings();
        const std::vector<std::uint8_t>* bytes = cache.BytesAt(found.quality);
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(*bytes, bytesAt(found.quality)) << targetKB;
        EXPECT_EQ(cache.GetEncodings(), encodings + (found.quality == bestFit ? 0 : 1)) << targetKB;
        // Another quality, as a floor above the search asks for: encoded again, and then the one held.
        EXPECT_EQ(*cache.BytesAt(found.quality + 7), bytesAt(found.quality + 7)) << targetKB;
        EXPECT_EQ(cache.GetHeldBytes(), bytesAt(found.quality + 7).size()) << targetKB;
    }
}

// A target-size run writes the quality and the very bytes a search over every encoding finds.
TEST_F(StreamedOutputTest, TargetSizeWritesTheSameFileAsBefore)
{
    testpics::WriteNoiseJpeg(In("noise.jpg"), 320, 240);
    Picture picture = Picture::Load(In("noise.jpg"));
    picture.IncreaseBpp24();
    ASSERT_TRUE(picture.Realize());
    for (const std::int32_t targetKB : { 3, 30, 60 }) {
        const QualitySearchResult found = SearchTargetQuality(
            targetKB, [&](int q) { return std::optional<std::uint64_t>(picture.EncodeJpeg(q).size()); });
        std::filesystem::create_directories(Out(std::to_string(targetKB)));
        auto batch = enginefix::MakeBatch({ In("noise.jpg") }, Out(std::to_string(targetKB)));
        batch->SetCompressionChoice(CompressTargetSize);
        batch->SetTargetSizeKB(targetKB);
        ASSERT_TRUE(enginefix::RunJob(*batch));
        const ConvertOutcome& o = batch->GetConvertOutcomes().at(0);
        EXPECT_EQ(o.quality, found.quality) << targetKB;
        EXPECT_EQ(testpics::ReadBytes(o.output), picture.EncodeJpeg(found.quality)) << targetKB;
    }
}

} // namespace
