#include "imaging/TargetSizeSearch.h"

#include <tuple>

#include <gtest/gtest.h>

#include "tests/support/EngineFixtures.h"

namespace {

constexpr std::int32_t kTargetKB = 100;
constexpr std::uint64_t kTargetBytes = kTargetKB * 1024;

// Encodings fit the target exactly up to and including quality `last`, and exceed it by a byte above.
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

class TargetSizeSearchTest : public testing::TestWithParam<SearchCase> { };

TEST_P(TargetSizeSearchTest, VisitsTheQualitiesAndEndsAsExpected)
{
    const SearchCase& c = GetParam();
    const QualitySearchResult result = SearchTargetQuality(kTargetKB, c.sizeAt);
    EXPECT_EQ(result.attempts, c.attempts);
    EXPECT_EQ(result.quality, c.quality);
    EXPECT_EQ(result.settledOnFit, c.settledOnFit);
}

INSTANTIATE_TEST_SUITE_P(Cases, TargetSizeSearchTest,
    testing::Values(SearchCase { "AllFit", FitsUpTo(100), { 50, 75, 87, 93, 96, 98, 99 }, 99, true },
        SearchCase { "NoneFit", FitsUpTo(0), { 50, 25, 12, 6, 3, 1 }, 1, false },
        // 65 is first reached after a too-large attempt, so it is not queued and is measured three times.
        SearchCase { "FitsUpTo65", FitsUpTo(65), { 50, 75, 62, 68, 65, 66, 65, 65 }, 65, true },
        // A failed encoding tries the same quality again, up to the attempt limit.
        SearchCase { "EncoderThatAlwaysFailsGivesUp", [](int) -> std::optional<std::uint64_t> { return std::nullopt; },
            std::vector<int>(MaxQualityAttempts, 50), 0, false }),
    enginefix::CaseName);

// The search over a format's own quality: the largest fitting quality from the floor up, including 100.
TEST(OwnQualitySearch, FindsTheLargestFitFromTheFloor)
{
    for (const auto& [last, floor, quality, fits] :
        std::vector<std::tuple<int, int, int, bool>> { { 100, 1, 100, true }, { 62, 1, 62, true }, { 62, 40, 62, true },
            { 1, 1, 1, true }, { 0, 1, 1, false }, { 39, 40, 40, false } }) {
        const OwnQualityResult r = SearchLargestFittingQuality(kTargetBytes, floor, FitsUpTo(last));
        EXPECT_EQ(std::tuple(r.quality, r.fits), std::tuple(quality, fits)) << last << " from " << floor;
        EXPECT_LE(r.attempts, 8);
    }
    EXPECT_EQ(SearchLargestFittingQuality(kTargetBytes, 1,
                  [](int q) -> std::optional<std::uint64_t> {
                      return q > 50 ? std::nullopt : std::optional<std::uint64_t>(1);
                  })
                  .quality,
        0)
        << "a failed encoding fails the search";
}

} // namespace
