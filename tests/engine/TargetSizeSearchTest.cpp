#include "imaging/TargetSizeSearch.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "tests/support/EngineFixtures.h"

namespace {

constexpr std::int32_t kTargetKB = 100;
constexpr std::uint64_t kTargetBytes = kTargetKB * 1024;

// Encodings fit the target up to and including quality `last`, and exceed it above.
SizeAtQuality FitsUpTo(int last)
{
    return [last](int q) -> std::optional<std::uint64_t> { return q <= last ? kTargetBytes : kTargetBytes + 1; };
}

struct SearchCase {
    const char* name;
    SizeAtQuality sizeAt;
    std::vector<int> attempts;
    int quality;
    bool settledOnFit;
};
void PrintTo(const SearchCase& c, std::ostream* os) { *os << c.name; }


class TargetSizeSearchTest : public testing::TestWithParam<SearchCase> { };

TEST_P(TargetSizeSearchTest, VisitsTheQualitiesAndEndsAsExpected)
{
    const SearchCase& c = GetParam();
    const QualitySearchResult result = SearchTargetQuality(kTargetKB, c.sizeAt);
    EXPECT_EQ(result.attempts, c.attempts);
    EXPECT_EQ(result.quality, c.quality);
    EXPECT_EQ(result.settledOnFit, c.settledOnFit);
}

SizeAtQuality FailsOnceAt50()
{
    auto failed = std::make_shared<bool>(false);
    return [failed](int q) -> std::optional<std::uint64_t> {
        if (q == 50 && !*failed) {
            *failed = true;
            return std::nullopt;
        }
        return q <= 80 ? kTargetBytes : kTargetBytes * 2;
    };
}

INSTANTIATE_TEST_SUITE_P(Cases, TargetSizeSearchTest,
    testing::Values(SearchCase { "AllFit", FitsUpTo(100), { 50, 75, 87, 93, 96, 98, 99 }, 99, true },
        SearchCase { "NoneFit", FitsUpTo(0), { 50, 25, 12, 6, 3, 1 }, 1, false },
        // 65 is first reached after a too-large attempt, so it is not queued and is measured three times.
        SearchCase { "FitsUpTo65", FitsUpTo(65), { 50, 75, 62, 68, 65, 66, 65, 65 }, 65, true },
        SearchCase { "OnlyQuality1Fits", FitsUpTo(1), { 50, 25, 12, 6, 3, 1, 2, 1, 1 }, 1, true },
        SearchCase { "EqualToTargetFits",
            [](int) -> std::optional<std::uint64_t> { return kTargetBytes; }, { 50, 75, 87, 93, 96, 98, 99 }, 99, true },
        SearchCase { "OneByteOverDoesNotFit",
            [](int) -> std::optional<std::uint64_t> { return kTargetBytes + 1; }, { 50, 25, 12, 6, 3, 1 }, 1, false },
        SearchCase { "FailedEncodingRepeatsTheQuality", FailsOnceAt50(), { 50, 50, 75, 87, 81, 78, 79, 80 },
            80, true }),
    enginefix::CaseName);

TEST(TargetSizeSearch, EncoderThatAlwaysFailsGivesUpAfterAHundredAttempts)
{
    const QualitySearchResult result
        = SearchTargetQuality(kTargetKB, [](int) -> std::optional<std::uint64_t> { return std::nullopt; });
    EXPECT_EQ(result.attempts, std::vector<int>(MaxQualityAttempts, 50));
    EXPECT_EQ(result.quality, 0);
}

// Whatever the threshold, a size that grows with the quality ends on the highest
// quality that fits (99 at most), or on 1 when nothing fits; 100 is never tried.
TEST(TargetSizeSearch, EveryThresholdEndsOnTheHighestFittingQuality)
{
    for (int last = 0; last <= 100; ++last) {
        SCOPED_TRACE("fits up to " + std::to_string(last));
        const QualitySearchResult result = SearchTargetQuality(kTargetKB, FitsUpTo(last));
        EXPECT_EQ(result.quality, std::clamp(last, 1, 99));
        EXPECT_EQ(result.settledOnFit, last >= 1);
        EXPECT_EQ(std::count(result.attempts.begin(), result.attempts.end(), 100), 0);
        EXPECT_LE(result.attempts.size(), 12u);
        EXPECT_EQ(result.attempts.back(), result.quality);
    }
}

} // namespace
