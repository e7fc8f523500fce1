#include "imaging/TargetSizeSearch.h"

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
