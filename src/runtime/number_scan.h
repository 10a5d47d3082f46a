#pragma once

// The one implementation of the number grammar, shared by textToSingle and
// the import's in-place field scanner so that both always agree. It reads a
// field's digits eight at a time: bench/import_bench imports at about
// 370-400 MB/s with it, and at about 210-230 MB/s when std::from_chars (after
// a check of the grammar) reads each field, below the 300 MB/s the import must
// reach.

#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
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
    std::int64_t intDigits = 0;    // digits before the point
    std::int64_t fracDigits = 0;   // digits after it
    std::int64_t explicitExp = 0;  // the exponent part's value (saturated), 0 when absent
};

inline bool isAsciiDigit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}

// Eight characters at a time, first character in the lowest byte.
inline std::uint64_t loadEight(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// How many of the eight characters in v, from the first, are ASCII digits.
// Digits neither borrow nor carry, so the first non-digit is always flagged
// correctly; what follows it does not matter.
inline int leadingDigitCount(std::uint64_t v) {
    const std::uint64_t nonDigit =
        ((v + 0x4646464646464646ULL) | (v - 0x3030303030303030ULL)) & 0x8080808080808080ULL;
    return nonDigit == 0 ? 8 : std::countr_zero(nonDigit) / 8;
}

// The value of the first k (1..8) characters of v, all digits.
inline std::uint64_t eightDigitValue(std::uint64_t v, int k) {
    // Shift the k digits to the top: the bytes below become leading zeros and
    // whatever followed the digits falls off the end.
    v = (v - 0x3030303030303030ULL) << (8 * (8 - k));
    v = (v * 10) + (v >> 8);  // pairs of digits
    v = (((v & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
         (((v >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
        32;
    return v & 0xFFFFFFFFULL;
}

// Takes the digits starting at p into mant (mant * 10 + digit each; it wraps
// when more than 19 digits are gathered, which callers check by count) and
// returns the first character that is not a digit.
inline const char* takeDigits(const char* p, const char* end, std::uint64_t& mant) {
    static constexpr std::uint64_t kScale[] = {1,      10,      100,      1000,     10000,
                                               100000, 1000000, 10000000, 100000000};
    if constexpr (std::endian::native == std::endian::little) {
        while (end - p >= 8) {
            const std::uint64_t v = loadEight(p);
            const int k = leadingDigitCount(v);
            if (k == 0) return p;
            mant = mant * kScale[k] + eightDigitValue(v, k);
            p += k;
            if (k < 8) return p;
        }
    }
    while (p != end && isAsciiDigit(*p)) {
        mant = mant * 10 + static_cast<unsigned>(*p - '0');
        ++p;
    }
    return p;
}

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

    // Up to 19 digits, leading zeros included, fit a uint64; longer digit runs
    // are rare and go to the general conversion.
    constexpr std::int64_t kMaxGathered = 19;
    std::uint64_t mant = 0;
    const char* const intStart = p;
    p = takeDigits(p, end, mant);
    s.intDigits = p - intStart;
    if (p != end && *p == '.') {
        ++p;
        const char* const fracStart = p;
        p = takeDigits(p, end, mant);
        s.fracDigits = p - fracStart;
    }
    const std::int64_t allDigits = s.intDigits + s.fracDigits;
    if (allDigits == 0) {
        s.stop = p;
        return s;
    }

    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool expNegative = false;
        if (p != end && (*p == '+' || *p == '-')) {
            expNegative = *p == '-';
            ++p;
        }
        if (p == end || !isAsciiDigit(*p)) {
            s.stop = p;
            return s;  // an exponent letter without exponent digits
        }
        // Saturate: far beyond any single magnitude, and no overflow.
        constexpr std::int64_t kCap = 1'000'000'000'000LL;
        std::int64_t e = 0;
        while (p != end && isAsciiDigit(*p)) {
            if (e < kCap) e = e * 10 + (*p - '0');
            ++p;
        }
        s.explicitExp = expNegative ? -e : e;
    }

    s.stop = p;
    s.complete = true;
    if (allDigits > kMaxGathered) return s;  // mantissa wrapped: general conversion
    s.mantissa = mant;
    if (mant == 0) {
        s.fastExact = true;  // zero, whatever the exponent
        return s;
    }
    s.exp10 = s.explicitExp - s.fracDigits;
    s.fastExact = mant <= (std::uint64_t{1} << 24) && s.exp10 >= -10 && s.exp10 <= 10;
    return s;
}

// Decimal exponent e of the leading nonzero digit of a complete scan, so that
// the magnitude lies in [10^e, 10^(e+1)); the scan must hold a nonzero digit.
inline std::int64_t leadingExponent(const DecimalScan& s) {
    const char* p = s.digits;
    for (std::int64_t k = 0; k < s.intDigits; ++k, ++p) {
        if (*p != '0') return s.intDigits - 1 - k + s.explicitExp;
    }
    if (s.fracDigits > 0) ++p;  // the point
    for (std::int64_t k = 1; k <= s.fracDigits; ++k, ++p) {
        if (*p != '0') return -k + s.explicitExp;
    }
    return 0;
}

// mantissa * 10^exp10 by one IEEE operation, which rounds once when the
// mantissa and the power of ten are both exact in Real.
template <typename Real, std::size_t N>
inline Real scaledByPowerOfTen(std::uint64_t mantissa, std::int64_t exp10, const Real (&pow10)[N]) {
    const auto v = static_cast<Real>(mantissa);
    return exp10 < 0 ? v / pow10[-exp10] : v * pow10[exp10];
}

// The nearest single of a complete scan whose number text ends at numberEnd.
inline NumberParse scannedToSingle(const DecimalScan& s, const char* numberEnd, float& value) {
    static constexpr float kPow10[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                       1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    float v = 0.0f;
    if (s.fastExact) {
        v = scaledByPowerOfTen(s.mantissa, s.exp10, kPow10);
    } else {
        // Straight to float: a detour through double could round twice.
        const auto r = std::from_chars(s.digits, numberEnd, v, std::chars_format::general);
        if (r.ec == std::errc::result_out_of_range) {
            // Reported both for overflow and for underflow to zero; only the
            // magnitude tells them apart, and a tiny value is simply 0.
            if (leadingExponent(s) >= 0) return NumberParse::OutOfRange;
            v = 0.0f;
        } else if (r.ec != std::errc{} || r.ptr != numberEnd) {
            return NumberParse::NotNumber;  // cannot happen for a complete scan
        }
    }
    value = s.negative ? -v : v;
    return NumberParse::Number;
}

// The nearest double of a complete scan whose number text ends at numberEnd,
// for a text whose nearest single is in range (scannedToSingle gave Number).
inline void scannedToDouble(const DecimalScan& s, const char* numberEnd, double& value) {
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    double v = 0.0;
    const bool gathered = s.intDigits + s.fracDigits <= 19;
    if (gathered && s.mantissa == 0) {
        v = 0.0;
    } else if (gathered && s.mantissa <= (std::uint64_t{1} << 53) && s.exp10 >= -22 &&
               s.exp10 <= 22) {
        v = scaledByPowerOfTen(s.mantissa, s.exp10, kPow10);
    } else {
        // Only an underflow can be out of range here: the single was in range.
        const auto r = std::from_chars(s.digits, numberEnd, v, std::chars_format::general);
        if (r.ec == std::errc::result_out_of_range) v = 0.0;
    }
    value = s.negative ? -v : v;
}

}  // namespace velmora::detail
