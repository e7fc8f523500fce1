#include "imaging/RasterWriters.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::size_t kBmpHeader = 54;
constexpr std::size_t kPcxHeader = 128;
constexpr std::size_t kFlushAt = 1 << 20;

void Put16(std::uint8_t* at, std::uint32_t v)
{
    at[0] = static_cast<std::uint8_t>(v & 0xff);
    at[1] = static_cast<std::uint8_t>((v >> 8) & 0xff);
}

void Put32(std::uint8_t* at, std::uint32_t v)
{
    Put16(at, v & 0xffff);
    Put16(at + 2, v >> 16);
}

std::size_t BmpStride(int width) { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t(3); }
// A PCX plane's line must be even.
std::size_t PcxLine(int width) { return (static_cast<std::size_t>(width) + 1) & ~std::size_t(1); }

std::vector<std::uint8_t> BmpHeader(int width, int height)
{
    const std::uint64_t imageBytes = BmpStride(width) * static_cast<std::uint64_t>(height);
    std::vector<std::uint8_t> h(kBmpHeader, 0);
    h[0] = 'B';
    h[1] = 'M';
    Put32(&h[2], static_cast<std::uint32_t>(kBmpHeader + imageBytes));
    Put32(&h[10], kBmpHeader);
    Put32(&h[14], 40);
    Put32(&h[18], static_cast<std::uint32_t>(width));
    Put32(&h[22], static_cast<std::uint32_t>(height)); // positive: rows stored bottom-up
    Put16(&h[26], 1);
    Put16(&h[28], 24);
    Put32(&h[30], 0); // no compression
    Put32(&h[34], static_cast<std::uint32_t>(imageBytes));
    Put32(&h[38], 2835); // 72 dpi
    Put32(&h[42], 2835);
    return h;
}

std::vector<std::uint8_t> PcxHeader(int width, int height)
{
    std::vector<std::uint8_t> h(kPcxHeader, 0);
    h[0] = 0x0A; // manufacturer
    h[1] = 5;    // version 3.0 with 24-bit support
    h[2] = 1;    // run-length encoded
    h[3] = 8;    // bits per plane
    Put16(&h[8], static_cast<std::uint32_t>(width - 1));
    Put16(&h[10], static_cast<std::uint32_t>(height - 1));
    Put16(&h[12], 72);
    Put16(&h[14], 72);
    h[65] = 3; // planes: red, green, blue
    Put16(&h[66], static_cast<std::uint32_t>(PcxLine(width)));
    Put16(&h[68], 1); // colour
    return h;
}

// One scan line as three planes, run-length encoded; runs never cross a scan line,
// and a run byte is 0xC0 | count (count <= 63).
void EncodePcxRow(const std::uint8_t* row, int width, std::vector<std::uint8_t>& line, std::vector<std::uint8_t>& out)
{
    const std::size_t w = static_cast<std::size_t>(width), perPlane = PcxLine(width);
    std::fill(line.begin(), line.end(), 0);
    for (std::size_t plane = 0; plane < 3; ++plane)
        for (std::size_t x = 0; x < w; ++x)
            line[plane * perPlane + x] = row[x * 3 + plane];
    for (std::size_t i = 0; i < line.size();) {
        const std::uint8_t v = line[i];
        std::size_t run = 1;
        while (i + run < line.size() && run < 63 && line[i + run] == v)
            ++run;
        if (run > 1 || (v & 0xC0) == 0xC0)
            out.push_back(static_cast<std::uint8_t>(0xC0 | run));
        out.push_back(v);
        i += run;
    }
}

} // namespace

std::unique_ptr<RasterFileWriter> RasterFileWriter::Create(
    Kind kind, const std::string& path, int width, int height, std::string& error)
{
    if (width < 1 || height < 1) {
        error = "could not write: the picture has no pixels";
        return nullptr;
    }
    // The BMP header holds the file size in 32 bits, the PCX header each side in 16.
    const bool fits = kind == Kind::Bmp
        ? kBmpHeader + BmpStride(width) * static_cast<std::uint64_t>(height) <= 0xffffffffu
        : PcxLine(width) <= 0xffff && height <= 0x10000;
    if (!fits) {
        error = std::string("could not write: the picture is too large for ") + (kind == Kind::Bmp ? "BMP" : "PCX");
        return nullptr;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = std::string("could not write: ") + std::strerror(errno);
        return nullptr;
    }
    std::unique_ptr<RasterFileWriter> writer(new RasterFileWriter(kind, fd, width, height));
    const std::vector<std::uint8_t> header = kind == Kind::Bmp ? BmpHeader(width, height) : PcxHeader(width, height);
    if (!writer->WriteAt(header.data(), header.size(), 0)) {
        error = writer->GetError();
        return nullptr;
    }
    writer->m_end = header.size();
    return writer;
}

RasterFileWriter::RasterFileWriter(Kind kind, int fd, int width, int height)
    : m_kind(kind)
    , m_fd(fd)
    , m_width(width)
    , m_height(height)
    , m_line(kind == Kind::Pcx ? PcxLine(width) * 3 : 0)
{
}

RasterFileWriter::~RasterFileWriter()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::string RasterFileWriter::GetError() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}

bool RasterFileWriter::Fail()
{
    if (m_error.empty())
        m_error = "could not write: the disk is full or the file cannot be written";
    return false;
}

bool RasterFileWriter::WriteAt(const std::uint8_t* data, std::size_t size, std::uint64_t offset)
{
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::pwrite(m_fd, data + done, size - done, static_cast<off_t>(offset + done));
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n == 0 || errno != EINTR)
            return Fail();
    }
    return true;
}

bool RasterFileWriter::PutRows(const std::uint8_t* rows, std::size_t stride, int count)
{
    std::lock_guard lock(m_mutex);
    if (!m_error.empty() || m_fd < 0)
        return false;
    if (count < 0 || count > m_height - m_nextRow) {
        m_error = "could not write: more rows than the picture has";
        return false;
    }
    const std::size_t w = static_cast<std::size_t>(m_width);
    if (m_kind == Kind::Bmp) {
        // Bottom-up: the band's rows are one run of the file, in reverse order.
        const std::size_t fileStride = BmpStride(m_width);
        m_out.assign(fileStride * static_cast<std::size_t>(count), 0);
        for (int i = 0; i < count; ++i) {
            const std::uint8_t* row = rows + static_cast<std::size_t>(count - 1 - i) * stride;
            std::uint8_t* to = m_out.data() + static_cast<std::size_t>(i) * fileStride;
            for (std::size_t x = 0; x < w; ++x) {
                to[x * 3] = row[x * 3 + 2];
                to[x * 3 + 1] = row[x * 3 + 1];
                to[x * 3 + 2] = row[x * 3];
            }
        }
        const std::uint64_t first = static_cast<std::uint64_t>(m_height - m_nextRow - count);
        m_nextRow += count;
        return WriteAt(m_out.data(), m_out.size(), kBmpHeader + first * fileStride);
    }
    for (int i = 0; i < count; ++i) {
        EncodePcxRow(rows + static_cast<std::size_t>(i) * stride, m_width, m_line, m_out);
        if (m_out.size() >= kFlushAt) {
            if (!WriteAt(m_out.data(), m_out.size(), m_end))
                return false;
            m_end += m_out.size();
            m_out.clear();
        }
    }
    m_nextRow += count;
    return true;
}

bool RasterFileWriter::Finish()
{
    std::lock_guard lock(m_mutex);
    if (m_fd < 0)
        return false;
    bool ok = m_error.empty();
    if (ok && m_nextRow != m_height) {
        m_error = "could not write: the picture ended early";
        ok = false;
    }
    if (ok && m_kind == Kind::Pcx && !m_out.empty())
        ok = WriteAt(m_out.data(), m_out.size(), m_end);
    if (::close(m_fd) != 0 && ok)
        ok = Fail();
    m_fd = -1;
    return ok;
}
