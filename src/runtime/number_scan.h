#pragma once

// The one implementation of the number grammar, shared by textToSingle and
// the import's in-place field scanner so that both always agree.

#include <charconv>
#include <cstdint>
#include <system_error>

#include "runtime/text_to_single.h"

namespace velmora::detail {

// What scanDecimal found at the start of a character range.
struct DecimalScan {
    const char* stop = nullptr;    // first character not taken
    const char* digits = nullptr;  // first character after the sign
    bool complete = false;         // the taken characters form a whole number text
    bool negative = false;
    // The value is exactly mantissa × 10^exp10 with mantissa <= 2^24 and
    // |exp10| <= 10, so one correctly rounded float operation gives it.
    bool fastExact = false;
    std::uint64_t mantissa = 0;
    std::int64_t exp10 = 0;
    // Decimal exponent of the leading nonzero digit (value in [10^e, 10^(e+1))),
    // meaningful when nonZero.
    std::int64_t leadExp = 0;
    bool nonZero = false;
};

inline bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// Takes, from [p, end), the longest run of the form: optional sign, digits with
// at most one ".", then an exponent "E"/"e" with optional sign and digits. The
// run is complete when it holds at least one mantissa digit and, if an exponent
// letter was taken, at least one exponent digit.
inline DecimalScan scanDecimal(const char* p, const char* end) {
    DecimalScan s;
    if (p != end && (*p == '+' || *p == '-')) {
        s.negative = *p == '-';
        ++p;
    }
    s.digits = p;

    constexpr int kMaxGathered = 19;  // a uint64 holds any 19 decimal digits
    std::uint64_t mant = 0;
    int gathered = 0;
    bool dropped = false;  // significant digits beyond kMaxGathered
    std::int64_t intDigits = 0;
    std::int64_t fracDigits = 0;
    std::int64_t leadPos = 0;
    bool nonZero = false;

    std::int64_t firstNonZeroInt = -1;
    while (p != end && isAsciiDigit(*p)) {
        const unsigned d = static_cast<unsigned>(*p - '0');
        if (nonZero || d != 0) {
            if (!nonZero) firstNonZeroInt = intDigits;
            nonZero = true;
            if (gathered < kMaxGathered) {
                mant = mant * 10 + d;
                ++gathered;
            } else {
                dropped = true;
            }
        }
        ++intDigits;
        ++p;
    }
    if (nonZero) leadPos = intDigits - 1 - firstNonZeroInt;

    if (p != end && *p == '.') {
        ++p;
        while (p != end && isAsciiDigit(*p)) {
            const unsigned d = static_cast<unsigned>(*p - '0');
            ++fracDigits;
            if (nonZero || d != 0) {
                if (!nonZero) leadPos = -fracDigits;
                nonZero = true;
                if (gathered < kMaxGathered) {
                    mant = mant * 10 + d;
                    ++gathered;
                } else {
                    dropped = true;
                }
            }
            ++p;
        }
    }

    const bool haveDigits = intDigits + fracDigits > 0;
    std::int64_t explicitExp = 0;
    bool exponentOk = true;
    if (haveDigits && p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool expNegative = false;
        if (p != end && (*p == '+' || *p == '-')) {
            expNegative = *p == '-';
            ++p;
        }
        if (p == end || !isAsciiDigit(*p)) {
            exponentOk = false;
        } else {
            // Saturate: far beyond any single magnitude, and no overflow.
            constexpr std::int64_t kCap = 1'000'000'000'000LL;
            while (p != end && isAsciiDigit(*p)) {
                if (explicitExp < kCap) explicitExp = explicitExp * 10 + (*p - '0');
                ++p;
            }
            if (expNegative) explicitExp = -explicitExp;
        }
    }

    s.stop = p;
    s.complete = haveDigits && exponentOk;
    s.nonZero = nonZero;
    if (!s.complete) return s;
    if (!nonZero) {
        s.fastExact = true;  // zero, whatever the exponent
        return s;
    }
    s.leadExp = leadPos + explicitExp;
    s.mantissa = mant;
    s.exp10 = explicitExp - fracDigits;
    s.fastExact = !dropped && mant <= (std::uint64_t{1} << 24) && s.exp10 >= -10 && s.exp10 <= 10;
    return s;
}

// The nearest single of a complete scan whose number text ends at numberEnd.
inline NumberParse scannedToSingle(const DecimalScan& s, const char* numberEnd, float& value) {
    static constexpr float kPow10[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                       1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    float v = 0.0f;
    if (s.fastExact) {
        // Both operands are exact floats, so the single IEEE operation rounds once.
        v = static_cast<float>(s.mantissa);
        if (s.exp10 < 0) {
            v /= kPow10[-s.exp10];
        } else {
            v *= kPow10[s.exp10];
        }
    } else {
        // Straight to float: a detour through double could round twice.
        const auto r = std::from_chars(s.digits, numberEnd, v, std::chars_format::general);
        if (r.ec == std::errc::result_out_of_range) {
            // Reported both for overflow and for underflow to zero; only the
            // magnitude tells them apart, and a tiny value is simply 0.
            if (s.leadExp >= 0) return NumberParse::OutOfRange;
            v = 0.0f;
        } else if (r.ec != std::errc{} || r.ptr != numberEnd) {
            return NumberParse::NotNumber;  // cannot happen for a complete scan
        }
    }
    value = s.negative ? -v : v;
    return NumberParse::Number;
}

}  // namespace velmora::detail
