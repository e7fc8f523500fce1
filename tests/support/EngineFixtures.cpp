#include "tests/support/EngineFixtures.h"

#include <algorithm>
#include <filesystem>
#include <random>

#include <vips/vips8>

#include "imaging/Picture.h"
#include "tests/support/TestPictures.h"

namespace enginefix {

void RecordingSink::Post(std::uint32_t message, std::uint32_t code, std::int64_t value)
{
    const Posted posted { message, code, value };
    {
        std::lock_guard lock(m_mutex);
        m_posts.push_back(posted);
    }
    if (onPost)
        onPost(posted);
}

std::vector<Posted> RecordingSink::Posts() const
{
    std::lock_guard lock(m_mutex);
    return m_posts;
}

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
        auto entry = std::make_unique<ImageEntry>();
        entry->SetPath(path);
        batch->AddEntry(std::move(entry));
    }
    batch->SetOutputFolder(folder.empty() || folder.back() == '/' ? folder : folder + "/");
    return batch;
}

bool RunJob(ImageBatch& batch, std::shared_ptr<RecordingSink> sink)
{
    if (!sink)
        sink = std::make_shared<RecordingSink>();
    batch.StartConvertJob(sink);
    return batch.WaitConvertJob(std::chrono::milliseconds(120000));
}

std::vector<std::string> ListNames(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

Decoded Decode(const std::string& path)
{
    InitImageLibrary();
    Decoded d;
    try {
        vips::VImage img = vips::VImage::new_from_file(path.c_str(),
            vips::VImage::option()->set("fail_on", VIPS_FAIL_ON_TRUNCATED)->set("access", VIPS_ACCESS_RANDOM));
        d.loader = img.get_string("vips-loader");
        d.width = img.width();
        d.height = img.height();
        d.bands = img.bands();
        d.eightBitSamples = img.format() == VIPS_FORMAT_UCHAR;
        d.topRight = img.getpoint(img.width() - 1, 0);
        d.ok = true;
    } catch (const vips::VError& e) {
        d.error = e.what();
        vips_error_clear();
    }
    return d;
}

int HeaderBitsPerPixel(const std::vector<std::uint8_t>& b)
{
    auto u16le = [&](std::size_t i) { return b[i] | (b[i + 1] << 8); };
    if (b.size() >= 30 && b[0] == 'B' && b[1] == 'M')
        return u16le(28);
    if (b.size() >= 66 && b[0] == 0x0A)
        return b[3] * b[65]; // bits per plane x planes
    if (b.size() >= 26 && b[0] == 0x89 && b[1] == 'P') {
        const int channels[] = { 1, 0, 3, 1, 2, 0, 4 };
        return b[24] * (b[25] <= 6 ? channels[b[25]] : 0);
    }
    if (b.size() >= 13 && b[0] == 'G' && b[1] == 'I' && b[2] == 'F')
        return (b[10] & 0x80) ? (b[10] & 0x07) + 1 : 0; // size of the global palette, in bits
    return 0;
}

std::vector<HostileInput> HostileInputs()
{
    using testpics::WriteBytes;
    std::vector<HostileInput> inputs;
    inputs.push_back({ "zero_bytes.jpg", [](const std::string& p) { WriteBytes(p, {}); }, ConvertStatus::Unreadable });
    inputs.push_back({ "random_bytes.png",
        [](const std::string& p) {
            std::mt19937 rng(7);
            std::vector<std::uint8_t> bytes(4096);
            for (auto& c : bytes)
                c = static_cast<std::uint8_t>(rng());
            WriteBytes(p, bytes);
        },
        ConvertStatus::Unreadable });
    inputs.push_back({ "text_named.gif",
        [](const std::string& p) {
            const std::string text = "this is a shopping list, not a picture\n";
            WriteBytes(p, { text.begin(), text.end() });
        },
        ConvertStatus::Unreadable });
    inputs.push_back({ "folder_named.jpg", [](const std::string& p) { std::filesystem::create_directory(p); },
        ConvertStatus::Unreadable });
    inputs.push_back({ "bomb_30000.png", [](const std::string& p) { WriteBytes(p, testpics::PngBombBytes(30000, 30000)); },
        ConvertStatus::TooLarge });
    inputs.push_back({ "header_only.jpg",
        [](const std::string& p) {
            // A sound JPEG header followed by nothing that decodes.
            const std::string whole = p + ".whole.jpg";
            testpics::WriteColour(whole, 64, 48, "jpg");
            std::vector<std::uint8_t> bytes = testpics::ReadBytes(whole);
            std::filesystem::remove(whole);
            const std::uint8_t startOfScan[] = { 0xFF, 0xDA };
            auto sos = std::search(bytes.begin(), bytes.end(), std::begin(startOfScan), std::end(startOfScan));
            bytes.erase(sos, bytes.end());
            bytes.insert(bytes.end(), { 0xFF, 0xD9 });
            WriteBytes(p, bytes);
        },
        ConvertStatus::Unreadable });
    inputs.push_back({ "missing.jpg", [](const std::string&) {}, ConvertStatus::Unreadable });
    return inputs;
}

} // namespace enginefix
