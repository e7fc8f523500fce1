#include "imaging/TargetSizeSearch.h"

#include <algorithm>
#include <set>

QualitySearchResult SearchTargetQuality(std::int32_t targetKB, const SizeAtQuality& sizeAt)
{
    QualitySearchResult result;
    int q = 50, lo = 0, hi = 100;
    // Only qualities reached after a fit are queued, so one reached after a
    // too-large attempt can be measured again before the search settles.
    std::set<int> queued;
    for (int attempt = 0; attempt < MaxQualityAttempts; ++attempt) {
        result.attempts.push_back(q);
        const std::optional<std::uint64_t> bytes = sizeAt(q);
        if (!bytes)
            continue;
        const double kb = static_cast<double>(*bytes) / 1024.0;
        const int measured = q;
        if (targetKB < kb) {
            hi = q;
            q = lo + (hi - lo) / 2;
            if (q == 0) {
                result.quality = measured;
                return result;
            }
        } else {
            lo = q;
            q = lo + (hi - lo) / 2;
            if (queued.count(q) != 0) {
                result.quality = measured;
                result.settledOnFit = true;
                return result;
            }
            queued.insert(q);
        }
    }
    return result;
}

OwnQualityResult SearchLargestFittingQuality(std::uint64_t targetBytes, int minQuality, const SizeAtQuality& sizeAt)
{
    OwnQualityResult result;
    const int floor = std::clamp(minQuality, 1, 100);
    // Known to fit: best; known not to: above hi.
    auto fits = [&](int q) -> std::optional<bool> {
        ++result.attempts;
        const std::optional<std::uint64_t> bytes = sizeAt(q);
        if (!bytes)
            return std::nullopt;
        return *bytes <= targetBytes;
    };
    const std::optional<bool> atFloor = fits(floor);
    if (!atFloor)
        return result;
    result.quality = floor;
    if (!*atFloor)
        return result;
    result.fits = true;
    int lo = floor + 1, hi = 100;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const std::optional<bool> f = fits(mid);
        if (!f) {
            result.quality = 0;
            return result;
        }
        if (*f) {
            result.quality = mid;
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    return result;
}

AttemptCache::AttemptCache(std::uint64_t targetBytes, Encoder encode)
    : m_targetBytes(targetBytes)
    , m_encode(std::move(encode))
{
}

std::vector<std::uint8_t> AttemptCache::Encode(int quality)
{
    ++m_encodings;
    return m_encode(quality);
}

std::optional<std::uint64_t> AttemptCache::SizeAt(int quality)
{
    if (const auto it = m_sizes.find(quality); it != m_sizes.end())
        return it->second;
    std::vector<std::uint8_t> bytes = Encode(quality);
    if (bytes.empty())
        return std::nullopt;
    const std::uint64_t size = bytes.size();
    m_sizes.emplace(quality, size);
    const bool heldFits = m_heldQuality != 0 && m_held.size() <= m_targetBytes;
    if (size <= m_targetBytes && (!heldFits || quality > m_heldQuality)) {
        m_held = std::move(bytes);
        m_heldQuality = quality;
    }
    return size;
}

const std::vector<std::uint8_t>* AttemptCache::BytesAt(int quality)
{
    if (quality != m_heldQuality || m_heldQuality == 0) {
        std::vector<std::uint8_t> bytes = Encode(quality);
        if (bytes.empty())
            return nullptr;
        m_sizes.emplace(quality, bytes.size());
        m_held = std::move(bytes);
        m_heldQuality = quality;
    }
    return &m_held;
}
