#include "imaging/RasterWriters.h"

#include <cstddef>

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v & 0xff));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

} // namespace

std::vector<std::uint8_t> EncodeBmp24(const Rgb888& px)
{
    const std::size_t w = static_cast<std::size_t>(px.width), h = static_cast<std::size_t>(px.height);
    const std::size_t stride = (w * 3 + 3) & ~std::size_t(3);
    const std::size_t imageBytes = stride * h;
    std::vector<std::uint8_t> out;
    out.reserve(54 + imageBytes);
    out.push_back('B');
    out.push_back('M');
    Put32(out, static_cast<std::uint32_t>(54 + imageBytes));
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(w));
    Put32(out, static_cast<std::uint32_t>(h)); // positive: rows stored bottom-up
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0); // no compression
    Put32(out, static_cast<std::uint32_t>(imageBytes));
    Put32(out, 2835); // 72 dpi
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (std::size_t y = h; y-- > 0;) {
        const std::uint8_t* row = px.bytes.data() + y * w * 3;
        for (std::size_t x = 0; x < w; ++x) {
            out.push_back(row[x * 3 + 2]);
            out.push_back(row[x * 3 + 1]);
            out.push_back(row[x * 3]);
        }
        for (std::size_t pad = w * 3; pad < stride; ++pad)
            out.push_back(0);
    }
    return out;
}

std::vector<std::uint8_t> EncodePcx24(const Rgb888& px)
{
    const std::size_t w = static_cast<std::size_t>(px.width), h = static_cast<std::size_t>(px.height);
    const std::size_t bytesPerLine = (w + 1) & ~std::size_t(1); // must be even
    std::vector<std::uint8_t> out(128, 0);
    out[0] = 0x0A; // manufacturer
    out[1] = 5;    // version 3.0 with 24-bit support
    out[2] = 1;    // run-length encoded
    out[3] = 8;    // bits per plane
    auto set16 = [&](std::size_t at, std::size_t v) {
        out[at] = static_cast<std::uint8_t>(v & 0xff);
        out[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xff);
    };
    set16(8, w - 1);
    set16(10, h - 1);
    set16(12, 72);
    set16(14, 72);
    out[65] = 3; // planes: red, green, blue
    set16(66, bytesPerLine);
    set16(68, 1); // colour

    std::vector<std::uint8_t> line(bytesPerLine * 3);
    for (std::size_t y = 0; y < h; ++y) {
        const std::uint8_t* row = px.bytes.data() + y * w * 3;
        std::fill(line.begin(), line.end(), 0);
        for (std::size_t plane = 0; plane < 3; ++plane)
            for (std::size_t x = 0; x < w; ++x)
                line[plane * bytesPerLine + x] = row[x * 3 + plane];
        // Runs never cross a scan line; a run byte is 0xC0 | count (count <= 63).
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
    return out;
}
