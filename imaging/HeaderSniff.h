#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// What the first bytes of a file say about its picture, for the formats whose
// stored depth the decoder does not report, or whose decoder reads more than the
// header to learn the size.
struct SniffedHeader {
    int width = 0;
    int height = 0;
    int bpp = 0; // 0 when the header does not tell
};

// Wmf is a placeable Windows metafile, the kind that says its own size; Emf an
// enhanced metafile, which no decoder of ours draws.
enum class SniffedKind { None, Png, Gif, Bmp, Pcx, Jpeg, Wmf, Emf };

SniffedKind SniffKind(std::span<const std::uint8_t> head);
std::optional<SniffedHeader> SniffHeader(std::span<const std::uint8_t> head);

// Counts the scans (start-of-scan segments) of a JPEG file fed to it piece by
// piece, from its first byte: a progressive file may be split into thousands of
// them, each a pass over every pixel.
class JpegScanCounter {
public:
    void Feed(std::span<const std::uint8_t> bytes);
    int Scans() const { return m_scans; }
    bool Ended() const { return m_state == State::End; }

private:
    enum class State { Start, Seek, Marker, LengthHigh, LengthLow, Skip, Entropy, EntropyFF, End };
    void OnMarker(std::uint8_t marker);
    void EndSegment();
    State m_state = State::Start;
    std::size_t m_skip = 0;
    bool m_inScanHeader = false;
    int m_scans = 0;
};

// Palette and grey depths as a viewer reports them: 1, 4 or 8.
int PaletteDepth(int bits);

// Bytes needed for SniffHeader to see every field it reads.
constexpr std::size_t SniffBytes = 80;
