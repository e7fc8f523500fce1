#include "imaging/PngWriter.h"

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include <png.h>

namespace {

struct Palette {
    std::vector<std::uint32_t> colours; // RGBA, red in the low byte
    std::vector<std::uint16_t> slots;   // index + 1 into colours; 0: empty
};

std::uint32_t KeyOf(const std::uint8_t* p, int bands)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(bands == 4 ? p[3] : 255) << 24);
}

std::size_t SlotOf(std::uint32_t key) { return (key * 0x9E3779B1u) >> 20; } // 4096 slots

// The slot of the key, or of the empty place it would go in.
std::size_t Find(const Palette& palette, std::uint32_t key)
{
    std::size_t slot = SlotOf(key);
    while (palette.slots[slot] != 0 && palette.colours[palette.slots[slot] - 1u] != key)
        slot = (slot + 1) & (palette.slots.size() - 1);
    return slot;
}

// False past 256 colours.
bool Collect(const std::uint8_t* p, std::size_t pixels, int bands, Palette& palette)
{
    palette.slots.assign(4096, 0);
    std::uint32_t last = 0;
    for (std::size_t i = 0; i < pixels; ++i, p += bands) {
        const std::uint32_t key = KeyOf(p, bands);
        if (i > 0 && key == last)
            continue;
        last = key;
        const std::size_t slot = Find(palette, key);
        if (palette.slots[slot] == 0) {
            if (palette.colours.size() == 256)
                return false;
            palette.colours.push_back(key);
            palette.slots[slot] = static_cast<std::uint16_t>(palette.colours.size());
        }
    }
    return true;
}

void Append(png_structp png, png_bytep data, png_size_t size)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    try {
        out->insert(out->end(), data, data + size);
    } catch (...) {
        png_error(png, "out of memory");
    }
}

void NoFlush(png_structp) { }

// libpng reports errors by long jump: nothing in this frame needs destroying.
bool Write(std::vector<std::uint8_t>& out, int width, int height, int depth, const png_color* colours, int count,
    const png_byte* alpha, int alphaCount, png_bytep* rows)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, Append, NoFlush);
    // As ImageMagick does for a palette: no row filter, the strongest compression.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), depth,
        PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_set_PLTE(png, info, colours, count);
    if (alphaCount > 0)
        png_set_tRNS(png, info, alpha, alphaCount, nullptr);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

std::vector<std::uint8_t> EncodeIndexedPng(const std::uint8_t* pixels, int width, int height, int bands)
{
    if ((bands != 3 && bands != 4) || width < 1 || height < 1)
        return {};
    const std::size_t w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
    Palette palette;
    if (!Collect(pixels, w * h, bands, palette))
        return {};
    // Translucent entries first, so the transparency table stops at the last of them; then by
    // value, so neighbouring colours get neighbouring indices.
    std::sort(palette.colours.begin(), palette.colours.end(), [](std::uint32_t a, std::uint32_t b) {
        const bool ta = (a >> 24) != 255, tb = (b >> 24) != 255;
        return ta != tb ? ta : a < b;
    });
    const int count = static_cast<int>(palette.colours.size());
    std::fill(palette.slots.begin(), palette.slots.end(), 0);
    png_color colours[256] {};
    png_byte alpha[256] {};
    int alphaCount = 0;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t c = palette.colours[static_cast<std::size_t>(i)];
        colours[i] = { static_cast<png_byte>(c), static_cast<png_byte>(c >> 8), static_cast<png_byte>(c >> 16) };
        alpha[i] = static_cast<png_byte>(c >> 24);
        if (alpha[i] != 255)
            alphaCount = i + 1;
        palette.slots[Find(palette, c)] = static_cast<std::uint16_t>(i + 1);
    }
    // A picture with alpha keeps it when read back, even where every pixel is opaque.
    if (bands == 4 && alphaCount == 0)
        alphaCount = 1;
    const int depth = count <= 2 ? 1 : count <= 4 ? 2 : count <= 16 ? 4 : 8;
    const std::size_t rowBytes = (w * static_cast<std::size_t>(depth) + 7) / 8;
    std::vector<png_byte> indices(rowBytes * h, 0);
    std::vector<png_bytep> rows(h);
    const std::uint8_t* p = pixels;
    for (std::size_t y = 0; y < h; ++y) {
        png_bytep row = indices.data() + y * rowBytes;
        rows[y] = row;
        for (std::size_t x = 0; x < w; ++x, p += bands) {
            const unsigned index = palette.slots[Find(palette, KeyOf(p, bands))] - 1u;
            const std::size_t bit = x * static_cast<std::size_t>(depth);
            // Packed from the high bits down, as PNG stores them.
            row[bit / 8] |= static_cast<png_byte>(index << (8 - depth - bit % 8));
        }
    }
    std::vector<std::uint8_t> out;
    if (!Write(out, width, height, depth, colours, count, alpha, alphaCount, rows.data()))
        return {};
    return out;
}

struct PngRowWriter::Png {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~Png() { png_destroy_write_struct(&png, &info); }
};

namespace {

// Each libpng call that may fail jumps back to its own frame here, where nothing needs destroying.
bool Start(png_structp png, png_infop info, int width, int height, int bands, const PngEncoding& e)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_filter(png, PNG_FILTER_TYPE_BASE, e.filters);
    png_set_compression_level(png, e.level);
    png_set_compression_strategy(png, e.strategy);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
        bands == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
        PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    return true;
}

bool Rows(png_structp png, png_bytepp rows, png_uint_32 count)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_write_rows(png, rows, count);
    return true;
}

bool End(png_structp png)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_write_end(png, nullptr);
    return true;
}

} // namespace

std::unique_ptr<PngRowWriter> PngRowWriter::Create(
    const std::string& path, int width, int height, int bands, const PngEncoding& encoding, std::string& error)
{
    if ((bands != 3 && bands != 4) || width < 1 || height < 1) {
        error = "could not write: the picture is not 8-bit colour";
        return nullptr;
    }
    std::unique_ptr<PngRowWriter> w(new PngRowWriter());
    w->m_height = height;
    w->m_png = std::make_unique<Png>();
    w->m_png->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (w->m_png->png)
        w->m_png->info = png_create_info_struct(w->m_png->png);
    if (!w->m_png->info) {
        error = "could not write: the PNG encoder did not start";
        return nullptr;
    }
    if (!path.empty()) {
        w->m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (w->m_fd < 0) {
            error = std::string("could not write: ") + std::strerror(errno);
            return nullptr;
        }
    }
    png_set_write_fn(w->m_png->png, &w->m_out, Append, NoFlush);
    if (!Start(w->m_png->png, w->m_png->info, width, height, bands, encoding)) {
        error = "could not write: the PNG encoder failed";
        return nullptr;
    }
    return w;
}

PngRowWriter::~PngRowWriter()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::string PngRowWriter::GetError() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}

bool PngRowWriter::Flush()
{
    if (m_fd < 0)
        return true;
    for (std::size_t done = 0; done < m_out.size();) {
        const ssize_t n = ::write(m_fd, m_out.data() + done, m_out.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n == 0 || errno != EINTR) {
            m_error = "could not write: the disk is full or the file cannot be written";
            return false;
        }
    }
    m_out.clear();
    return true;
}

bool PngRowWriter::PutRows(const std::uint8_t* rows, std::size_t stride, int count)
{
    std::lock_guard lock(m_mutex);
    if (!m_error.empty())
        return false;
    if (count < 0 || count > m_height - m_nextRow) {
        m_error = "could not write: more rows than the picture has";
        return false;
    }
    std::vector<png_bytep> pointers(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        pointers[static_cast<std::size_t>(i)] = const_cast<png_bytep>(rows + static_cast<std::size_t>(i) * stride);
    if (!Rows(m_png->png, pointers.data(), static_cast<png_uint_32>(count))) {
        m_error = "could not write: the PNG encoder failed";
        return false;
    }
    m_nextRow += count;
    return m_out.size() < (1u << 20) || Flush();
}

bool PngRowWriter::Finish()
{
    std::lock_guard lock(m_mutex);
    bool ok = m_error.empty();
    if (ok && m_nextRow != m_height) {
        m_error = "could not write: the picture ended early";
        ok = false;
    }
    if (ok && !End(m_png->png)) {
        m_error = "could not write: the PNG encoder failed";
        ok = false;
    }
    ok = ok && Flush();
    if (m_fd >= 0 && ::close(m_fd) != 0 && ok) {
        m_error = "could not write: the disk is full or the file cannot be written";
        ok = false;
    }
    m_fd = -1;
    return ok;
}
