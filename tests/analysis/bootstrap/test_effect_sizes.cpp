#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/bootstrap/effect_sizes.h"
#include "analysis/bootstrap/group_stats.h"

namespace velmora {
namespace {

GroupStats statsOf(std::vector<float> values) {
    return ComputeGroupStats(values);
}

TEST(EffectSizes, RobustScaleIsTheDoubleRootOfTheConstant) {
    EXPECT_EQ(ROBUST_SCALE, std::sqrt(0.4129));
}

TEST(EffectSizes, UnitShiftWithUnitVariancesGivesDOfOne) {
    const GroupStats s1 = statsOf({1, 2, 3});
    const GroupStats s2 = statsOf({2, 3, 4});
    for (std::int32_t source : {1, 2}) {
        const EffectSizes es = ComputeEffectSizes(s1, s2, source);
        EXPECT_EQ(es.sngPooledVar, 1.0f);
        EXPECT_EQ(es.sngPooledWinsVar, 1.0f);
        EXPECT_EQ(es.sngPooledD(), 1.0f);
        EXPECT_EQ(es.sngNonpooledD(), 1.0f);
        // No trimming at n = 3: sqrt(0.4129) * 1 / 1, rounded once to single.
        EXPECT_EQ(es.sngPooledRobustD(), 0.64257294f);
        EXPECT_EQ(es.sngNonpooledRobustD(), 0.64257294f);
    }
}

TEST(EffectSizes, NonpooledEstimatesFollowTheChosenVariable) {
    // Var 1: 1..5 (mean 3, variance 2.5; trimmed mean 3, Winsorized variance 1).
    // Var 2: 2, 4, ..., 10 (mean 6, variance 10; trimmed mean 6, Winsorized 4).
    const GroupStats s1 = statsOf({1, 2, 3, 4, 5});
    const GroupStats s2 = statsOf({2, 4, 6, 8, 10});
    const EffectSizes fromVar1 = ComputeEffectSizes(s1, s2, 1);
    EXPECT_EQ(fromVar1.sngPooledVar, 6.25f);     // (4 * 10 + 4 * 2.5) / 8
    EXPECT_EQ(fromVar1.sngPooledWinsVar, 2.5f);  // (4 * 4 + 4 * 1) / 8
    EXPECT_EQ(fromVar1.sngPooledD(), 1.2f);      // 3 / 2.5
    EXPECT_EQ(fromVar1.sngPooledRobustD(), 1.2191964f);
    EXPECT_EQ(fromVar1.sngNonpooledD(), 1.8973666f);        // 3 / sqrt(2.5)
    EXPECT_EQ(fromVar1.sngNonpooledRobustD(), 1.9277189f);  // 0.6425... * 3 / 1

    const EffectSizes fromVar2 = ComputeEffectSizes(s1, s2, 2);
    EXPECT_EQ(fromVar2.sngPooledD(), 1.2f);
    EXPECT_EQ(fromVar2.sngNonpooledD(), 0.9486833f);         // 3 / sqrt(10)
    EXPECT_EQ(fromVar2.sngNonpooledRobustD(), 0.96385944f);  // 0.6425... * 3 / 2
}

TEST(EffectSizes, SwappingVariablesAndSourceFlipsEverySign) {
    const GroupStats a = statsOf({1.5f, 2, 7, 3.25f, 11, 4});
    const GroupStats b = statsOf({2, 9, 4.5f, 6, 6, 13, 1});
    const EffectSizes forward = ComputeEffectSizes(a, b, 1);
    const EffectSizes swapped = ComputeEffectSizes(b, a, 2);
    EXPECT_EQ(swapped.sngPooledVar, forward.sngPooledVar);
    EXPECT_EQ(swapped.sngPooledWinsVar, forward.sngPooledWinsVar);
    EXPECT_EQ(swapped.sngPooledD(), -forward.sngPooledD());
    EXPECT_EQ(swapped.sngPooledRobustD(), -forward.sngPooledRobustD());
    EXPECT_EQ(swapped.sngNonpooledD(), -forward.sngNonpooledD());
    EXPECT_EQ(swapped.sngNonpooledRobustD(), -forward.sngNonpooledRobustD());
    EXPECT_GT(forward.sngPooledD(), 0.0f);  // b has the larger mean
}

TEST(EffectSizes, ConstantSourceMakesBothNonpooledEstimatesNotComputable) {
    const GroupStats s1 = statsOf({5, 5, 5, 5, 5});
    const GroupStats s2 = statsOf({1, 2, 3, 4, 5});
    const EffectSizes es = ComputeEffectSizes(s1, s2, 1);
    EXPECT_EQ(es.sngNonpooledD(), 9999999.0f);
    EXPECT_EQ(es.sngNonpooledRobustD(), 9999999.0f);
    EXPECT_EQ(es.sngPooledVar, 1.25f);      // (4 * 2.5 + 4 * 0) / 8
    EXPECT_EQ(es.sngPooledD(), -1.7888544f);  // -2 / sqrt(1.25)
    EXPECT_EQ(es.sngPooledWinsVar, 0.5f);   // (4 * 1 + 4 * 0) / 8
    EXPECT_EQ(es.sngPooledRobustD(), -1.8174708f);

    // The other source is not constant: both nonpooled values are numbers.
    const EffectSizes other = ComputeEffectSizes(s1, s2, 2);
    EXPECT_EQ(other.sngNonpooledD(), -1.2649111f);        // -2 / sqrt(2.5)
    EXPECT_EQ(other.sngNonpooledRobustD(), -1.2851459f);  // 0.6425... * -2 / 1
}

TEST(EffectSizes, ZeroWinsorizedVariancesMakeOnlyTheRobustEstimatesNotComputable) {
    const GroupStats s1 = statsOf({5, 5, 5, 5, 100});
    const GroupStats s2 = statsOf({7, 7, 7, 7, 90});
    EXPECT_EQ(s1.sngWinsVariance, 0.0f);
    EXPECT_EQ(s2.sngWinsVariance, 0.0f);
    for (std::int32_t source : {1, 2}) {
        const EffectSizes es = ComputeEffectSizes(s1, s2, source);
        EXPECT_EQ(es.sngPooledWinsVar, 0.0f);
        EXPECT_EQ(es.sngPooledRobustD(), 9999999.0f);
        EXPECT_EQ(es.sngNonpooledRobustD(), 9999999.0f);
        EXPECT_NE(es.sngPooledD(), 9999999.0f);
        EXPECT_NE(es.sngNonpooledD(), 9999999.0f);
        EXPECT_LT(es.sngPooledD(), 0.0f);  // mean 23.6 against 24
    }
}

TEST(EffectSizes, SlightlyNegativeRawMomentVarianceIsNotComputable) {
    // 10000, 10001, 10002 come out with variance -1.5 (single-precision Q).
    const GroupStats s1 = statsOf({10000, 10001, 10002});
    const GroupStats s2 = statsOf({10000, 10010, 10020});
    ASSERT_LT(s1.sngVariance, 0.0f);
    const EffectSizes es = ComputeEffectSizes(s1, s2, 1);
    EXPECT_EQ(es.sngNonpooledD(), 9999999.0f);
    EXPECT_EQ(es.sngNonpooledRobustD(), 9999999.0f);
    EXPECT_NE(ComputeEffectSizes(s1, s2, 2).sngNonpooledD(), 9999999.0f);
}

TEST(EffectSizes, ComputabilityIsTheMarkCompareInDouble) {
    EXPECT_FALSE(isComputable(9999999.0f));
    EXPECT_TRUE(isComputable(9999998.0f));
    EXPECT_TRUE(isComputable(-9999999.0f));
    EXPECT_TRUE(isComputable(0.0f));
}

}  // namespace
}  // namespace velmora
