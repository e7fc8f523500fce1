#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

// The encoded size in bytes of the picture at a JPEG quality; empty when encoding failed.
using SizeAtQuality = std::function<std::optional<std::uint64_t>(int quality)>;

// What the search over the JPEG quality settled on.
struct QualitySearchResult {
    std::vector<int> attempts; // the quality of every attempt, in order, failed encodings included
    int quality = 0;           // the quality of the file to write; 0 when no attempt could be used
    // Ended on a quality already queued (the last fit was found). Such a file is
    // always named ".jpg"; a search that ran down past quality 1 keeps the chosen extension.
    bool settledOnFit = false;
};

inline constexpr int MaxQualityAttempts = 100;

// Binary search for the highest JPEG quality whose size does not exceed targetKB
// kilobytes of 1024 bytes. Starts at 50 and never tries 100; when even quality 1 is
// too large, quality 1 is the answer. A failed encoding uses up an attempt and
// repeats the same quality. Pure: all it knows of the picture is sizeAt.
QualitySearchResult SearchTargetQuality(std::int32_t targetKB, const SizeAtQuality& sizeAt);

// What the search over a format's own quality settled on.
struct OwnQualityResult {
    int quality = 0;   // 0: an encoding failed
    bool fits = false; // false: even minQuality is larger than the target; quality is minQuality
    int attempts = 0;
};

// The largest quality from minQuality to 100 whose size is at most targetBytes, by bisection
// (sizes are taken to grow with the quality). Pure: all it knows of the picture is sizeAt.
OwnQualityResult SearchLargestFittingQuality(std::uint64_t targetBytes, int minQuality, const SizeAtQuality& sizeAt);

// The encodings a target-size search makes of one picture. The size of every attempt is kept, but
// the bytes only of the best one that fits (the highest quality at or under the target), so at
// most one encoding is held besides the one being made; any other is made again when asked for.
class AttemptCache {
public:
    // The picture's bytes at a quality; empty when encoding failed.
    using Encoder = std::function<std::vector<std::uint8_t>(int quality)>;
    AttemptCache(std::uint64_t targetBytes, Encoder encode);

    // Encodes only a quality not measured before. Empty when the encoding failed; a failed
    // quality is tried again at the next call.
    std::optional<std::uint64_t> SizeAt(int quality);
    // The bytes at the quality, which become the ones held; null when the encoding failed.
    const std::vector<std::uint8_t>* BytesAt(int quality);

    std::size_t GetHeldBytes() const { return m_held.size(); }
    int GetEncodings() const { return m_encodings; }

private:
    std::vector<std::uint8_t> Encode(int quality);

    std::uint64_t m_targetBytes;
    Encoder m_encode;
    std::map<int, std::uint64_t> m_sizes;
    std::vector<std::uint8_t> m_held;
    int m_heldQuality = 0; // 0: nothing held
    int m_encodings = 0;
};
