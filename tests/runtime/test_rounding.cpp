#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "runtime/rounding.h"

namespace velmora {
namespace {

struct FloatCase {
    float value;
    int decimals;
    float expected;
};

struct DoubleCase {
    double value;
    int decimals;
    double expected;
};

TEST(RoundHalfEvenSingle, ExactHalvesGoToTheEvenNeighbour) {
    // Sixteenths are exact binary values, so these are true ties at 3 decimals.
    const FloatCase cases[] = {
        {0.0625f, 3, 0.062f},   {0.1875f, 3, 0.188f}, {2.0625f, 3, 2.062f}, {-0.0625f, 3, -0.062f},
        {-0.1875f, 3, -0.188f}, {0.3125f, 3, 0.312f}, {0.5f, 0, 0.0f},      {1.5f, 0, 2.0f},
        {2.5f, 0, 2.0f},        {-2.5f, 0, -2.0f},    {0.25f, 1, 0.2f},     {0.75f, 1, 0.8f},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(roundHalfEven(c.value, c.decimals), c.expected)
            << c.value << " to " << c.decimals;
    }
}

TEST(RoundHalfEvenSingle, NearHalvesAreJudgedOnTheHeldValue) {
    // 1.0005f holds 1.00049996376..., just below the half: down, though the
    // decimal text "1.0005" would round away from zero to 1.001.
    EXPECT_EQ(roundHalfEven(1.0005f, 3), 1.0f);
    // 1.0025f holds 1.00250005722..., just above: up, though half-even on the
    // text "1.0025" would give 1.002.
    EXPECT_EQ(roundHalfEven(1.0025f, 3), 1.003f);
    // 0.0005f holds 0.000500000023...: above the half.
    EXPECT_EQ(roundHalfEven(0.0005f, 3), 0.001f);
    EXPECT_EQ(roundHalfEven(-0.0005f, 3), -0.001f);
}

TEST(RoundHalfEvenSingle, TypicalValuesGiveTheNearestFloatOfTheDecimal) {
    const FloatCase cases[] = {
        {2.3333333f, 3, 2.333f},     {1.5275252f, 3, 1.528f}, {-1.5275252f, 3, -1.528f},
        {12345.678f, 3, 12345.678f}, {0.1f, 3, 0.1f},         {0.9996f, 3, 1.0f},
        {99.9999f, 3, 100.0f},       {3.14159265f, 2, 3.14f}, {3.14159265f, 6, 3.141593f},
        {1234.5678f, 0, 1235.0f},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(roundHalfEven(c.value, c.decimals), c.expected)
            << c.value << " to " << c.decimals;
    }
}

TEST(RoundHalfEvenSingle, SmallNegativesRoundToNegativeZero) {
    const float r = roundHalfEven(-0.0004f, 3);
    EXPECT_EQ(r, 0.0f);
    EXPECT_TRUE(std::signbit(r));
    const float p = roundHalfEven(0.0004f, 3);
    EXPECT_EQ(p, 0.0f);
    EXPECT_FALSE(std::signbit(p));
    EXPECT_EQ(roundHalfEven(1e-30f, 3), 0.0f);
    EXPECT_EQ(roundHalfEven(1.4e-45f, 3), 0.0f);  // subnormal
}

TEST(RoundHalfEvenSingle, ValuesWithoutFurtherDigitsComeBackUnchanged) {
    const float unchanged[] = {
        0.0f,  3.0f, 16777216.0f, 16777218.0f, 1e30f, -1e30f, std::numeric_limits<float>::max(),
        0.125f};
    for (float v : unchanged) EXPECT_EQ(roundHalfEven(v, 3), v) << v;
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(roundHalfEven(inf, 3), inf);
    EXPECT_EQ(roundHalfEven(-inf, 3), -inf);
    EXPECT_TRUE(std::isnan(roundHalfEven(std::numeric_limits<float>::quiet_NaN(), 3)));
}

TEST(RoundHalfEvenDouble, ExactHalvesGoToTheEvenNeighbour) {
    const DoubleCase cases[] = {
        {0.0625, 3, 0.062},
        {0.1875, 3, 0.188},
        {2.0625, 3, 2.062},
        {-0.0625, 3, -0.062},
        {0.5, 0, 0.0},
        {1.5, 0, 2.0},
        {2.5, 0, 2.0},
        {-3.5, 0, -4.0},
        // 2^-7 = 0.0078125 and 3 * 2^-7 = 0.0234375 are ties at 6 decimals,
        // where x * 10^6 no longer fits in a 64-bit significand.
        {0.0078125, 6, 0.007812},
        {0.0234375, 6, 0.023438},
        {1e6 + 0.0078125, 6, 1000000.007812},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(roundHalfEven(c.value, c.decimals), c.expected)
            << c.value << " to " << c.decimals;
    }
}

TEST(RoundHalfEvenDouble, NearHalvesAreJudgedOnTheHeldValue) {
    EXPECT_EQ(roundHalfEven(1.0025, 3), 1.002);  // holds 1.00249999999999994671
    EXPECT_EQ(roundHalfEven(1.0005, 3), 1.0);    // holds 1.00049999999999994493
    EXPECT_EQ(roundHalfEven(1.0015, 3), 1.002);  // holds 1.00150000000000005684
    EXPECT_EQ(roundHalfEven(2.675, 2), 2.67);    // holds 2.67499999999999982236
    EXPECT_EQ(roundHalfEven(0.0005, 3), 0.001);  // holds 0.00050000000000000001
}

TEST(RoundHalfEvenDouble, TypicalValuesGiveTheNearestDoubleOfTheDecimal) {
    const DoubleCase cases[] = {
        {2.3333333, 3, 2.333},    {1.5275252, 3, 1.528},
        {-1.5275252, 3, -1.528},  {2.0 / 3.0, 3, 0.667},
        {-2.0 / 3.0, 3, -0.667},  {1234567.8915, 3, 1234567.891},
        {0.9995001, 3, 1.0},      {123.456789, 5, 123.45679},
        {0.123456789, 4, 0.1235}, {static_cast<double>(12345.678f), 3, 12345.678},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(roundHalfEven(c.value, c.decimals), c.expected)
            << c.value << " to " << c.decimals;
    }
}

TEST(RoundHalfEvenDouble, SmallNegativesRoundToNegativeZero) {
    const double r = roundHalfEven(-0.0004, 3);
    EXPECT_EQ(r, 0.0);
    EXPECT_TRUE(std::signbit(r));
    EXPECT_EQ(roundHalfEven(5e-324, 3), 0.0);
    EXPECT_EQ(roundHalfEven(1e-300, 6), 0.0);
}

TEST(RoundHalfEvenDouble, ValuesWithoutFurtherDigitsComeBackUnchanged) {
    const double unchanged[] = {
        0.0, 42.0, 9007199254740992.0, 1e17, -1e300, std::numeric_limits<double>::max(), 0.5};
    for (double v : unchanged) EXPECT_EQ(roundHalfEven(v, 3), v) << v;
    EXPECT_TRUE(std::isnan(roundHalfEven(std::numeric_limits<double>::quiet_NaN(), 3)));
}

TEST(RoundHalfEven, DecimalsOutsideZeroToThirtyAreRefused) {
    EXPECT_THROW(roundHalfEven(1.5, -1), std::out_of_range);
    EXPECT_THROW(roundHalfEven(1.5f, 31), std::out_of_range);
    EXPECT_EQ(roundHalfEven(1.5, 30), 1.5);
}

}  // namespace
}  // namespace velmora
