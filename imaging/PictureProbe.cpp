// Opening a picture: is the file one we take, and is it small enough, decided from
// its header before any pixel is decoded.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <span>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "imaging/HeaderSniff.h"
#include "imaging/PictureImpl.h"

using namespace picture_impl;

namespace {

std::atomic<std::uint64_t> g_pixelLimit { Picture::DefaultPixelLimit };

// The loaders we hand files to; anything else the library could open (text
// matrices, PDF, SVG...) is not a picture for this program.
bool IsPictureLoader(const std::string& name)
{
    static const char* const allowed[]
        = { "jpegload", "pngload", "gifload", "tiffload", "webpload", "heifload", "jxlload", "magickload", "jp2kload" };
    for (const char* a : allowed)
        if (name == a)
            return true;
    return false;
}

bool ReadHead(const std::string& path, std::vector<std::uint8_t>& head, PictureFailure& failure)
{
    // O_NONBLOCK so that a FIFO or device never blocks us; only regular files pass.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        failure = { PictureError::Unreadable, std::string("cannot read: ") + std::strerror(errno) };
        return false;
    }
    struct stat st { };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        failure
            = { PictureError::Unreadable, S_ISDIR(st.st_mode) ? "not a file: it is a folder" : "not a regular file" };
        return false;
    }
    if (st.st_size == 0) {
        ::close(fd);
        failure = { PictureError::NotAPicture, "not a picture: the file is empty" };
        return false;
    }
    head.resize(SniffBytes);
    const ssize_t n = ::read(fd, head.data(), head.size());
    ::close(fd);
    if (n < 0) {
        failure = { PictureError::Unreadable, std::string("cannot read: ") + std::strerror(errno) };
        return false;
    }
    head.resize(static_cast<std::size_t>(n));
    return true;
}

// More scans than any encoder makes for a real photograph; each one is a pass over
// every pixel, so thousands of them keep the decoder busy for seconds.
constexpr int kMaxJpegScans = 1000;

bool TooManyScans(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false; // the decoder says why it cannot read it
    JpegScanCounter counter;
    std::vector<std::uint8_t> chunk(64 * 1024);
    for (ssize_t n;
         counter.Scans() <= kMaxJpegScans && !counter.Ended() && (n = ::read(fd, chunk.data(), chunk.size())) > 0;)
        counter.Feed({ chunk.data(), static_cast<std::size_t>(n) });
    ::close(fd);
    return counter.Scans() > kMaxJpegScans;
}

// The short name of a loader class ("VipsForeignLoadJpegSource" -> "jpegload"),
// without the "_source" or "_buffer" of the variant found.
std::string LoaderName(const char* className)
{
    if (!className)
        return "";
    const char* nick = vips_nickname_find(g_type_from_name(className));
    std::string name = nick ? nick : className;
    for (const char* variant : { "_source", "_buffer" })
        if (name.ends_with(variant))
            name.erase(name.size() - std::strlen(variant));
    return name;
}

// The loader for the content, never for the name: found from the file itself, or,
// for the formats only ImageMagick reads, from its first bytes.
std::string FindLoader(const std::string& path, std::span<const std::uint8_t> head)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return "";
    std::string found;
    try {
        vips::VSource source = vips::VSource::new_from_descriptor(fd);
        found = LoaderName(vips_foreign_find_load_source(source.get_source()));
    } catch (const vips::VError&) {
    }
    ::close(fd);
    if (found.empty())
        found = LoaderName(vips_foreign_find_load_buffer(head.data(), head.size()));
    ClearLibraryErrors();
    return found;
}

bool ReadWholeFile(int fd, std::vector<std::uint8_t>& bytes)
{
    std::uint8_t chunk[64 * 1024];
    for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) != 0;) {
        if (n < 0)
            return false;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return true;
}

} // namespace

namespace picture_impl {

VImage OpenExact(const std::string& path, const std::string& loader, vips::VOption* options)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st { };
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        delete options;
        throw vips::VError("cannot read the file");
    }
    VImage out;
    if (loader == "magickload") {
        // ImageMagick has no reader for an open file, and would read "[...]" in a name itself.
        std::vector<std::uint8_t> bytes;
        const bool read = ReadWholeFile(fd, bytes);
        ::close(fd);
        if (!read) {
            delete options;
            throw vips::VError("cannot read the file");
        }
        VipsBlob* blob = vips_blob_copy(bytes.data(), bytes.size());
        try {
            VImage::call("magickload_buffer", options->set("buffer", blob)->set("out", &out));
        } catch (...) {
            vips_area_unref(VIPS_AREA(blob));
            throw;
        }
        vips_area_unref(VIPS_AREA(blob));
        return out;
    }
    vips::VSource source = [&] {
        try {
            vips::VSource s = vips::VSource::new_from_descriptor(fd);
            ::close(fd);
            return s;
        } catch (...) {
            ::close(fd);
            delete options;
            throw;
        }
    }();
    VImage::call((loader + "_source").c_str(), options->set("source", source)->set("out", &out));
    return out;
}

std::string TooLarge(std::uint64_t w, std::uint64_t h)
{
    return "too large: " + std::to_string(w) + " x " + std::to_string(h) + " pixels is more than the limit of "
        + std::to_string(g_pixelLimit.load()) + " pixels";
}

bool OverLimit(std::uint64_t w, std::uint64_t h) { return w * h > g_pixelLimit.load(); }

} // namespace picture_impl

int CoreCount() { return std::max(1u, std::thread::hardware_concurrency()); }

LibraryThreads::LibraryThreads(int pictures)
{
    if (!InitImageLibrary())
        return;
    m_before = vips_concurrency_get();
    vips_concurrency_set(std::max(1, CoreCount() / std::max(1, pictures)));
}

LibraryThreads::~LibraryThreads()
{
    if (m_before > 0)
        vips_concurrency_set(m_before);
}

bool InitImageLibrary()
{
    static bool ok = false;
    static std::once_flag once;
    std::call_once(once, [] {
        ok = VIPS_INIT("kestrova") == 0;
        if (ok) {
            // The decoders' warnings would go to the terminal, from any thread and
            // hundreds per damaged file; the picture's own outcome says it is damaged.
            g_log_set_handler(
                "VIPS", static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE),
                [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
            // Files may change between two loads (a picture converted in place),
            // so the library must never answer from a cache.
            vips_cache_set_max(0);
            vips_cache_set_max_mem(0);
        }
    });
    return ok;
}

void Picture::SetPixelLimit(std::uint64_t pixels) { g_pixelLimit.store(pixels); }
std::uint64_t Picture::GetPixelLimit() { return g_pixelLimit.load(); }

Picture Picture::Load(const std::string& path)
{
    LibraryUse use;
    Picture result;
    if (!InitImageLibrary()) {
        result.Fail(PictureError::LibraryFailed, "the image library could not start");
        return result;
    }
    // A message left by an earlier picture must not be taken for this one's.
    ClearLibraryErrors();
    std::vector<std::uint8_t> head;
    if (!ReadHead(path, head, result.m_failure))
        return result;

    // Sizes from our own header reading first: some decoders read far more than
    // the header to learn them, and a bomb must be refused before any of that.
    const auto sniffed = SniffHeader(head);
    if (sniffed && OverLimit(sniffed->width, sniffed->height)) {
        result.Fail(PictureError::TooLarge, TooLarge(sniffed->width, sniffed->height));
        return result;
    }

    if (SniffKind(head) == SniffedKind::Jpeg && TooManyScans(path)) {
        result.Fail(PictureError::NotAPicture,
            "refused: the JPEG is split into more than " + std::to_string(kMaxJpegScans)
                + " scans, too many to decode in reasonable time");
        return result;
    }

    const SniffedKind kind = SniffKind(head);
    if (kind == SniffedKind::Emf) {
        result.Fail(PictureError::NotAPicture, "not a picture we read: EMF drawings are not supported");
        return result;
    }
    // ImageMagick draws a metafile but does not know one by its content.
    const std::string loader = kind == SniffedKind::Wmf ? "magickload" : FindLoader(path, head);
    if (!IsPictureLoader(loader)) {
        result.Fail(PictureError::NotAPicture, "not a picture: the format is not recognised");
        return result;
    }
    auto impl = std::make_shared<Impl>();
    impl->fromFile = true;
    impl->path = path;
    impl->loader = loader;
    try {
        impl->image = OpenExact(path, loader, VImage::option()->set("fail_on", VIPS_FAIL_ON_NONE));
        int w = impl->image.width(), h = impl->image.height();
        if (OverLimit(static_cast<std::uint64_t>(w), static_cast<std::uint64_t>(h))) {
            result.Fail(PictureError::TooLarge, TooLarge(w, h));
            return result;
        }
        int orientation = 1;
        if (impl->image.get_typeof(VIPS_META_ORIENTATION) != 0)
            orientation = impl->image.get_int(VIPS_META_ORIENTATION);
        if (orientation >= 5 && orientation <= 8)
            std::swap(w, h);
        impl->width = w;
        impl->height = h;

        const int bands = impl->image.bands();
        const bool cmyk = impl->image.interpretation() == VIPS_INTERPRETATION_CMYK;
        int bpp = sniffed ? sniffed->bpp : 0;
        if (bpp == 0) {
            if (impl->image.has_alpha() && !cmyk)
                bpp = 32;
            else if (bands == 1)
                bpp = 8;
            else
                bpp = 24;
        }
        impl->bpp = bpp;
    } catch (const vips::VError&) {
        ClearLibraryErrors();
        // ImageMagick decodes the whole file to learn its size: a header we read
        // ourselves means the pixels after it are what failed.
        if (sniffed && impl->loader == "magickload")
            result.Fail(PictureError::Damaged, kNothingDecoded);
        else
            result.Fail(PictureError::NotAPicture, "not a picture: the file's header is damaged or incomplete");
        return result;
    }
    result.m_impl = std::move(impl);
    return result;
}
