#include "imaging/HeaderSniff.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

std::uint32_t Le16(std::span<const std::uint8_t> b, std::size_t at) { return b[at] | (b[at + 1] << 8); }
std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}
std::uint32_t Be32(std::span<const std::uint8_t> b, std::size_t at)
{
    return (std::uint32_t(b[at]) << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
}

// The size of a signed 32-bit field, clamped: the most negative value has no positive twin.
int Magnitude(std::uint32_t field)
{
    const std::uint32_t size = static_cast<std::int32_t>(field) < 0 ? 0u - field : field;
    return static_cast<int>(std::min<std::uint32_t>(size, 0x7fffffff));
}

} // namespace

void JpegScanCounter::OnMarker(std::uint8_t marker)
{
    if (marker == 0xFF) {
        m_state = State::Marker; // fill bytes before a marker
    } else if (marker == 0xD9) {
        m_state = State::End;
    } else if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) {
        m_state = State::Seek; // markers without a segment
    } else {
        m_inScanHeader = marker == 0xDA;
        m_state = State::LengthHigh;
    }
}

void JpegScanCounter::EndSegment()
{
    // A scan header is followed by its coded data.
    if (m_inScanHeader)
        ++m_scans;
    m_state = m_inScanHeader ? State::Entropy : State::Seek;
    m_inScanHeader = false;
}

void JpegScanCounter::Feed(std::span<const std::uint8_t> b)
{
    for (std::size_t i = 0; i < b.size() && m_state != State::End; ++i) {
        const std::uint8_t c = b[i];
        switch (m_state) {
        case State::Start:
        case State::Seek:
            if (c == 0xFF)
                m_state = State::Marker;
            break;
        case State::Marker:
            OnMarker(c);
            break;
        case State::LengthHigh:
            m_skip = std::size_t(c) << 8;
            m_state = State::LengthLow;
            break;
        case State::LengthLow:
            m_skip = (m_skip | c) >= 2 ? (m_skip | c) - 2 : 0;
            m_state = State::Skip;
            if (m_skip == 0)
                EndSegment();
            break;
        case State::Skip: {
            // This byte and the rest of the segment that is here.
            const std::size_t take = std::min(m_skip, b.size() - i);
            m_skip -= take;
            i += take - 1;
            if (m_skip == 0)
                EndSegment();
            break;
        }
        case State::Entropy:
            if (c == 0xFF)
                m_state = State::EntropyFF;
            break;
        case State::EntropyFF:
            // In the coded data 0xFF is followed by 0 or a restart marker.
            if (c == 0x00 || (c >= 0xD0 && c <= 0xD7))
                m_state = State::Entropy;
            else
                OnMarker(c);
            break;
        case State::End:
            break;
        }
    }
}

int PaletteDepth(int bits)
{
    if (bits <= 1)
        return 1;
    if (bits <= 4)
        return 4;
    return 8;
}

SniffedKind SniffKind(std::span<const std::uint8_t> b)
{
    static const std::uint8_t png[8] = { 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A };
    if (b.size() >= 8 && std::memcmp(b.data(), png, 8) == 0)
        return SniffedKind::Png;
    if (b.size() >= 6 && (std::memcmp(b.data(), "GIF87a", 6) == 0 || std::memcmp(b.data(), "GIF89a", 6) == 0))
        return SniffedKind::Gif;
    if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M')
        return SniffedKind::Bmp;
    if (b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF)
        return SniffedKind::Jpeg;
    if (b.size() >= 22 && Le32(b, 0) == 0x9AC6CDD7u)
        return SniffedKind::Wmf;
    if (b.size() >= 44 && Le32(b, 0) == 1 && std::memcmp(b.data() + 40, " EMF", 4) == 0)
        return SniffedKind::Emf;
    // PCX: manufacturer 10, a known version, RLE or no encoding, a sane depth.
    if (b.size() >= 66 && b[0] == 0x0A && b[1] <= 5 && b[2] <= 1 && (b[3] == 1 || b[3] == 2 || b[3] == 4 || b[3] == 8)
        && b[65] >= 1 && b[65] <= 4)
        return SniffedKind::Pcx;
    return SniffedKind::None;
}

std::optional<SniffedHeader> SniffHeader(std::span<const std::uint8_t> b)
{
    SniffedHeader h;
    switch (SniffKind(b)) {
    case SniffedKind::Png: {
        if (b.size() < 26 || std::memcmp(b.data() + 12, "IHDR", 4) != 0)
            return std::nullopt;
        h.width = static_cast<int>(std::min<std::uint32_t>(Be32(b, 16), 0x7fffffff));
        h.height = static_cast<int>(std::min<std::uint32_t>(Be32(b, 20), 0x7fffffff));
        const int depth = b[24];
        const int colourType = b[25];
        if (colourType == 0 || colourType == 3) // grey or palette
            h.bpp = PaletteDepth(depth);
        else if (colourType == 2)
            h.bpp = 24;
        else if (colourType == 4 || colourType == 6) // with alpha
            h.bpp = 32;
        return h;
    }
    case SniffedKind::Gif: {
        if (b.size() < 11)
            return std::nullopt;
        h.width = static_cast<int>(Le16(b, 6));
        h.height = static_cast<int>(Le16(b, 8));
        // Without a global table the frames bring their own; those are 8 bits at most.
        h.bpp = (b[10] & 0x80) ? PaletteDepth((b[10] & 7) + 1) : 8;
        return h;
    }
    case SniffedKind::Bmp: {
        if (b.size() < 30)
            return std::nullopt;
        const std::uint32_t dib = Le32(b, 14);
        int bits = 0;
        if (dib == 12) {
            h.width = static_cast<int>(Le16(b, 18));
            h.height = static_cast<int>(Le16(b, 20));
            bits = static_cast<int>(Le16(b, 24));
        } else if (dib >= 40) {
            h.width = Magnitude(Le32(b, 18));
            h.height = Magnitude(Le32(b, 22)); // negative: stored top-down
            bits = static_cast<int>(Le16(b, 28));
        } else {
            return std::nullopt;
        }
        if (bits <= 8)
            h.bpp = PaletteDepth(bits);
        else if (bits == 32)
            h.bpp = 0; // alpha or padding: the decoder tells
        else
            h.bpp = 24;
        return h;
    }
    case SniffedKind::Pcx: {
        const int xmin = static_cast<int>(Le16(b, 4)), ymin = static_cast<int>(Le16(b, 6));
        const int xmax = static_cast<int>(Le16(b, 8)), ymax = static_cast<int>(Le16(b, 10));
        if (xmax < xmin || ymax < ymin)
            return std::nullopt;
        h.width = xmax - xmin + 1;
        h.height = ymax - ymin + 1;
        const int bits = b[3] * b[65];
        h.bpp = bits >= 24 ? 24 : PaletteDepth(bits);
        return h;
    }
    case SniffedKind::Wmf: {
        // The bounding box in units of 1/inch, drawn at 72 pixels an inch.
        const auto at = [&](std::size_t i) { return static_cast<std::int16_t>(Le16(b, i)); };
        const int inch = static_cast<int>(Le16(b, 14));
        if (inch == 0)
            return std::nullopt;
        h.width = std::abs(at(10) - at(6)) * 72 / inch;
        h.height = std::abs(at(12) - at(8)) * 72 / inch;
        h.bpp = 24;
        return h;
    }
    case SniffedKind::Jpeg:
    case SniffedKind::Emf:
    case SniffedKind::None:
        break;
    }
    return std::nullopt;
}
