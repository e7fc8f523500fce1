#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Pictures and files made at run time for the tests, written with the image
// library directly so the code under test does not make its own fixtures.
namespace testpics {

// A fresh folder under the system temp folder, removed by the destructor.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// A colour picture with a gradient, so resampling and encodings are not trivial. JPEGs are
// coded as small as the encoder can.
// format: "jpg", "jpgp" (progressive), "wmf" (a red rectangle, not the gradient), "png", "gif", "tif", "bmp", "pcx"
// (the last two through ImageMagick's writer); also "gif1" ... "gif8" (a palette of 2^n entries, no dithering), "png1",
// "png2", "png4", "png8" (a palette PNG of that bit depth), "grey" (a one-band JPEG) and "p3" (a JPEG of the sRGB
// gradient as Display P3 numbers, the profile embedded).
void WriteColour(const std::string& path, int width, int height, const std::string& format, int quality = 85);
// Solid colour in the format of the path's extension; a JPEG of 1024 x 768 at quality 10 is under 5000 bytes.
void WriteSolid(
    const std::string& path, int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b, int quality = 85);
// No dark pixel (every channel 64 or more) and brightest at the borders: red rises toward the left and right
// edges, green toward the top and bottom. In the format of the path's extension.
void WriteBrightEdges(const std::string& path, int width, int height, int quality = 95);
// PNG with alpha: left half opaque red, right half fully transparent.
void WriteAlphaPng(const std::string& path, int width, int height);
// A stored-width x stored-height JPEG tagged with an EXIF orientation.
void WriteOrientedJpeg(const std::string& path, int storedWidth, int storedHeight, int orientation);
// Random noise JPEG, which compresses badly: good for target-size searches.
void WriteNoiseJpeg(const std::string& path, int width, int height, unsigned seed = 1);

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadBytes(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
std::string ReadText(const std::string& path);

// A placeable Windows metafile of width x height pixels (at 72 an inch), all red.
std::vector<std::uint8_t> WmfBytes(int width, int height);
// The header of an enhanced metafile and nothing drawn.
std::vector<std::uint8_t> EmfBytes();

// A PNG whose header declares width x height but carries almost no data.
std::vector<std::uint8_t> PngBombBytes(std::uint32_t width, std::uint32_t height);

// Damaged pictures whose header is sound: "idat_crc.png" (noise in many IDAT chunks, the CRC of the last
// one wrong), "entropy.jpg" (a stray restart marker in the middle of the scan), "half.gif" and "half.bmp"
// (cut in the middle of the pixels), "no_strips.tif" (a sound header, no pixel data where it says). The kind
// is the file name.
void WriteDamaged(const std::string& path, const std::string& kind);

} // namespace testpics
