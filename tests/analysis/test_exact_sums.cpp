#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "analysis/arithmetic.h"
#include "analysis/exact_sums.h"

namespace velmora {
namespace {

struct Moments {
    float mean;
    float variance;
};

Moments exactMoments(const std::vector<float>& values) {
    ExactSums sums;
    // Added in two halves in opposite orders: the sums must not depend on it.
    for (std::size_t i = values.size(); i-- > values.size() / 2;) sums.add(values[i]);
    for (std::size_t i = 0; i < values.size() / 2; ++i) sums.add(values[i]);
    const int base = sums.lowestBinade();
    const auto n = static_cast<std::int64_t>(values.size());
    return {exactMeanSingle(sums.sum(base), n, base),
            exactVarianceSingle(sums.sum(base), sums.squares(base), n, base)};
}

TEST(ExactSums, MeanAndVarianceAreTheExactValuesRoundedOnceToNearestEven) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* what;
        std::vector<float> values;
        float mean;
        float variance;
    };
    const std::vector<Case> cases = {
        {"thirds", {1, 2, 2}, 1.6666666f, 0.33333334f},  // 5/3 and 1/3
        {"equal tenths", {0.1f, 0.1f, 0.1f}, 0.1f, 0.0f},
        {"large with small spread", {10000, 10001, 10002}, 10001.0f, 1.0f},
        {"tie to the even single below", {16777216, 16777218}, 16777216.0f, 2.0f},
        {"tie to the even single above", {16777218, 16777220}, 16777220.0f, 2.0f},
        // 16777217 + 2^-122: above the tie only by bits far below the top 128.
        {"just above a tie", {67108864, 4, 0x1p-120f, 0}, 16777218.0f, 1125899839733760.0f},
        // 16777217 + 2^-102 / 3: only the remainder of the division tells.
        {"a remainder above a tie", {50331648, 3, 0x1p-102f}, 16777218.0f, 844424863023104.0f},
        {"negative", {-1, -2}, -1.5f, 0.5f},
        {"below half the smallest subnormal", {0x1p-149f, 0}, 0.0f, 0.0f},
        {"subnormal tie to even", {0x1.8p-148f, 0}, 0x1p-148f, 0.0f},
        {"variance beyond the range", {3e38f, -3e38f}, 0.0f, inf},
        {"sum beyond the range", {3e38f, 3e38f}, 3e38f, 0.0f},
    };
    for (const Case& c : cases) {
        const Moments m = exactMoments(c.values);
        EXPECT_EQ(m.mean, c.mean) << c.what;
        EXPECT_EQ(m.variance, c.variance) << c.what;
    }
    // The same sums rounded to double.
    ExactSums sums;
    for (float x : {1.0f, 2.0f, 2.0f}) sums.add(x);
    EXPECT_EQ(exactMeanDouble(sums.sum(1), 3, 1), 5.0 / 3.0);
    EXPECT_EQ(exactVarianceDouble(sums.sum(1), sums.squares(1), 3, 1), 1.0 / 3.0);
}

TEST(ExactSums, DoublesOfEveryMagnitudeGiveTheExactMeanAndVarianceRoundedOnce) {
    // Expected values: the exact rational mean and variance of the doubles,
    // rounded by hand (Python fractions) to single and to double.
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* what;
        std::vector<double> values;
        float mean;
        float variance;
        double doubleMean;
        double doubleVariance;
    };
    const std::vector<Case> cases = {
        {"tenths near a million",
         {1000000.1, 1000000.3, 1000000.3},
         1000000.25f,
         0x1.b4e81cp-7f,
         1000000.2333333334,
         0.01333333334264656},
        {"smallest subnormal", {0x1p-1074, 0.0}, 0.0f, 0.0f, 0.0, 0.0},
        {"tiny beside the largest",
         {3e38, 1e-300, -3e38},
         0.0f,
         inf,
         3.3333333333333334e-301,
         9.000000000000001e+76},
        {"tiny alone", {3e-300, 1e-300}, 0.0f, 0.0f, 2e-300, 0.0},
    };
    for (const Case& c : cases) {
        ExactDoubleSums sums;
        for (std::size_t i = c.values.size(); i-- > 0;) sums.add(c.values[i]);
        const int base = sums.lowestBinade();
        const auto n = static_cast<std::int64_t>(c.values.size());
        EXPECT_EQ(exactMeanSingle(sums.sum(base), n, base), c.mean) << c.what;
        EXPECT_EQ(exactVarianceSingle(sums.sum(base), sums.squares(base), n, base), c.variance)
            << c.what;
        EXPECT_EQ(exactMeanDouble(sums.sum(base), n, base), c.doubleMean) << c.what;
        EXPECT_EQ(exactVarianceDouble(sums.sum(base), sums.squares(base), n, base),
                  c.doubleVariance)
            << c.what;
    }
}

TEST(SinglePrecisionTest, FailsBeyondAThousandthOfTheSpreadAndOnAnyDifferenceWithoutSpread) {
    EXPECT_FALSE(singlePrecisionDrifted(10.0099, 10.0, 10.0));
    EXPECT_TRUE(singlePrecisionDrifted(9.9899, 10.0, 10.0));
    EXPECT_FALSE(singlePrecisionDrifted(0.0, 0.0, 0.0));
    EXPECT_TRUE(singlePrecisionDrifted(1.5e-10, 0.0, 0.0));
}

}  // namespace
}  // namespace velmora
