#include "tests/support/TestPictures.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

#include <vips/vips8>

#include "imaging/Picture.h"

using vips::VImage;

// The HEVC encoder keeps a few bytes of global state until the process ends; that is the
// library's, not ours. Read by the leak checker of sanitized builds, ignored otherwise.
extern "C" const char* __lsan_default_suppressions() { return "leak:libx265.so\n"; }

namespace testpics {

TempDir::TempDir()
{
    std::string name = (std::filesystem::temp_directory_path() / "kestrova-test-XXXXXX").string();
    if (::mkdtemp(name.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary folder");
    m_path = name;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

namespace {

VImage Srgb(const VImage& img) { return img.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB)); }

// Random samples in three bands, which compress badly.
VImage Noise(int width, int height, unsigned seed)
{
    std::vector<std::uint8_t> px(static_cast<std::size_t>(width) * height * 3);
    std::mt19937 rng(seed);
    for (auto& p : px)
        p = static_cast<std::uint8_t>(rng());
    VImage copy = VImage::new_memory(); // the image outlives px
    VImage::new_from_memory(px.data(), px.size(), width, height, 3, VIPS_FORMAT_UCHAR).write(copy);
    return Srgb(copy);
}

VImage Gradient(int width, int height)
{
    VImage x = VImage::xyz(width, height);
    VImage r = x.extract_band(0) * (255.0 / std::max(1, width - 1));
    VImage g = x.extract_band(1) * (255.0 / std::max(1, height - 1));
    VImage b = (r + g) * 0.5;
    return Srgb(r.bandjoin(g).bandjoin(b).cast(VIPS_FORMAT_UCHAR));
}

void Save(VImage img, const std::string& path, const std::string& format, int quality)
{
    if (format == "jpg")
        img.jpegsave(
            path.c_str(), VImage::option()->set("Q", quality)->set("optimize_coding", true)->set("strip", true));
    else if (format == "jpgp")
        img.jpegsave(path.c_str(), VImage::option()->set("Q", quality)->set("interlace", true));
    else if (format == "png")
        img.pngsave(path.c_str());
    else if (format == "gif")
        img.gifsave(path.c_str());
    else if (format.starts_with("gif"))
        img.gifsave(path.c_str(), VImage::option()->set("bitdepth", format[3] - '0')->set("dither", 0.0));
    else if (format.starts_with("png"))
        img.pngsave(path.c_str(), VImage::option()->set("palette", true)->set("bitdepth", format[3] - '0'));
    else if (format == "p3")
        img.icc_transform("p3", VImage::option()->set("input_profile", "srgb")->set("embedded", false))
            .jpegsave(path.c_str(), VImage::option()->set("Q", quality));
    else if (format == "grey")
        img.colourspace(VIPS_INTERPRETATION_B_W).jpegsave(path.c_str(), VImage::option()->set("Q", quality));
    else if (format == "wmf")
        WriteBytes(path, WmfBytes(img.width(), img.height()));
    else if (format == "tif")
        img.tiffsave(path.c_str());
    else if (format == "webp" || format == "avif" || format == "jxl" || format == "heic")
        img.write_to_file((path + "[Q=" + std::to_string(quality) + "]").c_str()); // the saver from the suffix
    else if (format == "bmp" || format == "pcx")
        img.magicksave(path.c_str(), VImage::option()->set("format", format == "bmp" ? "BMP3" : "PCX"));
    else
        throw std::runtime_error("unknown test format " + format);
}

} // namespace

void WriteColour(const std::string& path, int width, int height, const std::string& format, int quality)
{
    InitImageLibrary();
    Save(Gradient(width, height), path, format, quality);
}

void WriteSolid(
    const std::string& path, int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b, int quality)
{
    InitImageLibrary();
    const VImage img
        = VImage::black(width, height).new_from_image(std::vector<double> { double(r), double(g), double(b) });
    Save(Srgb(img), path, path.substr(path.find_last_of('.') + 1), quality);
}

void WriteBrightEdges(const std::string& path, int width, int height, int quality)
{
    InitImageLibrary();
    VImage xy = VImage::xyz(width, height);
    VImage r = (xy.extract_band(0) * (2.0 / std::max(1, width - 1)) - 1).abs() * 191 + 64;
    VImage g = (xy.extract_band(1) * (2.0 / std::max(1, height - 1)) - 1).abs() * 191 + 64;
    Save(Srgb(r.bandjoin(g).bandjoin((r + g) * 0.5).cast(VIPS_FORMAT_UCHAR)), path,
        path.substr(path.find_last_of('.') + 1), quality);
}

void WriteAlphaPng(const std::string& path, int width, int height)
{
    InitImageLibrary();
    VImage x = VImage::xyz(width, height).extract_band(0);
    VImage alpha = (x < width / 2).ifthenelse(255, 0).cast(VIPS_FORMAT_UCHAR);
    VImage red = VImage::black(width, height).new_from_image(std::vector<double> { 255, 0, 0 });
    Srgb(red.bandjoin(alpha)).pngsave(path.c_str());
}

void WriteOrientedJpeg(const std::string& path, int storedWidth, int storedHeight, int orientation)
{
    InitImageLibrary();
    VImage img = Gradient(storedWidth, storedHeight).copy();
    img.set(VIPS_META_ORIENTATION, orientation);
    img.jpegsave(path.c_str());
}

void WriteNoiseJpeg(const std::string& path, int width, int height, unsigned seed)
{
    InitImageLibrary();
    Noise(width, height, seed).jpegsave(path.c_str(), VImage::option()->set("Q", 95));
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

void WriteText(const std::string& path, const std::string& text) { WriteBytes(path, { text.begin(), text.end() }); }

std::string ReadText(const std::string& path)
{
    const auto bytes = ReadBytes(path);
    return { bytes.begin(), bytes.end() };
}

void WriteDamaged(const std::string& path, const std::string& kind)
{
    InitImageLibrary();
    Save(Noise(600, 400, 7), path, kind.substr(kind.find('.') + 1), 90);
    std::vector<std::uint8_t> bytes = ReadBytes(path);
    if (kind == "idat_crc.png") {
        const std::uint8_t idat[] = { 'I', 'D', 'A', 'T' };
        auto last = std::find_end(bytes.begin(), bytes.end(), idat, idat + 4);
        const std::size_t at = static_cast<std::size_t>(last - bytes.begin());
        const std::size_t length
            = (std::size_t(bytes[at - 4]) << 24) | (bytes[at - 3] << 16) | (bytes[at - 2] << 8) | bytes[at - 1];
        bytes[at + 4 + length] ^= 0xFF; // the chunk's CRC
    } else if (kind == "entropy.jpg") {
        bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() * 2 / 3), { 0xFF, 0xD3 });
    } else if (kind == "no_strips.tif") {
        // Every strip offset points far beyond the end of the file.
        const auto le = [&](std::size_t at, int n) {
            std::uint32_t v = 0;
            for (int i = n - 1; i >= 0; --i)
                v = (v << 8) | bytes[at + static_cast<std::size_t>(i)];
            return v;
        };
        const std::size_t ifd = le(4, 4);
        for (std::uint32_t i = 0, n = le(ifd, 2); i < n; ++i) {
            const std::size_t entry = ifd + 2 + 12 * i;
            if (le(entry, 2) != 273)
                continue;
            const std::size_t size = le(entry + 2, 2) == 4 ? 4 : 2, count = le(entry + 4, 4);
            const std::size_t at = count * size <= 4 ? entry + 8 : le(entry + 8, 4);
            for (std::size_t k = 0; k < count * size; ++k)
                bytes[at + k] = (k % size == size - 1) ? 0x7F : 0xFF;
        }
    } else if (kind == "half.gif" || kind == "half.bmp") {
        bytes.resize(bytes.size() / 2);
    } else {
        throw std::runtime_error("unknown damage " + kind);
    }
    WriteBytes(path, bytes);
}

std::vector<std::uint8_t> WmfBytes(int width, int height)
{
    std::vector<std::uint8_t> out;
    const auto put16 = [&](int v) {
        out.push_back(static_cast<std::uint8_t>(v & 0xFF));
        out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    };
    const auto put32 = [&](std::uint32_t v) { put16(static_cast<int>(v & 0xFFFF)), put16(static_cast<int>(v >> 16)); };
    // Records: size in 16-bit words, function, parameters.
    const std::vector<std::vector<int>> records = {
        { 0x020B, 0, 0 },                          // SetWindowOrg (y, x)
        { 0x020C, height, width },                 // SetWindowExt (y, x)
        { 0x02FC, 0, 0x00FF, 0x0000, 0 },          // CreateBrushIndirect: solid, red
        { 0x012D, 0 },                             // SelectObject
        { 0x041B, height + 2, width + 2, -2, -2 }, // Rectangle (bottom, right, top, left), its outline outside
        { 0x0000 },                                // end
    };
    std::uint32_t words = 9;
    for (const auto& r : records)
        words += 2 + static_cast<std::uint32_t>(r.size());
    // The placeable header: key, handle, bounding box, units an inch, reserved, checksum of the words before.
    put32(0x9AC6CDD7u), put16(0), put16(0), put16(0), put16(width), put16(height), put16(72), put32(0);
    int checksum = 0;
    for (std::size_t i = 0; i < out.size(); i += 2)
        checksum ^= out[i] | (out[i + 1] << 8);
    put16(checksum);
    put16(1), put16(9), put16(0x0300), put32(words), put16(1), put32(7), put16(0);
    for (const auto& r : records) {
        put32(static_cast<std::uint32_t>(2 + r.size())), put16(r[0]);
        for (std::size_t i = 1; i < r.size(); ++i)
            put16(r[i]);
    }
    return out;
}

std::vector<std::uint8_t> EmfBytes()
{
    std::vector<std::uint8_t> out(88, 0);
    out[0] = 1;  // EMR_HEADER
    out[4] = 88; // its size
    out[40] = ' ', out[41] = 'E', out[42] = 'M', out[43] = 'F';
    return out;
}

std::vector<std::uint8_t> PngBombBytes(std::uint32_t width, std::uint32_t height)
{
    std::vector<std::uint8_t> out = { 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A };
    const auto put32 = [](std::vector<std::uint8_t>& to, std::uint32_t v) {
        for (int s = 24; s >= 0; s -= 8)
            to.push_back(static_cast<std::uint8_t>(v >> s));
    };
    // Length, type and data, then the CRC-32 of type and data.
    const auto chunk = [&](const char* type, std::vector<std::uint8_t> data) {
        put32(out, static_cast<std::uint32_t>(data.size()));
        data.insert(data.begin(), type, type + 4);
        out.insert(out.end(), data.begin(), data.end());
        std::uint32_t c = 0xffffffffu;
        for (const std::uint8_t byte : data) {
            c ^= byte;
            for (int k = 0; k < 8; ++k)
                c = (c >> 1) ^ (0xedb88320u & (0u - (c & 1u)));
        }
        put32(out, c ^ 0xffffffffu);
    };
    std::vector<std::uint8_t> ihdr;
    put32(ihdr, width), put32(ihdr, height);
    ihdr.insert(ihdr.end(), { 8, 2, 0, 0, 0 }); // 8-bit RGB
    chunk("IHDR", ihdr);
    // A zlib stream of a few stored zero bytes: far too little for the declared size.
    chunk("IDAT", { 0x78, 0x01, 0x01, 0x04, 0x00, 0xfb, 0xff, 0, 0, 0, 0, 0x00, 0x00, 0x00, 0x01 });
    chunk("IEND", {});
    return out;
}

} // namespace testpics
