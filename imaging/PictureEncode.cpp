// Getting a picture out: encoded to memory, written to a file, or as plain pixels.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <png.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "files/OutputFile.h"
#include "imaging/PictureImpl.h"
#include "imaging/PngWriter.h"
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
// A picture still in its file is opened to be decoded in order, as the encoder asks for rows.
VImage PixelsOf(const Picture::Impl& impl, bool keepAlpha, VipsFailOn failOn)
{
    VImage img = impl.fromFile ? impl.Open(failOn, 1, true) : impl.image;
    return keepAlpha && !impl.flatten ? img : Flatten(img);
}

// Runs write, one pass of an encoder over the picture's pixels. A picture still in its file is
// decoded while the encoder pulls its rows, so no whole copy is made. The verdict on damage is
// Materialize's, with the encoder where it makes a copy: the first pass takes any decoder warning
// for an error, a message that may be another thread's is checked by a pass alone, and a damaged
// file is passed again taking what can be read, with the warning kept. write returns false (with
// error) only when our own writing failed, which no second pass would mend; the library throws.
template <class Write>
bool Stream(const Picture::Impl& impl, bool keepAlpha, const std::string& what, Write write, std::string& warning,
    PictureFailure& failure)
{
    std::string error;
    auto ownFailure = [&] {
        failure = { PictureError::WriteFailed, error };
        return false;
    };
    if (!impl.fromFile) {
        try {
            return write(PixelsOf(impl, keepAlpha, VIPS_FAIL_ON_NONE), error) || ownFailure();
        } catch (const vips::VError& e) {
            failure = { StopScope::Requested() ? PictureError::Stopped : PictureError::WriteFailed,
                StopScope::Requested() ? kStopped : what + ": " + TakeVipsError(e) };
            ClearLibraryErrors();
            return false;
        }
    }
    // A failure here is the decoder's or the encoder's; the passes below tell which.
    switch (RunStrictPass([&] { return write(PixelsOf(impl, keepAlpha, VIPS_FAIL_ON_WARNING), error); })) {
    case StrictPass::Clean:
        return true;
    case StrictPass::Abandoned:
        return ownFailure();
    case StrictPass::Failed:
        break;
    }
    const auto stopped = [&failure] {
        ClearLibraryErrors();
        failure = { PictureError::Stopped, kStopped };
        return false;
    };
    if (StopScope::Requested())
        return stopped();
    std::string why;
    try {
        if (!write(PixelsOf(impl, keepAlpha, VIPS_FAIL_ON_NONE), error))
            return ownFailure();
        ClearLibraryErrors();
        warning = kDamaged;
        return true;
    } catch (const vips::VError& e) {
        if (StopScope::Requested())
            return stopped();
        why = TakeVipsError(e);
    }
    // The decoder or the encoder: a pass that only decodes tells which one failed.
    try {
        (void)PixelsOf(impl, keepAlpha, VIPS_FAIL_ON_NONE).avg();
        ClearLibraryErrors();
        failure = { PictureError::WriteFailed, what + ": " + why };
    } catch (const vips::VError&) {
        ClearLibraryErrors();
        failure = { PictureError::Damaged, kNothingDecoded };
    }
    return false;
}

// Hands the picture's rows to writer (PutRows, GetError, Finish) a band at a time, top to
// bottom, as the library makes them; then finishes the file.
template <class Writer>
bool PullRows(const VImage& img, Writer& writer, std::string& error)
{
    const int result = vips_sink_disc(
        img.get_image(),
        [](VipsRegion* region, VipsRect* area, void* a) {
            const auto* rows = reinterpret_cast<const std::uint8_t*>(VIPS_REGION_ADDR(region, area->left, area->top));
            try { // called from the library's own thread: nothing may be thrown back into it
                return static_cast<Writer*>(a)->PutRows(rows, VIPS_REGION_LSKIP(region), area->height) ? 0 : -1;
            } catch (...) {
                return -1;
            }
        },
        &writer);
    if (writer.GetError().empty() && result != 0)
        throw vips::VError(); // the decoder's, in the library's error buffer (or memory ran out)
    if (!writer.Finish()) {
        error = writer.GetError();
        return false;
    }
    return true;
}

// BMP and PCX, 24 bits.
bool WriteRaster(const VImage& img, const std::string& path, RasterFileWriter::Kind kind, std::string& error)
{
    if (img.bands() != 3 || img.format() != VIPS_FORMAT_UCHAR) {
        error = "could not write: the picture is not 24-bit colour";
        return false;
    }
    std::unique_ptr<RasterFileWriter> writer = RasterFileWriter::Create(kind, path, img.width(), img.height(), error);
    return writer && PullRows(img, *writer, error);
}

// The GIF writer may declare a transparent palette entry that no pixel uses; the declaration
// comes before the first image's data, near the start of the file.
bool ClearGifTransparencyInFile(const std::string& path, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    std::vector<std::uint8_t> head(64 * 1024);
    const ssize_t n = fd < 0 ? -1 : ::pread(fd, head.data(), head.size(), 0);
    bool ok = n >= 0;
    if (ok) {
        head.resize(static_cast<std::size_t>(n));
        std::vector<std::uint8_t> cleared = head;
        ClearGifTransparency(cleared);
        if (cleared != head)
            ok = ::pwrite(fd, cleared.data(), cleared.size(), 0) == n;
    }
    if (fd >= 0 && ::close(fd) != 0)
        ok = false;
    if (!ok)
        error = "could not write: the disk is full or the file cannot be written";
    return ok;
}

// ---- PNG: lossless always; the encoding is chosen per picture ----

// Pictures up to a 4K screen are looked at whole to choose; larger ones are written unseen.
constexpr std::uint64_t kPngAnalysed = 3840ull * 2160ull;
// More colours than this: a photograph, whose rows shrink most with adaptive filters.
constexpr int kGraphicColours = 16384;

// The distinct colours of a picture in memory, counted up to cap + 1.
int CountColours(const VImage& img, int cap)
{
    const auto* p = static_cast<const std::uint8_t*>(img.data());
    const int bands = img.bands();
    const std::size_t pixels = static_cast<std::size_t>(img.width()) * static_cast<std::size_t>(img.height());
    constexpr std::uint64_t empty = ~std::uint64_t(0);
    std::vector<std::uint64_t> slots(std::size_t(1) << 16, empty); // at most a quarter full
    const std::size_t mask = slots.size() - 1;
    int count = 0;
    std::uint64_t last = empty;
    for (std::size_t i = 0; i < pixels; ++i, p += bands) {
        std::uint64_t key = 0;
        for (int b = 0; b < bands; ++b)
            key |= static_cast<std::uint64_t>(p[b]) << (8 * b);
        if (key == last)
            continue;
        last = key;
        std::size_t slot = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 48) & mask;
        while (slots[slot] != empty && slots[slot] != key)
            slot = (slot + 1) & mask;
        if (slots[slot] == empty) {
            slots[slot] = key;
            if (++count > cap)
                return count;
        }
    }
    return count;
}

// Adaptive filters and Huffman coding alone: for photographs smaller than ImageMagick's
// default and quicker to write than the library's.
constexpr PngEncoding kPhotoPng { PNG_ALL_FILTERS, 6, Z_HUFFMAN_ONLY };
// A large picture written without a look at it: as good as ImageMagick on photographs and
// drawings alike, within a few per cent on screens of text.
constexpr PngEncoding kUnseenPng { PNG_ALL_FILTERS, 4, Z_FILTERED };

// The PNG of rows [top, top + count) of a picture in memory, in memory.
std::vector<std::uint8_t> PngOfRows(const VImage& img, int top, int count, const PngEncoding& encoding)
{
    std::string error;
    std::unique_ptr<PngRowWriter> writer = PngRowWriter::Create("", img.width(), count, img.bands(), encoding, error);
    const std::size_t stride = VIPS_IMAGE_SIZEOF_LINE(img.get_image());
    const auto* rows = static_cast<const std::uint8_t*>(img.data()) + static_cast<std::size_t>(top) * stride;
    if (!writer || !writer->PutRows(rows, stride, count) || !writer->Finish())
        return {};
    return std::move(writer->Bytes());
}

// Drawings and screens: which of a few encodings is smallest shows on a band of rows (a 16th) from the
// middle. Unfiltered text matches itself across rows, flat shapes and gradients want filters.
PngEncoding ChooseForGraphic(const VImage& img)
{
    const int h = img.height();
    const int rows = std::min(h, std::max(24, h / 16));
    const PngEncoding candidates[] = { { PNG_FILTER_NONE, 3, Z_DEFAULT_STRATEGY },
        { PNG_FILTER_NONE, 6, Z_DEFAULT_STRATEGY }, { PNG_ALL_FILTERS, 6, Z_DEFAULT_STRATEGY } };
    PngEncoding best = kUnseenPng;
    std::size_t smallest = SIZE_MAX;
    for (const PngEncoding& c : candidates) {
        const std::vector<std::uint8_t> bytes = PngOfRows(img, (h - rows) / 2, rows, c);
        if (!bytes.empty() && bytes.size() < smallest) {
            smallest = bytes.size();
            best = c;
        }
    }
    return best;
}

// A photograph (a colour JPEG) is written as one without a look at its pixels, so it is encoded
// while it is decoded. Other pictures up to kPngAnalysed are looked at whole: as a photograph
// when they have many colours, else a trial on a band. Always 24 bits (32 with alpha kept), as
// the other lossless formats: no palette, whatever the colours.
bool SavePng(VImage img, bool photo, bool keepMetadata, const std::string& path, std::string& error)
{
    if (img.format() != VIPS_FORMAT_UCHAR || (img.bands() != 3 && img.bands() != 4)) {
        error = "could not write: the picture is not 8-bit colour";
        return false;
    }
    PngEncoding encoding = photo ? kPhotoPng : kUnseenPng;
    if (!photo && static_cast<std::uint64_t>(img.width()) * static_cast<std::uint64_t>(img.height()) <= kPngAnalysed) {
        img = img.copy_memory(); // nothing is copied when the pixels are in memory already
        encoding = CountColours(img, kGraphicColours) > kGraphicColours ? kPhotoPng : ChooseForGraphic(img);
    }
    PngMetadata metadata;
    if (keepMetadata) {
        const auto blob = [&img](const char* field) {
            std::size_t size = 0;
            const auto* data
                = static_cast<const std::uint8_t*>(img.get_typeof(field) != 0 ? img.get_blob(field, &size) : nullptr);
            return std::vector<std::uint8_t>(data, data + size);
        };
        metadata.exif = blob("exif-data");
        // eXIf holds the block without the header a JPEG segment needs.
        if (metadata.exif.size() >= 6 && std::equal(metadata.exif.begin(), metadata.exif.begin() + 6, "Exif\0\0"))
            metadata.exif.erase(metadata.exif.begin(), metadata.exif.begin() + 6);
        metadata.icc = blob("icc-profile-data");
        const std::vector<std::uint8_t> xmp = blob("xmp-data");
        metadata.xmp.assign(xmp.begin(), xmp.end());
    }
    std::unique_ptr<PngRowWriter> writer
        = PngRowWriter::Create(path, img.width(), img.height(), img.bands(), encoding, error, metadata);
    return writer && PullRows(img, *writer, error);
}

// The formats whose files carry EXIF, XMP or a colour profile.
bool CarriesMetadata(PictureFormat format)
{
    return format != PictureFormat::Bmp && format != PictureFormat::Pcx && format != PictureFormat::Gif;
}

// One pass of the format's encoder over the pixels into the file at path. With keepMetadata the
// picture's metadata (made fit by KeepMetadata) goes along, else none.
// photo: the picture came from a colour JPEG, whose every pixel is a little different from the next.
bool WriteFile(const VImage& img, const std::string& path, PictureFormat format, int quality, bool photo,
    bool keepMetadata, std::string& error)
{
    switch (format) {
    case PictureFormat::Bmp:
        return WriteRaster(img, path, RasterFileWriter::Kind::Bmp, error);
    case PictureFormat::Pcx:
        return WriteRaster(img, path, RasterFileWriter::Kind::Pcx, error);
    case PictureFormat::Gif:
        // The lowest palette effort: six times faster than the default for about 1 dB less,
        // which the dithering hides.
        img.gifsave(path.c_str(),
            VImage::option()->set("bitdepth", 8)->set("dither", 1.0)->set("effort", 1)->set("strip", true));
        // With alpha kept, the transparent entry is meant.
        return img.has_alpha() || ClearGifTransparencyInFile(path, error);
    case PictureFormat::Png:
        return SavePng(img, photo, keepMetadata, path, error);
    case PictureFormat::Tif:
        img.tiffsave(path.c_str(),
            VImage::option()
                ->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_LZW)
                ->set("predictor", VIPS_FOREIGN_TIFF_PREDICTOR_HORIZONTAL)
                ->set("strip", !keepMetadata));
        return true;
    default:
        img.jpegsave(
            path.c_str(), VImage::option()->set("Q", std::clamp(quality, 1, 100))->set("strip", !keepMetadata));
        return true;
    }
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
    const bool strip = !o.keepMetadata;
    switch (row.format) {
    case PictureFormat::Webp:
        return TakeBlob(img.webpsave_buffer(
            VImage::option()->set("Q", q)->set("lossless", o.lossless)->set("strip", strip)->set("effort", 4)));
    case PictureFormat::Jxl:
        // This library's JPEG XL writer keeps the colour profile only.
        return TakeBlob(
            img.jxlsave_buffer(VImage::option()->set("Q", q)->set("lossless", o.lossless)->set("strip", strip)));
    case PictureFormat::Avif:
    case PictureFormat::Heic:
        return TakeBlob(
            img.heifsave_buffer(VImage::option()
                                    ->set("Q", q)
                                    ->set("bitdepth", 8)
                                    ->set("compression",
                                        row.format == PictureFormat::Avif ? VIPS_FOREIGN_HEIF_COMPRESSION_AV1
                                                                          : VIPS_FOREIGN_HEIF_COMPRESSION_HEVC)
                                    ->set("strip", strip)));
    default:
        return {};
    }
}

} // namespace

namespace {

// Alpha survives only in the classic formats that hold it.
bool ClassicKeepsAlpha(PictureFormat format, bool keepAlpha)
{
    return keepAlpha && format != PictureFormat::Bmp && format != PictureFormat::Pcx && format != PictureFormat::Jpeg
        && format != PictureFormat::Unknown;
}

// BMP, GIF, JPEG, PCX, PNG and TIFF into the file, streamed from the decoder where the picture is
// still in its file.
bool SaveClassic(const Picture::Impl& impl, const std::string& path, PictureFormat format, const EncodeOptions& options,
    std::string& warning, std::string& metadataWarning, PictureFailure& failure)
{
    const bool photo = impl.loader == "jpegload" && impl.bpp != 8;
    const bool keep = options.keepMetadata && CarriesMetadata(format);
    auto write = [&](VImage img, std::string& error) {
        StopWatch watch(img);
        metadataWarning.clear();
        if (keep)
            img = KeepMetadata(img, format, options.stripGps, metadataWarning);
        return WriteFile(img, path, format, options.quality, photo, keep, error);
    };
    return Stream(impl, ClassicKeepsAlpha(format, options.keepAlpha), "could not write", write, warning, failure);
}

// The same in memory: the very bytes of the file, written to a file that lives in memory.
std::vector<std::uint8_t> EncodeClassic(const Picture::Impl& impl, PictureFormat format, const EncodeOptions& options,
    std::string& warning, std::string& metadataWarning, PictureFailure& failure)
{
    const int fd = ::memfd_create("kestrova-encode", MFD_CLOEXEC);
    if (fd < 0) {
        failure = { PictureError::WriteFailed, std::string("could not write: ") + std::strerror(errno) };
        return {};
    }
    std::vector<std::uint8_t> bytes;
    if (SaveClassic(impl, "/proc/self/fd/" + std::to_string(fd), format, options, warning, metadataWarning, failure)) {
        struct stat st { };
        bool ok = ::fstat(fd, &st) == 0;
        if (ok)
            bytes.resize(static_cast<std::size_t>(st.st_size));
        for (std::size_t done = 0; ok && done < bytes.size();) {
            const ssize_t n = ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
            ok = n > 0 || (n < 0 && errno == EINTR);
            done += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        if (!ok) {
            bytes.clear();
            failure = { PictureError::WriteFailed, "could not write: the encoded picture could not be read back" };
        }
    }
    ::close(fd);
    return bytes;
}

} // namespace

std::vector<std::uint8_t> Picture::Encode(PictureFormat format, const EncodeOptions& options) const
{
    LibraryUse use;
    m_failure = {};
    m_writeWarning.clear();
    m_metadataWarning.clear();
    if (StopScope::Requested()) {
        Fail(PictureError::Stopped, kStopped);
        return {};
    }
    if (!m_impl) {
        Fail(PictureError::WriteFailed, "no picture to save");
        return {};
    }
    const FormatRow* row = FindFormatRow(format);
    if (!row || !HasOwnQuality(*row))
        return EncodeClassic(*m_impl, format, options, m_writeWarning, m_metadataWarning, m_failure);
    const std::string name(row->name);
    if (!row->saver.empty() && vips_type_find("VipsOperation", std::string(row->saver).c_str()) == 0) {
        Fail(PictureError::WriteFailed, "could not write: this system has no " + name + " encoder");
        return {};
    }
    std::vector<std::uint8_t> bytes;
    auto encode = [&](VImage img, std::string&) {
        StopWatch watch(img);
        m_metadataWarning.clear();
        img = options.keepMetadata ? KeepMetadata(img, row->format, options.stripGps, m_metadataWarning)
                                   : WithoutMetadata(img);
        bytes = EncodeModern(img, *row, options);
        return true;
    };
    if (!Stream(*m_impl, options.keepAlpha && row->keepsAlpha, "could not write " + name, encode, m_writeWarning,
            m_failure))
        return {};
    if (bytes.empty())
        Fail(PictureError::WriteFailed, "could not write: the " + name + " encoder gave no data");
    return bytes;
}

std::vector<std::uint8_t> Picture::EncodeJpeg(int quality) const
{
    return EncodeJpeg(EncodeOptions { .quality = quality });
}

std::vector<std::uint8_t> Picture::EncodeJpeg(const EncodeOptions& options) const
{
    LibraryUse use;
    m_metadataWarning.clear();
    if (StopScope::Requested())
        return {};
    VImage img;
    PictureFailure ignored;
    if (!m_impl || !Flattened(*m_impl, img, ignored))
        return {};
    try {
        if (options.keepMetadata)
            img = KeepMetadata(img, PictureFormat::Jpeg, options.stripGps, m_metadataWarning);
        void* buf = nullptr;
        std::size_t size = 0;
        img.write_to_buffer(".jpg", &buf, &size,
            VImage::option()->set("Q", std::clamp(options.quality, 1, 100))->set("strip", !options.keepMetadata));
        std::vector<std::uint8_t> bytes(static_cast<std::uint8_t*>(buf), static_cast<std::uint8_t*>(buf) + size);
        g_free(buf);
        return bytes;
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
    m_writeWarning.clear();
    m_metadataWarning.clear();
    if (const FormatRow* row = FindFormatRow(format); row && HasOwnQuality(*row)) {
        const std::vector<std::uint8_t> bytes = Encode(format, options);
        if (bytes.empty())
            return false;
        std::string error;
        return WriteFileBytes(path, bytes, error) || Fail(PictureError::WriteFailed, error);
    }
    if (StopScope::Requested())
        return Fail(PictureError::Stopped, kStopped);
    if (!m_impl)
        return Fail(PictureError::WriteFailed, "no picture to save");
    return SaveClassic(*m_impl, path, format, options, m_writeWarning, m_metadataWarning, m_failure);
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
