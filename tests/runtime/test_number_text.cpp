#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <limits>
#include <string>

#include "runtime/number_text.h"

namespace velmora {
namespace {

struct SingleCase {
    float value;
    const char* text;
};

struct DoubleCase {
    double value;
    const char* text;
};

TEST(IntegerText, WritesDigitsWithMinusOnlyForNegatives) {
    EXPECT_EQ(integerText(0), "0");
    EXPECT_EQ(integerText(7), "7");
    EXPECT_EQ(integerText(-7), "-7");
    EXPECT_EQ(integerText(1000000), "1000000");
    EXPECT_EQ(integerText(2147483647), "2147483647");
    EXPECT_EQ(integerText(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(integerText(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

TEST(SingleText, PlainFormDropsTrailingZerosAndBarePoint) {
    const SingleCase cases[] = {
        {0.5f, "0.5"},           {0.25f, "0.25"},
        {-0.333f, "-0.333"},  // holds -0.333000004291534...
        {2.5f, "2.5"},           {3.0f, "3"},
        {-2.0f, "-2"},           {100.0f, "100"},
        {1000000.0f, "1000000"}, {0.1f, "0.1"},  // holds 0.100000001490116...
        {123.456f, "123.456"},   {9999999.0f, "9999999"},
        {2.333f, "2.333"},       {1.528f, "1.528"},
        {-0.062f, "-0.062"},
    };
    for (const auto& c : cases) EXPECT_EQ(singleText(c.value), c.text) << c.text;
}

TEST(SingleText, RoundsToSevenSignificantDigitsFromTheHeldValue) {
    const SingleCase cases[] = {
        {12345.678f, "12345.68"},  // holds 12345.677734375
        {1234567.8f, "1234568"},   // holds 1234567.75
        {2.3333333f, "2.333333"}, {0.6666667f, "0.6666667"},
        {-1.0000001f, "-1"},      // holds -1.00000011920929
        {1234567.5f, "1234568"},  // an exact half goes to the even neighbour
        {1234568.5f, "1234568"},  {0.000123f, "0.000123"},  // holds 0.000123000005260
    };
    for (const auto& c : cases) EXPECT_EQ(singleText(c.value), c.text) << c.text;
}

TEST(SingleText, EitherZeroIsPlainZero) {
    EXPECT_EQ(singleText(0.0f), "0");
    EXPECT_EQ(singleText(-0.0f), "0");
}

TEST(SingleText, ExponentFormFromTenMillionAndBelowOneTenThousandth) {
    const SingleCase cases[] = {
        {12345678.0f, "1.234568E+07"},
        {-12345678.0f, "-1.234568E+07"},
        {10000000.0f, "1E+07"},
        {16777216.0f, "1.677722E+07"},
        {1e38f, "1E+38"},
        {FLT_MAX, "3.402823E+38"},  // 340282346638528859811704183484516925440
        {-FLT_MAX, "-3.402823E+38"},
        {0.00001f, "1E-05"},  // holds 9.99999974737875e-06
        {1.5e-5f, "1.5E-05"},
        {-0.00002f, "-2E-05"},
        {1e-10f, "1E-10"},
        {FLT_MIN, "1.175494E-38"},   // 1.17549435082229e-38
        {1.4e-45f, "1.401298E-45"},  // the smallest subnormal, 2^-149
    };
    for (const auto& c : cases) EXPECT_EQ(singleText(c.value), c.text) << c.text;
}

TEST(SingleText, FormIsChosenAfterRounding) {
    // 0.0001f holds 9.99999974737875e-05: below one ten-thousandth, but its
    // seven digits are 1.000000E-04, which is plain.
    EXPECT_EQ(singleText(0.0001f), "0.0001");
    // The float just below it keeps seven nines and so stays in exponent form.
    EXPECT_EQ(singleText(9.99999902e-05f), "9.999999E-05");
    // 9999999.5 is not a float; the nearest is ten million.
    EXPECT_EQ(singleText(9999999.5f), "1E+07");
}

TEST(SingleText, NonFiniteValuesHaveNames) {
    EXPECT_EQ(singleText(std::numeric_limits<float>::quiet_NaN()), "NaN");
    EXPECT_EQ(singleText(std::numeric_limits<float>::infinity()), "Inf");
    EXPECT_EQ(singleText(-std::numeric_limits<float>::infinity()), "-Inf");
}

TEST(DoubleText, WritesUpToFifteenSignificantDigits) {
    const DoubleCase cases[] = {
        {2.333, "2.333"},  // holds 2.33299999999999996...
        {1.528, "1.528"},
        {0.5, "0.5"},
        {-1.5, "-1.5"},
        {3.0, "3"},
        {0.1, "0.1"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        {-2.0 / 3.0, "-0.666666666666667"},
        {static_cast<double>(12345.678f), "12345.677734375"},
        {static_cast<double>(0.1f), "0.100000001490116"},
        {123456789012345.0, "123456789012345"},
        {999999999999999.0, "999999999999999"},
        {12345678.0, "12345678"},  // plain: exponent form only from 10^15
        {0.0001, "0.0001"},
        {0.000123456789, "0.000123456789"},
    };
    for (const auto& c : cases) EXPECT_EQ(doubleText(c.value), c.text) << c.text;
}

TEST(DoubleText, EitherZeroIsPlainZero) {
    EXPECT_EQ(doubleText(0.0), "0");
    EXPECT_EQ(doubleText(-0.0), "0");
}

TEST(DoubleText, ExponentFormFromTenToTheFifteenAndBelowOneTenThousandth) {
    const DoubleCase cases[] = {
        {1e15, "1E+15"},
        {1234567890123456.0, "1.23456789012346E+15"},
        {-1e16, "-1E+16"},
        {999999999999999.9, "1E+15"},  // rounds up into exponent form
        {1e300, "1E+300"},
        {DBL_MAX, "1.79769313486232E+308"},
        {1e-5, "1E-05"},
        {0.00009999999999999999, "0.0001"},  // the double just below 1E-04 rounds to it
        {1.25e-7, "1.25E-07"},
        {5e-324, "4.94065645841247E-324"},  // the smallest subnormal, 2^-1074
    };
    for (const auto& c : cases) EXPECT_EQ(doubleText(c.value), c.text) << c.text;
}

// Width 9, the Descriptives cell: the texts are written out from the rule,
// the value's digits rounded to what fits.
TEST(FittedText, TextsThatFitStayAndLongerOnesTakeTheFixedOrExponentFormThatFits) {
    const struct {
        double value;
        const char* text;  // the rule 1, 2 or 3 text
        const char* fitted;
    } cases[] = {
        // Nine characters or fewer: unchanged.
        {123456.75, "123456.75", "123456.75"},
        {-0.123, "-0.123", "-0.123"},
        {1e-05, "1E-05", "1E-05"},
        {-1e38, "-1E+38", "-1E+38"},
        {0.0, "0", "0"},
        {std::numeric_limits<double>::quiet_NaN(), "NaN", "NaN"},
        // Longer, from 1 on with a whole part that fits: fixed, the decimals
        // that fit rounded from the value, trailing zeros dropped.
        {100000.4955, "100000.4955", "100000.5"},
        {1122345.46, "1122345.46", "1122345.5"},
        {3722358.375, "3722358.375", "3722358.4"},
        {12345678.0, "1.234568E+07", "12345678"},
        {-1234567.25, "-1234567.25", "-1234567"},
        {1234567.25, "1234567.25", "1234567.2"},  // an exact half goes to the even digit
        {123456.789, "123456.789", "123456.79"},
        {99999.99995, "99999.99995", "100000"},   // rounds up into the next power
        {99999999.7, "99999999.7", "100000000"},  // a carry that still fits
        {999999999.6, "999999999.6", "1E+09"},    // one that no longer fits
        // Otherwise as many digits as fit, the sign and exponent included.
        {-123456792.0, "-1.234568E+08", "-1.23E+08"},
        {-123456792.0, "-123456792", "-1.23E+08"},
        {1.7014117331926443e38, "1.701412E+38", "1.701E+38"},
        {1.6999999760721821e38, "1.69999997607218E+38", "1.7E+38"},  // zeros dropped
        {-0.1234567, "-0.1234567", "-1.23E-01"},
        {0.000123456789, "0.000123456789", "1.235E-04"},
        {1234500000.0, "1234500000", "1.234E+09"},  // an exact half goes to the even digit
        {1234500001.0, "1234500001", "1.235E+09"},
        {2147483647.0, "2147483647", "2.147E+09"},  // the largest count
        {1.23456789e100, "1.23456789E+100", "1.23E+100"},
    };
    for (const auto& c : cases) EXPECT_EQ(fittedText(c.value, c.text, 9), c.fitted) << c.text;
    // One digit is the fewest: a width too small for it is exceeded, not cut.
    EXPECT_EQ(fittedText(-123456792.0, "-123456792", 4), "-1E+08");
}

}  // namespace
}  // namespace velmora
