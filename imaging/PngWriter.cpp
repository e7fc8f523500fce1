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

} // namespace

struct PngRowWriter::Png {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~Png() { png_destroy_write_struct(&png, &info); }
};

namespace {

// Each libpng call that may fail jumps back to its own frame here, where nothing needs destroying.
bool Start(
    png_structp png, png_infop info, int width, int height, int bands, const PngEncoding& e, const PngMetadata& meta)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_filter(png, PNG_FILTER_TYPE_BASE, e.filters);
    png_set_compression_level(png, e.level);
    png_set_compression_strategy(png, e.strategy);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
        bands == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
        PNG_FILTER_TYPE_BASE);
    if (!meta.exif.empty())
        png_set_eXIf_1(png, info, static_cast<png_uint_32>(meta.exif.size()), const_cast<png_bytep>(meta.exif.data()));
    // A profile libpng finds wrong is left out rather than failing the picture.
    png_set_benign_errors(png, 1);
    if (!meta.icc.empty())
        png_set_iCCP(png, info, "ICC profile", PNG_COMPRESSION_TYPE_BASE, meta.icc.data(),
            static_cast<png_uint_32>(meta.icc.size()));
    png_text xmp {};
    if (!meta.xmp.empty()) {
        xmp.compression = PNG_ITXT_COMPRESSION_NONE;
        xmp.key = const_cast<char*>("XML:com.adobe.xmp");
        xmp.text = const_cast<char*>(meta.xmp.c_str());
        xmp.itxt_length = meta.xmp.size();
        png_set_text(png, info, &xmp, 1);
    }
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

std::unique_ptr<PngRowWriter> PngRowWriter::Create(const std::string& path, int width, int height, int bands,
    const PngEncoding& encoding, std::string& error, const PngMetadata& metadata)
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
    if (!Start(w->m_png->png, w->m_png->info, width, height, bands, encoding, metadata)) {
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
