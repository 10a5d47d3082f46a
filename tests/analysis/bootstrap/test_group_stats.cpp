#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/bootstrap/accurate_group_stats.h"
#include "analysis/bootstrap/group_stats.h"
#include "analysis/resampling/paired_sample.h"
#include "test_data.h"

namespace velmora {
namespace {

using testing::M;

TEST(GroupStats, TwoValuesKeepBothAndShareOneVariance) {
    const std::vector<float> values{3.0f, 8.0f};
    const GroupStats s = ComputeGroupStats(values);
    EXPECT_EQ(s.lngN, 2);
    EXPECT_EQ(s.sngMean, 5.5f);
    EXPECT_EQ(s.sngTrimmedMean, 5.5f);
    EXPECT_EQ(s.sngWinsMean, 5.5f);
    EXPECT_EQ(s.sngVariance, 12.5f);  // (3 - 8)^2 / 2
    EXPECT_EQ(s.sngWinsVariance, 12.5f);
}

TEST(GroupStats, OneOutlierInFiveIsTrimmedAndWinsorized) {
    const std::vector<float> values{1.0f, 2.0f, 3.0f, 4.0f, 100.0f};
    const GroupStats s = ComputeGroupStats(values);
    EXPECT_EQ(s.lngN, 5);
    EXPECT_EQ(s.sngMean, 22.0f);
    EXPECT_EQ(s.sngVariance, 1902.5f);
    EXPECT_EQ(s.sngTrimmedMean, 3.0f);  // positions 2..4
    EXPECT_EQ(s.sngWinsMean, 3.0f);     // 2, 2, 3, 4, 4
    EXPECT_EQ(s.sngWinsVariance, 1.0f);
}

TEST(GroupStats, TenValuesTrimTwoFromEachEnd) {
    const std::vector<float> values{1, 2, 3, 4, 5, 6, 7, 8, 9, 50};
    const GroupStats s = ComputeGroupStats(values);
    EXPECT_EQ(s.sngMean, 9.5f);
    EXPECT_EQ(s.sngVariance, 209.16667f);      // 188.25 * 10 / 9
    EXPECT_EQ(s.sngTrimmedMean, 5.5f);         // positions 3..8
    EXPECT_EQ(s.sngWinsMean, 5.5f);            // 3, 3, 3, 4, 5, 6, 7, 8, 8, 8
    EXPECT_EQ(s.sngWinsVariance, 4.7222223f);  // 4.25 * 10 / 9
}

TEST(GroupStats, NineValuesTrimOneBecauseTheCountIsTruncated) {
    // 9 * 0.2 = 1.8 still trims one per end: kept 2..8 of 1..8, 90.
    const std::vector<float> values{90, 1, 2, 3, 4, 5, 6, 7, 8};
    const GroupStats s = ComputeGroupStats(values);
    EXPECT_EQ(s.sngTrimmedMean, 5.0f);  // (2 + ... + 8) / 7
    EXPECT_EQ(s.sngWinsMean, 5.0f);     // 2, 2, 3, ..., 8, 8 sums to 45
}

TEST(GroupStats, TrimCountTruncatesTheWidenedSingleFifth) {
    struct Case {
        std::int32_t n;
        std::int32_t g;
    };
    const Case cases[] = {{2, 0},
                          {3, 0},
                          {4, 0},
                          {5, 1},
                          {9, 1},
                          {10, 2},
                          {14, 2},
                          {15, 3},
                          {600, 120},
                          {2001, 400},
                          // 0.2f is slightly above 0.2: far out the product crosses a
                          // whole number that n / 5 would not reach.
                          {67108863, 13421772},
                          {67108869, 13421774}};
    for (const Case& c : cases) EXPECT_EQ(TrimCount(c.n), c.g) << "n = " << c.n;
}

TEST(GroupStats, DescendingOrderGivesTheSameRobustResults) {
    const std::vector<float> values{100.0f, 4.0f, 3.0f, 2.0f, 1.0f};
    const GroupStats s = ComputeGroupStats(values);
    EXPECT_EQ(s.sngMean, 22.0f);
    EXPECT_EQ(s.sngVariance, 1902.5f);
    EXPECT_EQ(s.sngTrimmedMean, 3.0f);
    EXPECT_EQ(s.sngWinsMean, 3.0f);
    EXPECT_EQ(s.sngWinsVariance, 1.0f);
}

TEST(GroupStats, EqualSmallWholeNumbersHaveExactlyZeroVariances) {
    const std::vector<float> values(10, 5.0f);
    const GroupStats s = ComputeGroupStats(values);
    EXPECT_EQ(s.sngTrimmedMean, 5.0f);
    EXPECT_EQ(s.sngVariance, 0.0f);
    EXPECT_EQ(s.sngWinsVariance, 0.0f);
}

TEST(GroupStats, SquaresAccumulateInSinglePrecisionInTheRawMomentForm) {
    // Q rounds to a multiple of 32 near 3e8: 1e8, then 200020001 -> 200020000,
    // then 300060004 -> 300060000. Q/3 - 10001^2 = -1, times 3/2: -1.5, where
    // exact arithmetic would give 1.
    const std::vector<float> values{10000.0f, 10001.0f, 10002.0f};
    const GroupStats s = ComputeGroupStats(values);
    EXPECT_EQ(s.sngMean, 10001.0f);
    EXPECT_EQ(s.sngVariance, -1.5f);
    EXPECT_EQ(s.sngWinsVariance, -1.5f);  // g = 0: the same values, ascending
}

TEST(GroupStats, EachSquareIsFormedInDoubleAndRoundedOnlyWithTheSum) {
    // Squares 50438404, 41692849, 51251281. Q: 50438404, then 92131253 -> 92131256
    // (steps of 8), then 143382537 -> 143382544 (steps of 16). Q/3 - 6906^2 =
    // 101345.33 -> variance 152018. (Deviations give 152013; squares rounded to
    // single before adding would give 152010.)
    const std::vector<float> values{7102.0f, 6457.0f, 7159.0f};
    const GroupStats s = ComputeGroupStats(values);
    EXPECT_EQ(s.sngMean, 6906.0f);
    EXPECT_EQ(s.sngVariance, 152018.0f);
}

TEST(GroupStats, VariancesUseTheStoredSingleMeans) {
    // 5 / 3 is stored as 1.66666663: 3 - 1.66666663^2 = 0.22222235, times 1.5
    // gives 0.33333352 (the unrounded mean would give 1/3).
    const GroupStats three = ComputeGroupStats(std::vector<float>{1, 2, 2});
    EXPECT_EQ(three.sngMean, 1.6666666f);
    EXPECT_EQ(three.sngVariance, 0.33333352f);
    EXPECT_EQ(three.sngWinsVariance, 0.33333352f);

    // Mean 3.6 stored as 3.59999990: (21.2 - 12.9599993) * 1.25 = 10.300001.
    // Winsorized 2, 2, 2, 4, 4: mean 2.8 stored as 2.79999995, W = 44,
    // (8.8 - 7.8399997) * 1.25 = 1.2000003.
    const GroupStats five = ComputeGroupStats(std::vector<float>{1, 2, 2, 4, 9});
    EXPECT_EQ(five.sngVariance, 10.300001f);
    EXPECT_EQ(five.sngTrimmedMean, 2.6666667f);
    EXPECT_EQ(five.sngWinsMean, 2.8f);
    EXPECT_EQ(five.sngWinsVariance, 1.2000003f);
}

TEST(GroupStats, WinsorizedSumOfSquaresIsStoredAsSingle) {
    // Kept 4097 three times: U = 16785408, 33570816, 50356224 (single steps).
    // W = 16785409 + 50356224 + 16785409 = 83927042, stored as 83927040; W/5 -
    // 4097^2 = -1, times 1.25: -1.25. (The unstored W would give -0.75.)
    const GroupStats s = ComputeGroupStats(std::vector<float>{9000, 4097, 1, 4097, 4097});
    EXPECT_EQ(s.sngTrimmedMean, 4097.0f);
    EXPECT_EQ(s.sngWinsMean, 4097.0f);
    EXPECT_EQ(s.sngWinsVariance, -1.25f);
}

TEST(GroupStats, MeanSumsInRowOrderWhileTrimmedMeanSumsAscending) {
    // Row order: 2^24 + 1 rounds back to 2^24 twice, S = 16777216, mean
    // 5592405.33 stored as 5592405.5. Ascending: 1 + 1 + 2^24 = 16777218
    // exactly, trimmed mean (g = 0) 5592406.
    const std::vector<float> values{16777216.0f, 1.0f, 1.0f};
    const GroupStats s = ComputeGroupStats(values);
    EXPECT_EQ(s.sngMean, 5592405.5f);
    EXPECT_EQ(s.sngTrimmedMean, 5592406.0f);
}

TEST(GroupStats, SquareBeyondSingleRangeLeavesANonFiniteVariance) {
    const std::vector<float> values{2.0e19f, 1.0f, 2.0f};
    const GroupStats s = ComputeGroupStats(values);
    EXPECT_FALSE(std::isfinite(s.sngVariance));
}

TEST(AccurateGroupStats, ExactValuesRoundedOnceAndWhetherSinglePrecisionFailed) {
    struct Case {
        std::vector<float> values;
        GroupStats accurate;  // lngN, mean, trimmed mean, variance, Winsorized mean and variance
        bool singleFailed;
    };
    const std::vector<Case> cases = {
        // Small whole numbers: single precision is exact here.
        {{1, 2, 3, 4, 100}, {5, 22, 3, 1902.5f, 3, 1}, false},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 50}, {10, 9.5f, 5.5f, 209.16667f, 5.5f, 4.7222223f}, false},
        // 1/3 in single precision is 0.33333352: off by 5E-7 only.
        {{1, 2, 2}, {3, 1.6666666f, 1.6666666f, 0.33333334f, 1.6666666f, 0.33333334f}, false},
        // Single precision: variances -1.5 and Winsorized -1.25 (see above).
        {{10000, 10001, 10002}, {3, 10001, 10001, 1, 10001, 1}, true},
        // Variance 203431876 / 20; the Winsorized sample is five times 4097.
        {{9000, 4097, 1, 4097, 4097}, {5, 4258.4f, 4097, 10171594.0f, 4097, 0}, true},
        // No spread at all, where single precision leaves 1.5E-10.
        {{0.1f, 0.1f, 0.1f}, {3, 0.1f, 0.1f, 0, 0.1f, 0}, true},
    };
    for (const Case& c : cases) {
        const GroupStats a = ComputeAccurateGroupStats(c.values);
        const GroupStats& e = c.accurate;
        EXPECT_EQ(a.lngN, e.lngN);
        EXPECT_EQ(a.sngMean, e.sngMean) << e.sngMean;
        EXPECT_EQ(a.sngTrimmedMean, e.sngTrimmedMean) << e.sngMean;
        EXPECT_EQ(a.sngVariance, e.sngVariance) << e.sngMean;
        EXPECT_EQ(a.sngWinsMean, e.sngWinsMean) << e.sngMean;
        EXPECT_EQ(a.sngWinsVariance, e.sngWinsVariance) << e.sngMean;
        EXPECT_EQ(SinglePrecisionFailed(ComputeGroupStats(c.values), a), c.singleFailed)
            << e.sngMean;
    }

    // Each statistic against its own bound: a thousandth of SD 2, Winsorized
    // SD 1, variance 4 and Winsorized variance 1.
    const GroupStats accurate{10, 5, 5, 4, 5, 1};
    const struct {
        float GroupStats::*field;
        float within, beyond;
    } bounds[] = {
        {&GroupStats::sngMean, 5.0019f, 4.9979f},
        {&GroupStats::sngTrimmedMean, 5.0009f, 4.9989f},
        {&GroupStats::sngVariance, 3.9961f, 4.0041f},
        {&GroupStats::sngWinsVariance, 1.0009f, 0.9989f},
    };
    for (const auto& b : bounds) {
        GroupStats single = accurate;
        single.*b.field = b.within;
        EXPECT_FALSE(SinglePrecisionFailed(single, accurate)) << b.within;
        single.*b.field = b.beyond;
        EXPECT_TRUE(SinglePrecisionFailed(single, accurate)) << b.beyond;
    }
}

TEST(PairedSample, CountsEachVariableAndTheCompletePairsSeparately) {
    const DataSet data = testing::makeDataSet({
        {1, M, 3, 4, M, 6},
        {7, 8, M, 10, M, 12},
        {M, M, M, M, M, M},
    });
    const PairedSample sample = BuildPairedSample(data, 1, 2);
    EXPECT_EQ(sample.n1, 4);
    EXPECT_EQ(sample.n2, 4);
    EXPECT_EQ(sample.nPairs, 3);
    EXPECT_EQ(sample.sngVar1, (std::vector<float>{1, M, 3, 4, M, 6}));
    EXPECT_EQ(sample.sngVar2, (std::vector<float>{7, 8, M, 10, M, 12}));
    EXPECT_EQ(PresentValues(sample, 1), (std::vector<float>{1, 3, 4, 6}));
    EXPECT_EQ(PresentValues(sample, 2), (std::vector<float>{7, 8, 10, 12}));
    const CompletePairs pairs = CollectCompletePairs(sample);
    EXPECT_EQ(pairs.sngVar1, (std::vector<float>{1, 4, 6}));
    EXPECT_EQ(pairs.sngVar2, (std::vector<float>{7, 10, 12}));

    const PairedSample none = BuildPairedSample(data, 1, 3);
    EXPECT_EQ(none.n1, 4);
    EXPECT_EQ(none.n2, 0);
    EXPECT_EQ(none.nPairs, 0);
}

TEST(PairedSample, OnlyTheExactMissingCodeIsMissing) {
    // 9999998 and -9999999 are ordinary values; the column order follows the
    // chosen numbers, not the matrix.
    const DataSet data = testing::makeDataSet({{9999998.0f, -9999999.0f, M}, {1, 2, 3}});
    const PairedSample sample = BuildPairedSample(data, 2, 1);
    EXPECT_EQ(sample.n1, 3);
    EXPECT_EQ(sample.n2, 2);
    EXPECT_EQ(sample.nPairs, 2);
    EXPECT_EQ(sample.sngVar1, (std::vector<float>{1, 2, 3}));
}

}  // namespace
}  // namespace velmora
