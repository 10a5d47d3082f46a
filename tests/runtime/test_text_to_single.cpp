#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "runtime/text_to_single.h"

namespace velmora {
namespace {

std::uint32_t bitsOf(float v) {
    return std::bit_cast<std::uint32_t>(v);
}

struct NumberCase {
    std::string_view text;
    std::uint32_t bits;  // the expected single, as its IEEE 754 bit pattern
};

// Bit patterns written out by hand: sign | 8-bit exponent (bias 127) | 23-bit fraction.
constexpr NumberCase kNumbers[] = {
    {"5", 0x40A00000},   // 1.25 * 2^2
    {"+5", 0x40A00000},  // a leading "+" is allowed
    {"-5", 0xC0A00000},
    {"5.", 0x40A00000},   // point without fraction digits
    {".5", 0x3F000000},   // fraction digits without integer digits
    {"007", 0x40E00000},  // leading zeros
    {"-.25", 0xBE800000},
    {"0", 0x00000000},
    {"1e3", 0x447A0000},  // 1000 = 1.953125 * 2^9
    {"1E3", 0x447A0000},
    {"1e+3", 0x447A0000},
    {"2.5e-1", 0x3E800000},  // 0.25
    {"1.e2", 0x42C80000},    // 100
    {".5E1", 0x40A00000},
    {"12", 0x41400000},
    {" 12 ", 0x41400000},   // blanks at both ends are removed
    {"\t3\n", 0x40400000},  // so are tabs and line feeds
    {"\n -7.5\t ", 0xC0F00000},
    {"0.1", 0x3DCCCCCD},          // 0x1.99999Ap-4, rounded up
    {"9999999", 0x4B18967F},      // the missing code is exact
    {"16777216", 0x4B800000},     // 2^24
    {"16777217", 0x4B800000},     // tie between 2^24 and 2^24+2: even wins
    {"16777219", 0x4B800002},     // tie between 2^24+2 and 2^24+4: even (2^24+4) wins
    {"16777217.e0", 0x4B800000},  // the same ties with a bare point and an exponent
    {".16777219E8", 0x4B800002},
    {"1.5000000000000000000000000", 0x3FC00000},  // more digits than a 64-bit mantissa
    {"0000000000000000000000001.5", 0x3FC00000},  // leading zeros never count
    {"0.0000000000000000000000000000000000000000000000000001e61", 0x4E6E6B28},  // 1e9
};

TEST(TextToSingle, AcceptsEveryNumberFormAndGivesTheNearestSingle) {
    for (const NumberCase& c : kNumbers) {
        float value = 42.0f;
        EXPECT_EQ(textToSingle(c.text, value), NumberParse::Number) << '"' << c.text << '"';
        EXPECT_EQ(bitsOf(value), c.bits) << '"' << c.text << '"';
    }
}

TEST(TextToSingle, RejectsEverythingOutsideTheGrammarAndLeavesTheValue) {
    constexpr std::string_view kNotNumbers[] = {
        "1,5",        "$3",       "2 4",      "1e",
        "-",          ".",        "",         " ",
        "  ",         " . ",      "\t",       "abc",
        "+",          "1e+",      "1e-",      "e5",
        ".e5",        "-.e1",     "1.2.3",    "1e5.5",
        "1e5e5",      "--1",      "+-1",      "1-",
        "0x10",       "inf",      "nan",      "1\r",
        "\r1",        "5%",       "1 e5",     "1e 5",
        "1d5",        "1.5f",     "1..5",     "- 1",
        "1\v",        "\f1",      "1:5",      "1234567:",
        "12:45678",   "1234567/", "/1234567", "123456789012:",
        "0.1234567:", "\2401"};  // a no-break blank (octal 240) is not white space here
    for (std::string_view text : kNotNumbers) {
        float value = 42.0f;
        EXPECT_EQ(textToSingle(text, value), NumberParse::NotNumber) << '"' << text << '"';
        EXPECT_EQ(value, 42.0f) << '"' << text << '"';
    }
    // A NUL inside the text is just another character, not an end.
    float value = 42.0f;
    EXPECT_EQ(textToSingle(std::string_view("1\0", 2), value), NumberParse::NotNumber);
    EXPECT_EQ(textToSingle(std::string_view("\0"
                                            "1",
                                            2),
                           value),
              NumberParse::NotNumber);
}

// Digit runs of every length, so that runs shorter than, equal to and longer
// than eight characters are all read, with and without a point between them.
TEST(TextToSingle, ReadsDigitRunsOfEveryLength) {
    struct Case {
        std::string_view text;
        float value;  // exact in single unless noted
    };
    constexpr Case kCases[] = {
        {"7", 7.0f},
        {"12", 12.0f},
        {"123", 123.0f},
        {"1234", 1234.0f},
        {"12345", 12345.0f},
        {"123456", 123456.0f},
        {"1234567", 1234567.0f},
        {"12345678", 12345678.0f},
        {"123456789", 123456792.0f},  // singles here are 8 apart: 15432098.625 steps round up
        {"000000000000000016777215", 16777215.0f},
        {"0.5", 0.5f},
        {"0.25", 0.25f},
        {"0.125", 0.125f},
        {"0.0625", 0.0625f},
        {"0.03125", 0.03125f},
        {"0.015625", 0.015625f},
        {"0.0078125", 0.0078125f},
        {"0.00390625", 0.00390625f},          // 2^-8
        {"4096.0625", 4096.0625f},            // 2^12 + 2^-4
        {"1048576.5", 1048576.5f},            // 2^20 + 2^-1
        {"65535.99609375", 65535.99609375f},  // 2^16 - 2^-8: all 24 bits in use
        {"-65535.99609375e0", -65535.99609375f},
        {"6553599609375e-8", 65535.99609375f},
        {"1099511627776", 1099511627776.0f},  // 2^40, thirteen digits
        // 10^11 is not a single, so these need more than one multiplication's
        // rounding; the literals are the nearest singles.
        {"17e11", 1.7e12f},
        {"19e11", 1.9e12f},
        {"0.0000031e17", 3.1e11f},
        {"0.0000000000000000000000000000000000000000000000000000000000000000000000000001e76", 1.0f},
    };
    for (const Case& c : kCases) {
        float value = 0.0f;
        ASSERT_EQ(textToSingle(c.text, value), NumberParse::Number) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

// Singles next to 1 are 1 and 1 + 2^-23; their midpoint is 1 + 2^-24 =
// 1.000000059604644775390625 exactly, which is also a double. The text below is
// that midpoint plus 1e-26. Doubles next to 1 are 2^-52 apart, so the nearest
// double is the midpoint itself (1e-26 is far below half a double step, 1.1e-16);
// a float taken from that double then ties to even and gives 1. The text lies
// above the midpoint, so its nearest single is 1 + 2^-23 (bits 3F800001).
TEST(TextToSingle, RoundsOnceStraightToSingleWhereDoubleWouldRoundTwice) {
    constexpr const char* kJustAboveMidpoint = "1.00000005960464477539062501";
    // The trap is real: the double detour lands on 1.
    ASSERT_EQ(static_cast<float>(std::strtod(kJustAboveMidpoint, nullptr)), 1.0f);

    float value = 0.0f;
    ASSERT_EQ(textToSingle(kJustAboveMidpoint, value), NumberParse::Number);
    EXPECT_EQ(bitsOf(value), 0x3F800001u);

    // The exact midpoint ties to the even single, 1; just below it is 1 as well.
    ASSERT_EQ(textToSingle("1.000000059604644775390625", value), NumberParse::Number);
    EXPECT_EQ(bitsOf(value), 0x3F800000u);
    ASSERT_EQ(textToSingle("1.000000059604644775390624", value), NumberParse::Number);
    EXPECT_EQ(bitsOf(value), 0x3F800000u);
    ASSERT_EQ(textToSingle("-1.00000005960464477539062501", value), NumberParse::Number);
    EXPECT_EQ(bitsOf(value), 0xBF800001u);
}

// The largest single is (2 - 2^-23) * 2^127 = 3.40282347e38; values round to it
// up to half a step above, (2 - 2^-24) * 2^127 = 3.40282357e38, and beyond that
// they round to infinity, which is out of range.
TEST(TextToSingle, MagnitudeBeyondTheSingleRangeIsOutOfRange) {
    float value = 0.0f;
    ASSERT_EQ(textToSingle("3.4028235e38", value), NumberParse::Number);
    EXPECT_EQ(bitsOf(value), 0x7F7FFFFFu);
    ASSERT_EQ(textToSingle("-3.40282356e38", value), NumberParse::Number);
    EXPECT_EQ(bitsOf(value), 0xFF7FFFFFu);

    constexpr std::string_view kTooLarge[] = {"3.4028236e38",
                                              "-3.4028236e38",
                                              "1e39",
                                              "340282360000000000000000000000000000000",
                                              "1e999999999999999999999",
                                              "0.001e42"};
    for (std::string_view text : kTooLarge) {
        value = 42.0f;
        EXPECT_EQ(textToSingle(text, value), NumberParse::OutOfRange) << text;
        EXPECT_EQ(value, 42.0f) << text;
    }
}

// The smallest subnormal single is 2^-149 = 1.40129846e-45; half of it is
// 7.00649232e-46. Smaller magnitudes round to zero, which is a number too.
TEST(TextToSingle, TinyMagnitudesGiveTheNearestSubnormalOrZero) {
    struct Tiny {
        std::string_view text;
        std::uint32_t bits;
    };
    constexpr Tiny kTiny[] = {
        {"1e-45", 0x00000001},    // nearest is 2^-149
        {"7.1e-46", 0x00000001},  // just above half of 2^-149
        {"7e-46", 0x00000000},    // just below half of 2^-149
        {"1e-50", 0x00000000},
        {"-1e-50", 0x80000000},  // the sign survives on zero
        {"1e-99999999999999", 0x00000000},
        {"1.1754942e-38", 0x007FFFFF},        // largest subnormal, (2^23 - 1) * 2^-149
        {"1.17549435e-38", 0x00800000},       // smallest normal, 2^-126
        {"0e99999999999999999", 0x00000000},  // zero with any exponent
        {"-0", 0x80000000},
    };
    for (const Tiny& c : kTiny) {
        float value = 42.0f;
        EXPECT_EQ(textToSingle(c.text, value), NumberParse::Number) << c.text;
        EXPECT_EQ(bitsOf(value), c.bits) << c.text;
    }
}

}  // namespace
}  // namespace velmora
