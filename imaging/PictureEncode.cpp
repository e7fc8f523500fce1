// Getting a picture out: encoded to memory, written to a file, or as plain pixels.
#include <algorithm>

#include "files/OutputFile.h"
#include "imaging/PictureImpl.h"
#include "imaging/RasterWriters.h"

using namespace picture_impl;

namespace {

// The picture's pixels as 3-band 8-bit, decoding from the file if need be.
bool Flattened(const Picture::Impl& impl, VImage& out, PictureFailure& failure)
{
    if (!impl.fromFile) {
        try {
            out = Flatten(impl.image);
            return true;
        } catch (const vips::VError& e) {
            failure = { PictureError::LibraryFailed, TakeVipsError(e) };
            return false;
        }
    }
    std::string warning;
    return Materialize([&](VipsFailOn f) { return Flatten(impl.Open(f, 1)); }, out, warning, failure);
}

// The GIF writer may declare a transparent palette entry that no pixel uses; our
// outputs hold no transparency, so decoders must not be told otherwise.
void ClearGifTransparency(std::vector<std::uint8_t>& gif)
{
    const std::size_t n = gif.size();
    auto skipSubBlocks = [&](std::size_t i) {
        while (i < n && gif[i] != 0)
            i += gif[i] + 1u;
        return i + 1;
    };
    auto skipPalette
        = [&](std::size_t i, std::uint8_t packed) { return (packed & 0x80) ? i + 3u * (2u << (packed & 0x07)) : i; };
    if (n < 13)
        return;
    std::size_t i = skipPalette(13, gif[10]);
    while (i < n && gif[i] != 0x3B) {
        if (gif[i] == 0x21 && i + 1 < n) {
            if (gif[i + 1] == 0xF9 && i + 3 < n && gif[i + 2] == 4)
                gif[i + 3] &= static_cast<std::uint8_t>(~0x01);
            i = skipSubBlocks(i + 2);
        } else if (gif[i] == 0x2C && i + 9 < n) {
            i = skipPalette(i + 10, gif[i + 9]);
            i = skipSubBlocks(i + 1); // after the LZW code size
        } else {
            return;
        }
    }
}

// The pixels to encode: flattened, or 8-bit sRGB keeping alpha where the picture has it.
bool Prepared(const Picture::Impl& impl, bool keepAlpha, VImage& out, PictureFailure& failure)
{
    if (!keepAlpha || impl.flatten)
        return Flattened(impl, out, failure);
    if (!impl.fromFile) {
        out = impl.image;
        return true;
    }
    std::string warning;
    return Materialize([&](VipsFailOn f) { return impl.Open(f, 1); }, out, warning, failure);
}

std::vector<std::uint8_t> TakeBlob(VipsBlob* blob)
{
    std::vector<std::uint8_t> bytes;
    if (!blob)
        return bytes;
    std::size_t size = 0;
    const void* data = vips_blob_get(blob, &size);
    bytes.assign(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size);
    vips_area_unref(VIPS_AREA(blob));
    return bytes;
}

// The formats with an encoder of their own quality; the library may have been built without one.
std::vector<std::uint8_t> EncodeModern(VImage img, const FormatRow& row, const EncodeOptions& o)
{
    const int q = std::clamp(o.quality, 1, 100);
    switch (row.format) {
    case PictureFormat::Webp:
        return TakeBlob(img.webpsave_buffer(
            VImage::option()->set("Q", q)->set("lossless", o.lossless)->set("strip", true)->set("effort", 4)));
    case PictureFormat::Jxl:
        return TakeBlob(img.jxlsave_buffer(VImage::option()->set("Q", q)->set("lossless", o.lossless)));
    case PictureFormat::Avif:
    case PictureFormat::Heic:
        return TakeBlob(
            img.heifsave_buffer(VImage::option()
                                    ->set("Q", q)
                                    ->set("bitdepth", 8)
                                    ->set("compression",
                                        row.format == PictureFormat::Avif ? VIPS_FOREIGN_HEIF_COMPRESSION_AV1
                                                                          : VIPS_FOREIGN_HEIF_COMPRESSION_HEVC)
                                    ->set("strip", true)));
    default:
        return {};
    }
}

} // namespace

namespace {

// The options of the classic formats' encoders, one place for the file and for memory.
vips::VOption* PngOptions() { return VImage::option()->set("compression", 6)->set("strip", true); }
vips::VOption* TiffOptions()
{
    return VImage::option()
        ->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_LZW)
        ->set("predictor", VIPS_FOREIGN_TIFF_PREDICTOR_HORIZONTAL)
        ->set("strip", true);
}

std::vector<std::uint8_t> TakeBuffer(void* buf, std::size_t size)
{
    std::vector<std::uint8_t> bytes(static_cast<std::uint8_t*>(buf), static_cast<std::uint8_t*>(buf) + size);
    g_free(buf);
    return bytes;
}

// The classic formats, each the way it is written. Throws the library's errors.
std::vector<std::uint8_t> EncodeClassic(VImage img, PictureFormat format, int quality)
{
    void* buf = nullptr;
    std::size_t size = 0;
    switch (format) {
    case PictureFormat::Bmp:
    case PictureFormat::Pcx: {
        Rgb888 px;
        px.width = img.width();
        px.height = img.height();
        void* pixels = img.write_to_memory(&size);
        px.bytes = TakeBuffer(pixels, size);
        return format == PictureFormat::Bmp ? EncodeBmp24(px) : EncodePcx24(px);
    }
    case PictureFormat::Gif: {
        // The lowest palette effort: six times faster than the default for about 1 dB less,
        // which the dithering hides.
        img.write_to_buffer(".gif", &buf, &size,
            VImage::option()->set("bitdepth", 8)->set("dither", 1.0)->set("effort", 1)->set("strip", true));
        std::vector<std::uint8_t> gif = TakeBuffer(buf, size);
        // With alpha kept, the transparent entry is meant.
        if (!img.has_alpha())
            ClearGifTransparency(gif);
        return gif;
    }
    case PictureFormat::Png:
        img.write_to_buffer(".png", &buf, &size, PngOptions());
        return TakeBuffer(buf, size);
    case PictureFormat::Tif:
        img.write_to_buffer(".tif", &buf, &size, TiffOptions());
        return TakeBuffer(buf, size);
    default:
        img.write_to_buffer(
            ".jpg", &buf, &size, VImage::option()->set("Q", std::clamp(quality, 1, 100))->set("strip", true));
        return TakeBuffer(buf, size);
    }
}

// Alpha survives only in the classic formats that hold it.
bool ClassicKeepsAlpha(PictureFormat format, bool keepAlpha)
{
    return keepAlpha && format != PictureFormat::Bmp && format != PictureFormat::Pcx && format != PictureFormat::Jpeg
        && format != PictureFormat::Unknown;
}

} // namespace

std::vector<std::uint8_t> Picture::Encode(PictureFormat format, const EncodeOptions& options) const
{
    LibraryUse use;
    m_failure = {};
    if (StopScope::Requested()) {
        Fail(PictureError::Stopped, kStopped);
        return {};
    }
    if (!m_impl) {
        Fail(PictureError::WriteFailed, "no picture to save");
        return {};
    }
    const FormatRow* row = FindFormatRow(format);
    if (!row || !HasOwnQuality(*row)) {
        VImage img;
        if (!Prepared(*m_impl, ClassicKeepsAlpha(format, options.keepAlpha), img, m_failure))
            return {};
        try {
            return EncodeClassic(img, format, options.quality);
        } catch (const vips::VError& e) {
            Fail(PictureError::WriteFailed, "could not write: " + TakeVipsError(e));
            return {};
        }
    }
    const std::string name(row->name);
    if (!row->saver.empty() && vips_type_find("VipsOperation", std::string(row->saver).c_str()) == 0) {
        Fail(PictureError::WriteFailed, "could not write: this system has no " + name + " encoder");
        return {};
    }
    VImage img;
    if (!Prepared(*m_impl, options.keepAlpha && row->keepsAlpha, img, m_failure))
        return {};
    try {
        std::vector<std::uint8_t> bytes = EncodeModern(img, *row, options);
        if (bytes.empty())
            Fail(PictureError::WriteFailed, "could not write: the " + name + " encoder gave no data");
        return bytes;
    } catch (const vips::VError& e) {
        Fail(PictureError::WriteFailed, "could not write " + name + ": " + TakeVipsError(e));
        return {};
    }
}

std::vector<std::uint8_t> Picture::EncodeJpeg(int quality) const
{
    LibraryUse use;
    if (StopScope::Requested())
        return {};
    VImage img;
    PictureFailure ignored;
    if (!m_impl || !Flattened(*m_impl, img, ignored))
        return {};
    try {
        return EncodeClassic(img, PictureFormat::Jpeg, quality);
    } catch (const vips::VError&) {
        ClearLibraryErrors();
        return {};
    }
}

bool Picture::Save(const std::string& path, PictureFormat format, int quality) const
{
    return Save(path, format, EncodeOptions { .quality = quality });
}

bool Picture::Save(const std::string& path, PictureFormat format, const EncodeOptions& options) const
{
    LibraryUse use;
    m_failure = {};
    // PNG and TIFF stream into the file, the others are as small as their pixels or smaller.
    if (format != PictureFormat::Png && format != PictureFormat::Tif) {
        const std::vector<std::uint8_t> bytes = Encode(format, options);
        if (bytes.empty())
            return false;
        std::string error;
        return WriteFileBytes(path, bytes, error) || Fail(PictureError::WriteFailed, error);
    }
    VImage img;
    if (!m_impl)
        return Fail(PictureError::WriteFailed, "no picture to save");
    if (!Prepared(*m_impl, ClassicKeepsAlpha(format, options.keepAlpha), img, m_failure))
        return false;
    try {
        if (format == PictureFormat::Png)
            img.pngsave(path.c_str(), PngOptions());
        else
            img.tiffsave(path.c_str(), TiffOptions());
        return true;
    } catch (const vips::VError& e) {
        return Fail(PictureError::WriteFailed, "could not write: " + TakeVipsError(e));
    }
}

Rgb888 Picture::ToRgb888() const
{
    LibraryUse use;
    Rgb888 px;
    VImage img;
    PictureFailure ignored;
    if (!m_impl || !Flattened(*m_impl, img, ignored))
        return px;
    try {
        size_t size = 0;
        void* mem = img.write_to_memory(&size);
        px.width = img.width();
        px.height = img.height();
        px.bytes.assign(static_cast<std::uint8_t*>(mem), static_cast<std::uint8_t*>(mem) + size);
        g_free(mem);
    } catch (const vips::VError&) {
        ClearLibraryErrors();
        px = Rgb888 {};
    }
    return px;
}
