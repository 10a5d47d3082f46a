#include <gtest/gtest.h>

#include <vector>

#include "analysis/bootstrap/percentile_interval.h"

namespace velmora {
namespace {

constexpr float k90 = 0.9f;
constexpr float k95 = 0.95f;
constexpr float k99 = 0.99f;

struct PositionRow {
    std::int32_t trials;
    PercentilePositions at90;
    PercentilePositions at95;
    PercentilePositions at99Pooled;
    PercentilePositions at99Nonpooled;
};

TEST(PercentileInterval, PositionsWhenEveryTrialIsValid) {
    const PositionRow rows[] = {
        {600, {31, 570}, {16, 585}, {3, 598}, {4, 597}},
        {800, {41, 760}, {21, 780}, {4, 797}, {5, 796}},
        {1000, {51, 950}, {26, 975}, {5, 996}, {6, 995}},
        {1200, {61, 1140}, {31, 1170}, {6, 1195}, {7, 1194}},
        {1400, {71, 1330}, {36, 1365}, {7, 1394}, {8, 1393}},
        {1600, {81, 1520}, {41, 1560}, {8, 1593}, {9, 1592}},
        {1800, {91, 1710}, {46, 1755}, {9, 1792}, {10, 1791}},
        {2000, {101, 1900}, {51, 1950}, {10, 1991}, {11, 1990}},
    };
    const auto expectAt = [](std::int32_t L, float level, PositionRule rule,
                             PercentilePositions want) {
        const PercentilePositions got = PercentilePositionsFor(L, level, rule);
        EXPECT_EQ(got.lower, want.lower) << "L = " << L << ", level " << level;
        EXPECT_EQ(got.upper, want.upper) << "L = " << L << ", level " << level;
    };
    for (const PositionRow& row : rows) {
        for (PositionRule rule : {PositionRule::Truncate, PositionRule::RoundHalfEven}) {
            expectAt(row.trials, k90, rule, row.at90);
            expectAt(row.trials, k95, rule, row.at95);
        }
        expectAt(row.trials, k99, PositionRule::Truncate, row.at99Pooled);
        expectAt(row.trials, k99, PositionRule::RoundHalfEven, row.at99Nonpooled);
    }
}

TEST(PercentileInterval, PooledTruncatesWhereNonpooledRoundsUp) {
    // L = 599 at 95%: a * L = 14.975...
    EXPECT_EQ(PercentilePositionsFor(599, k95, PositionRule::Truncate).lower, 15);
    EXPECT_EQ(PercentilePositionsFor(599, k95, PositionRule::Truncate).upper, 585);
    EXPECT_EQ(PercentilePositionsFor(599, k95, PositionRule::RoundHalfEven).lower, 16);
    EXPECT_EQ(PercentilePositionsFor(599, k95, PositionRule::RoundHalfEven).upper, 584);
    // L = 20 at 95%: a * L = 0.5000001..., just above the half.
    EXPECT_EQ(PercentilePositionsFor(20, k95, PositionRule::Truncate).lower, 1);
    EXPECT_EQ(PercentilePositionsFor(20, k95, PositionRule::Truncate).upper, 20);
    EXPECT_EQ(PercentilePositionsFor(20, k95, PositionRule::RoundHalfEven).lower, 2);
    EXPECT_EQ(PercentilePositionsFor(20, k95, PositionRule::RoundHalfEven).upper, 19);
}

TEST(PercentileInterval, NonpooledRoundingSendsAnExactHalfToEven) {
    // A level of 0.5f gives a = 0.25 exactly: L = 2 -> 0.5 -> 0, L = 6 -> 1.5 -> 2,
    // L = 10 -> 2.5 -> 2.
    EXPECT_EQ(PercentilePositionsFor(2, 0.5f, PositionRule::RoundHalfEven).lower, 1);
    EXPECT_EQ(PercentilePositionsFor(6, 0.5f, PositionRule::RoundHalfEven).lower, 3);
    EXPECT_EQ(PercentilePositionsFor(10, 0.5f, PositionRule::RoundHalfEven).lower, 3);
    EXPECT_EQ(PercentilePositionsFor(10, 0.5f, PositionRule::RoundHalfEven).upper, 8);
}

TEST(PercentileInterval, PositionsStayInsideEveryShortList) {
    for (float level : {k90, k95, k99})
        for (PositionRule rule : {PositionRule::Truncate, PositionRule::RoundHalfEven})
            for (std::int32_t L = 1; L <= 2000; ++L) {
                const PercentilePositions at = PercentilePositionsFor(L, level, rule);
                ASSERT_GE(at.lower, 1) << L;
                ASSERT_LE(at.lower, at.upper) << L;
                ASSERT_LE(at.upper, L) << L;
            }
}

TEST(PercentileInterval, LimitsAreReadFromTheAscendingOrder) {
    // 20 values given out of order: 95% pooled keeps the ends, nonpooled cuts one.
    const std::vector<float> shuffled{7,  -3, 12, 0.5f, 19, 4, -8, 15, 1, 9,
                                      11, 2,  30, -1,   6,  5, 14, 3,  8, 10};
    std::vector<float> a = shuffled;
    const PercentileInterval pooled = ReadPercentileInterval(a, k95, PositionRule::Truncate);
    EXPECT_EQ(pooled.sngLower, -8.0f);
    EXPECT_EQ(pooled.sngUpper, 30.0f);
    std::vector<float> b = shuffled;
    const PercentileInterval nonpooled =
        ReadPercentileInterval(b, k95, PositionRule::RoundHalfEven);
    EXPECT_EQ(nonpooled.sngLower, -3.0f);
    EXPECT_EQ(nonpooled.sngUpper, 19.0f);
}

TEST(PercentileInterval, SingleValueIsBothLimits) {
    for (float level : {k90, k95, k99})
        for (PositionRule rule : {PositionRule::Truncate, PositionRule::RoundHalfEven}) {
            std::vector<float> one{-0.75f};
            const PercentileInterval ci = ReadPercentileInterval(one, level, rule);
            EXPECT_EQ(ci.sngLower, -0.75f);
            EXPECT_EQ(ci.sngUpper, -0.75f);
        }
}

TEST(PercentileInterval, NoValidTrialGivesTheNotComputableMarkForBothLimits) {
    std::vector<float> none;
    const PercentileInterval ci = ReadPercentileInterval(none, k95, PositionRule::RoundHalfEven);
    EXPECT_EQ(ci.sngLower, 9999999.0f);
    EXPECT_EQ(ci.sngUpper, 9999999.0f);
}

}  // namespace
}  // namespace velmora
