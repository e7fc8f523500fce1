#pragma once

#include <cstdint>
#include <functional>
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
