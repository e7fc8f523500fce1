#include "tests/support/EngineFixtures.h"

#include <algorithm>
#include <filesystem>

#include <vips/vips8>

#include "imaging/Picture.h"

namespace enginefix {

namespace fs = std::filesystem;
using testpics::WriteBytes;

std::vector<Posted> StepsThenEnd(int pictures)
{
    std::vector<Posted> posts;
    for (int step = 1; step <= 2 * pictures; ++step)
        posts.push_back({ WM_CONVERT_PROGRESS, ConvertCodeStep, step });
    posts.push_back({ WM_CONVERT_PROGRESS, ConvertCodeEnd, 0 });
    return posts;
}

std::unique_ptr<ImageBatch> MakeBatch(const std::vector<std::string>& paths, const std::string& folder)
{
    auto batch = std::make_unique<ImageBatch>();
    for (const std::string& path : paths) {
        batch->AddEntry(std::make_unique<ImageEntry>());
        batch->GetEntry(batch->GetEntryCount() - 1)->SetPath(path);
    }
    batch->SetOutputFolder(folder.empty() || folder.back() == '/' ? folder : folder + "/");
    return batch;
}

bool RunJob(ImageBatch& batch, std::shared_ptr<RecordingSink> sink)
{
    batch.StartConvertJob(sink ? sink : std::make_shared<RecordingSink>());
    return batch.WaitConvertJob(std::chrono::milliseconds(120000));
}

std::vector<std::string> ListNames(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

FolderTest::FolderTest() { fs::create_directory(dir / "in"), fs::create_directory(dir / "out"); }

std::vector<std::string> FolderTest::Pictures(int count, int width, int height) const
{
    std::vector<std::string> paths;
    for (int i = 1; i <= count; ++i)
        testpics::WriteNoiseJpeg(paths.emplace_back(In("p" + std::to_string(i) + ".jpg")), width, height, i);
    return paths;
}

Decoded Decode(const std::string& path)
{
    InitImageLibrary();
    try {
        vips::VImage img = vips::VImage::new_from_file(path.c_str(),
            vips::VImage::option()->set("fail_on", VIPS_FAIL_ON_TRUNCATED)->set("access", VIPS_ACCESS_RANDOM));
        return { true, img.format() == VIPS_FORMAT_UCHAR, img.get_string("vips-loader"), img.width(), img.height(),
            img.bands(), img.getpoint(0, 0), img.getpoint(img.width() - 1, 0) };
    } catch (const vips::VError&) {
        vips_error_clear();
        return {};
    }
}

void ExpectPixel(const std::vector<double>& pixel, const std::vector<double>& wanted, double tolerance)
{
    ASSERT_EQ(pixel.size(), wanted.size());
    for (std::size_t i = 0; i < wanted.size(); ++i)
        EXPECT_NEAR(pixel[i], wanted[i], tolerance) << "sample " << i;
}

int HeaderBitsPerPixel(const std::vector<std::uint8_t>& b)
{
    if (b.size() >= 30 && b[0] == 'B' && b[1] == 'M')
        return b[28] | (b[29] << 8);
    if (b.size() >= 66 && b[0] == 0x0A)
        return b[3] * b[65]; // bits per plane x planes
    const int channels[] = { 1, 0, 3, 1, 2, 0, 4 };
    if (b.size() >= 26 && b[0] == 0x89 && b[1] == 'P')
        return b[24] * (b[25] <= 6 ? channels[b[25]] : 0);
    if (b.size() >= 13 && b[0] == 'G' && b[1] == 'I' && b[2] == 'F')
        return (b[10] & 0x80) ? (b[10] & 0x07) + 1 : 0; // size of the global palette, in bits
    return 0;
}

// Refused when read, when its size is read, when decoded, and when not there; the reader's own cases
// (empty files, drawings, ...) are in the core tests.
std::vector<HostileInput> HostileInputs()
{
    // A sound JPEG header followed by nothing that decodes.
    const auto headerOnly = [](const std::string& p) {
        testpics::WriteColour(p, 64, 48, "jpg");
        std::vector<std::uint8_t> bytes = testpics::ReadBytes(p);
        const std::uint8_t startOfScan[] = { 0xFF, 0xDA };
        bytes.erase(std::search(bytes.begin(), bytes.end(), startOfScan, startOfScan + 2), bytes.end());
        bytes.insert(bytes.end(), { 0xFF, 0xD9 });
        WriteBytes(p, bytes);
    };
    return { { "text_named.gif", [](const std::string& p) { testpics::WriteText(p, "list\n"); },
                 ConvertStatus::Unreadable },
        { "bomb_30000.png", [](const std::string& p) { WriteBytes(p, testpics::PngBombBytes(30000, 30000)); },
            ConvertStatus::TooLarge },
        { "header_only.jpg", headerOnly, ConvertStatus::Unreadable },
        { "missing.jpg", [](const std::string&) {}, ConvertStatus::Unreadable } };
}

} // namespace enginefix
