// The whole-number sums must give the rank walk's figures bit for bit: both
// are exact sums rounded once, so any difference is a fault in one of them.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "analysis/paired/fixed_point_columns.h"
#include "analysis/paired/paired_columns.h"
#include "analysis/paired/paired_jackknife.h"
#include "paired_test_support.h"

namespace velmora {
namespace {

struct Case {
    const char* name;
    std::vector<double> var1;
    std::vector<double> var2;
};

constexpr double kTop = 2147483647.0;  // 2^31 - 1 units

std::vector<Case> fittingCases() {
    std::mt19937 random(5);
    std::normal_distribution<double> normal(50.0, 10.0);
    Case decimals{"singles of two decimals", {}, {}};
    for (int k = 0; k < 97; ++k) {
        decimals.var1.push_back(static_cast<float>(std::round(normal(random) * 100) / 100));
        decimals.var2.push_back(static_cast<float>(std::round(normal(random) * 100) / 100));
    }
    return {
        {"two pairs, nothing trimmed", {1.5, 3}, {2.25, 1}},
        {"three pairs", {1, 2, 3}, {2, 5, 3}},
        {"negative and zero", {-1.5, 2, 3, 0, 7.25}, {2, -5, 3, 0, -0.125}},
        {"ties", {1, 1, 2, 2, 2, 3, 1, 3}, {4, 4, 4, 1, 2, 2, 1, 3}},
        {"the largest units", {kTop, -kTop, 0, 1, 5}, {kTop - 1, -kTop + 3, 7, 0, 2}},
        {"tiny unit",
         {std::ldexp(3.0, -1000), std::ldexp(5.0, -1000), 0},
         {0, std::ldexp(1.0, -999), std::ldexp(7.0, -1000)}},
        decimals,
    };
}

// Counts that draw every pair once, all draws on one pair, and random
// resamples (which split tied ranks across the ends of the kept stretch).
std::vector<std::vector<std::uint32_t>> countsFor(std::size_t n) {
    std::vector<std::vector<std::uint32_t>> all;
    all.emplace_back(n, 1u);
    std::vector<std::uint32_t> one(n, 0u);
    one[n / 2] = static_cast<std::uint32_t>(n);
    all.push_back(one);
    std::mt19937 random(static_cast<unsigned>(n));
    for (int t = 0; t < 40; ++t) {
        std::vector<std::uint32_t> counts(n, 0u);
        for (std::size_t m = 0; m < n; ++m) ++counts[random() % n];
        all.push_back(counts);
    }
    return all;
}

TEST(FixedPointColumns, TrialsAndJackknifeEqualTheRankWalkBitForBit) {
    for (const Case& c : fittingCases()) {
        SCOPED_TRACE(c.name);
        const WrittenPairs pairs{c.var1, c.var2};
        const PairedColumns fixed(pairs);
        const PairedColumns walked = RankWalkColumns::of(pairs);
        ASSERT_TRUE(fixed.fixedPoint().has_value());
        ASSERT_FALSE(walked.fixedPoint().has_value());
        PairedTrialStatistics a(fixed);
        PairedTrialStatistics b(walked);
        for (const auto& counts : countsFor(c.var1.size())) {
            const PairedMoments ma = a.moments(counts);
            const PairedMoments mb = b.moments(counts);
            EXPECT_EQ(ma, mb);
        }
        if (c.var1.size() < 3) continue;  // no jackknife below three pairs
        std::vector<PairedEstimates> fromFixed;
        std::vector<PairedEstimates> fromWalk;
        ForEachLeaveOneOut(fixed, 1,
                           [&](std::size_t, const PairedEstimates& e) { fromFixed.push_back(e); });
        ForEachLeaveOneOut(walked, 1,
                           [&](std::size_t, const PairedEstimates& e) { fromWalk.push_back(e); });
        EXPECT_EQ(fromFixed, fromWalk);
    }
}

TEST(FixedPointColumns, ValuesBeyondThirtyOneBitsOfOneUnitKeepTheRankWalk) {
    const struct {
        const char* name;
        std::vector<double> var1, var2;
    } cases[] = {
        {"a value of 2^31 units", {2147483648.0, 1}, {0, 1}},
        {"D of 2^31 units", {-1073741824.0, 0}, {1073741824.0, 1}},
        {"a wide range", {1e-3f, 1000}, {2, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(PairedColumns(WrittenPairs{c.var1, c.var2}).fixedPoint().has_value());
    }
}

}  // namespace
}  // namespace velmora
