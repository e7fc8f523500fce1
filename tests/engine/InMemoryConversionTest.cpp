#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "imaging/ImageEntry.h"
#include "imaging/Picture.h"
#include "imaging/PictureConversion.h"
#include "tests/support/EngineFixtures.h"
#include "tests/support/TestPictures.h"

namespace {

using namespace enginefix;

struct MemoryCase {
    const char* name;
    CompressionChoice choice;
    const char* extension;
    int quality;
    int targetKB;
    OutputOptions options;
};

class InMemoryTest : public FolderTest, public testing::WithParamInterface<MemoryCase> { };

// The conversion in memory is the run's to the byte, and writes nothing.
TEST_P(InMemoryTest, GivesTheBytesTheRunWrites)
{
    const MemoryCase& c = GetParam();
    testpics::WriteNoiseJpeg(In("noise.jpg"), 300, 200);
    ConvertSnapshot s;
    s.choice = c.choice;
    s.folder = Out();
    s.extension = c.extension;
    s.quality = c.quality;
    s.targetKB = c.targetKB;
    s.w = s.h = 50;
    s.options = c.options;
    ImageEntry entry;
    entry.SetPath(In("noise.jpg"));
    std::vector<std::uint8_t> bytes { 1, 2, 3 };
    const ConvertOutcome memory = ConvertEntryInMemory(entry, s, bytes);
    EXPECT_TRUE(ListNames(Out()).empty()) << "nothing is written";
    const ConvertOutcome file = ConvertEntry(entry, s);
    ASSERT_EQ(file.status, ConvertStatus::Written) << file.reason;
    ASSERT_EQ(memory.status, ConvertStatus::Written) << memory.reason;
    EXPECT_EQ(bytes, testpics::ReadBytes(file.output));
    EXPECT_EQ(memory.bytes, file.bytes);
    EXPECT_EQ(std::tuple(memory.width, memory.height, memory.quality, memory.overTarget, memory.scaledToFit),
        std::tuple(file.width, file.height, file.quality, file.overTarget, file.scaledToFit));
    EXPECT_EQ(memory.output, "");
    EXPECT_EQ(memory.sourceBytes, std::filesystem::file_size(In("noise.jpg")));
}

INSTANTIATE_TEST_SUITE_P(Settings, InMemoryTest,
    testing::Values(MemoryCase { "JpegQuality", CompressQuality, ".jpg", 60, 0, {} },
        MemoryCase { "WebpQuality", CompressQuality, ".webp", 40, 0, {} },
        MemoryCase { "WebpLossless", CompressFormatDefault, ".webp", 70, 0, { .lossless = true } },
        MemoryCase { "Png", CompressFormatDefault, ".png", 70, 0, {} },
        MemoryCase { "Tif", CompressFormatDefault, ".tif", 70, 0, {} },
        MemoryCase { "Gif", CompressFormatDefault, ".gif", 70, 0, {} },
        MemoryCase { "Bmp", CompressFormatDefault, ".bmp", 70, 0, {} },
        MemoryCase { "Pcx", CompressFormatDefault, ".pcx", 70, 0, {} },
        MemoryCase { "JpegTarget", CompressTargetSize, ".jpg", 70, 8, {} },
        MemoryCase {
            "WebpShrinkToFit", CompressTargetSize, ".webp", 70, 1, { .shrinkToFit = true, .minQuality = 50 } }),
    CaseName);

// A decode asked to stop ends early and says so; one never asked is not affected by another's flag.
TEST(StopScope, StopsADecodeInProgressAndOnlyItsOwn)
{
    testpics::TempDir dir;
    testpics::WriteSolid(dir / "big.png", 6000, 6000, 200, 30, 30);
    std::atomic<bool> stop { false };
    std::atomic<bool> otherDone { false };
    Picture other;
    std::thread neighbour([&] {
        std::atomic<bool> never { false };
        StopScope scope(never);
        other = Picture::Load(dir / "big.png");
        other.Realize();
        otherDone = true;
    });
    Picture picture = Picture::Load(dir / "big.png");
    ASSERT_TRUE(picture.IsValid());
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        stop = true;
    });
    {
        StopScope scope(stop);
        EXPECT_FALSE(picture.Realize());
        EXPECT_EQ(picture.GetErrorCode(), PictureError::Stopped);
        EXPECT_TRUE(picture.Encode(PictureFormat::Png, {}).empty());
        EXPECT_EQ(picture.GetErrorCode(), PictureError::Stopped);
    }
    stopper.join();
    neighbour.join();
    EXPECT_TRUE(other.IsValid() && other.GetWarning().empty()) << other.GetError();
    // Out of the scope the same picture decodes whole.
    EXPECT_TRUE(picture.Resample2(60, 60)) << picture.GetError();
    EXPECT_EQ(picture.GetWarning(), "");
}

} // namespace
