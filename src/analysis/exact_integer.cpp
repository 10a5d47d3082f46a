#include "analysis/exact_integer.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <limits>

namespace velmora {

namespace {

int bitLength128(Uint128 value) {
    const auto high = static_cast<std::uint64_t>(value >> 64);
    if (high != 0) return 128 - std::countl_zero(high);
    return 64 - std::countl_zero(static_cast<std::uint64_t>(value));
}

// 2^e for -1022 <= e <= 1023.
double powerOfTwo(int e) {
    return std::bit_cast<double>(static_cast<std::uint64_t>(e + 1023) << 52);
}

// value * 2^e, exact for a value of at most 53 bits whose result is a double
// (subnormal results included), and infinity beyond the range. Below the
// normal range in two steps, so that neither factor is below it. Holds for
// -1074 <= e <= 1023.
double timesPowerOfTwo(double value, int e) {
    if (e >= -1022) return value * powerOfTwo(e);
    return value * powerOfTwo(e + 64) * powerOfTwo(-64);
}

// The quotient rounded to kPrecision significant bits, the last of them
// worth at least 2^kMinUlpExponent, returned as a double (exact for both
// formats); a quotient from 2^(kMaxExponent + 1) on gives infinity. Only the
// top 128 bits of the numerator are divided: the quotient then still has at
// least 65 bits, more than 2 beyond the precision, so the bits below them
// only decide whether the discarded part is exactly a half, which the sticky
// flag records.
template <int kPrecision, int kMinUlpExponent, int kMaxExponent>
double roundedQuotientOfTop(Uint128 top, bool sticky, std::uint64_t denominator, int exponent) {
    const Uint128 quotient = top / denominator;
    sticky = sticky || top - quotient * denominator != 0;

    const int quotientLength = bitLength128(quotient);
    const int highest =
        quotientLength - 1 + exponent;  // the value lies in [2^highest, 2^(highest+1))
    if (highest > kMaxExponent) return std::numeric_limits<double>::infinity();
    const int ulp = std::max(highest - (kPrecision - 1), kMinUlpExponent);
    const int drop = ulp - exponent;        // at least 12: the quotient has 65 bits or more
    if (drop > quotientLength) return 0.0;  // below half the smallest step
    const Uint128 kept = drop >= 128 ? 0 : quotient >> drop;
    const Uint128 rest = drop >= 128 ? quotient : quotient & ((Uint128{1} << drop) - 1);
    const Uint128 half = Uint128{1} << (drop - 1);
    const bool up = rest > half || (rest == half && (sticky || (kept & 1) != 0));
    return timesPowerOfTwo(static_cast<double>(kept + (up ? 1 : 0)), ulp);
}

template <int kPrecision, int kMinUlpExponent, int kMaxExponent, int Limbs>
double roundedQuotient(const BasicExactInteger<Limbs>& numerator, std::uint64_t denominator,
                       int exponent) {
    if (numerator.isZero()) return 0.0;
    const int length = numerator.bitLength();
    bool sticky = false;
    Uint128 top;
    if (length >= 128) {
        top = numerator.bitsFrom(length - 128, sticky);
        exponent += length - 128;
    } else {
        top = numerator.bitsFrom(0, sticky) << (128 - length);
        exponent -= 128 - length;
    }
    return roundedQuotientOfTop<kPrecision, kMinUlpExponent, kMaxExponent>(top, sticky, denominator,
                                                                           exponent);
}

}  // namespace

template <int Limbs>
int BasicExactInteger<Limbs>::bitLength() const {
    if (m_size == 0) return 0;
    return 64 * (m_size - 1) + 64 - std::countl_zero(m_limbs[m_size - 1]);
}

template <int Limbs>
int BasicExactInteger<Limbs>::compare(const BasicExactInteger& other) const {
    if (m_size != other.m_size) return m_size < other.m_size ? -1 : 1;
    for (int i = m_size - 1; i >= 0; --i)
        if (m_limbs[i] != other.m_limbs[i]) return m_limbs[i] < other.m_limbs[i] ? -1 : 1;
    return 0;
}

template <int Limbs>
void BasicExactInteger<Limbs>::addShifted(Uint128 value, int shift) {
    assert(shift >= 0);
    const int at = shift / 64;
    const int bits = shift % 64;
    const Uint128 moved = value << bits;
    const std::uint64_t pieces[3] = {
        static_cast<std::uint64_t>(moved), static_cast<std::uint64_t>(moved >> 64),
        bits == 0 ? 0 : static_cast<std::uint64_t>(value >> (128 - bits))};
    for (int p = 0; p < 3; ++p) {
        std::uint64_t carry = pieces[p];
        for (int i = at + p; carry != 0 && i < kLimbs; ++i) {
            const std::uint64_t old = m_limbs[i];
            m_limbs[i] = old + carry;
            carry = m_limbs[i] < old ? 1 : 0;
            m_size = std::max(m_size, i + 1);
        }
        assert(carry == 0);  // the sum fits in kLimbs limbs
    }
}

template <int Limbs>
void BasicExactInteger<Limbs>::add(const BasicExactInteger& other) {
    std::uint64_t carry = 0;
    const int size = std::max(m_size, other.m_size);
    for (int i = 0; i < size || (carry != 0 && i < kLimbs); ++i) {
        const Uint128 sum = Uint128{m_limbs[i]} + other.m_limbs[i] + carry;
        m_limbs[i] = static_cast<std::uint64_t>(sum);
        carry = static_cast<std::uint64_t>(sum >> 64);
        if (m_limbs[i] != 0) m_size = std::max(m_size, i + 1);
    }
    assert(carry == 0);
}

template <int Limbs>
void BasicExactInteger<Limbs>::subtract(const BasicExactInteger& other) {
    assert(compare(other) >= 0);
    std::uint64_t borrow = 0;
    for (int i = 0; i < m_size; ++i) {
        const std::uint64_t b = other.m_limbs[i];
        const std::uint64_t d = m_limbs[i] - b - borrow;
        borrow = (m_limbs[i] < b || (m_limbs[i] == b && borrow != 0)) ? 1 : 0;
        m_limbs[i] = d;
    }
    while (m_size > 0 && m_limbs[m_size - 1] == 0) --m_size;
}

template <int Limbs>
BasicExactInteger<Limbs> BasicExactInteger<Limbs>::times(std::uint64_t factor) const {
    BasicExactInteger product;
    std::uint64_t carry = 0;
    for (int i = 0; i < m_size; ++i) {
        const Uint128 p = Uint128{m_limbs[i]} * factor + carry;
        product.m_limbs[i] = static_cast<std::uint64_t>(p);
        carry = static_cast<std::uint64_t>(p >> 64);
    }
    assert(m_size < kLimbs || carry == 0);
    if (m_size < kLimbs) product.m_limbs[m_size] = carry;
    product.m_size = std::min(m_size + 1, kLimbs);
    while (product.m_size > 0 && product.m_limbs[product.m_size - 1] == 0) --product.m_size;
    return product;
}

template <int Limbs>
BasicExactInteger<Limbs> BasicExactInteger<Limbs>::times(const BasicExactInteger& other) const {
    // With more limbs than that the product is at least 2^(64 kLimbs).
    assert(isZero() || other.isZero() || m_size + other.m_size <= kLimbs + 1);
    BasicExactInteger product;
    for (int i = 0; i < m_size; ++i) {
        std::uint64_t carry = 0;
        for (int j = 0; j < other.m_size && i + j < kLimbs; ++j) {
            const Uint128 p =
                Uint128{m_limbs[i]} * other.m_limbs[j] + product.m_limbs[i + j] + carry;
            product.m_limbs[i + j] = static_cast<std::uint64_t>(p);
            carry = static_cast<std::uint64_t>(p >> 64);
        }
        assert(i + other.m_size < kLimbs || carry == 0);
        if (i + other.m_size < kLimbs) product.m_limbs[i + other.m_size] = carry;
    }
    product.m_size = std::min(m_size + other.m_size, kLimbs);
    while (product.m_size > 0 && product.m_limbs[product.m_size - 1] == 0) --product.m_size;
    return product;
}

template <int Limbs>
Uint128 BasicExactInteger<Limbs>::bitsFrom(int from, bool& lowerBitsSet) const {
    assert(from >= 0 && from <= 64 * kLimbs);
    const int at = from / 64;
    const int bits = from % 64;
    const auto limb = [this](int i) { return i < m_size ? m_limbs[i] : std::uint64_t{0}; };
    lowerBitsSet = (limb(at) & ((std::uint64_t{1} << bits) - 1)) != 0;
    for (int i = 0; i < at && !lowerBitsSet; ++i) lowerBitsSet = m_limbs[i] != 0;
    Uint128 out = ((Uint128{limb(at + 1)} << 64) | limb(at)) >> bits;
    if (bits != 0) out |= Uint128{limb(at + 2)} << (128 - bits);
    return out;
}

template <int Limbs>
void BasicSignedExact<Limbs>::add(const BasicSignedExact& other) {
    if (negative == other.negative) {
        magnitude.add(other.magnitude);
    } else if (magnitude.compare(other.magnitude) >= 0) {
        magnitude.subtract(other.magnitude);
    } else {
        BasicExactInteger<Limbs> larger = other.magnitude;
        larger.subtract(magnitude);
        magnitude = larger;
        negative = other.negative;
    }
    if (magnitude.isZero()) negative = false;
}

template <int Limbs>
float roundedQuotientToSingle(const BasicExactInteger<Limbs>& numerator, bool negative,
                              std::uint64_t denominator, int exponent) {
    // First in double from the top 64 bits: off by a few units in the last
    // place of a double at most, 2^29 times finer than a single's. Rounding
    // that to single is right unless it lies within those few units of the
    // middle between two singles; then, or outside the normal single range,
    // the exact division decides.
    assert(denominator >= 1 && denominator < std::uint64_t{1} << 63);
    const int length = numerator.bitLength();
    if (length == 0) return 0.0f;
    bool lower = false;
    const int shift = std::max(length - 64, 0);
    const auto top = static_cast<std::uint64_t>(numerator.bitsFrom(shift, lower));
    const int scale = exponent + shift;
    if (scale > -1000 && scale < 900) {
        const double approximate =
            timesPowerOfTwo(static_cast<double>(top) / static_cast<double>(denominator), scale);
        if (approximate >= 0x1p-126 && approximate < 0x1p127) {
            const std::uint64_t below = std::bit_cast<std::uint64_t>(approximate) & 0x1FFFFFFFu;
            constexpr std::uint64_t kMiddle = 0x10000000u;
            constexpr std::uint64_t kMargin = 64;
            if (below + kMargin < kMiddle || below > kMiddle + kMargin) {
                const auto single = static_cast<float>(approximate);
                return negative ? -single : single;
            }
        }
    }
    const double value = roundedQuotient<24, -149, 127>(numerator, denominator, exponent);
    // Rounded to 24 bits already, so the conversion is exact below 2^128.
    const float single =
        value >= 0x1p128 ? std::numeric_limits<float>::infinity() : static_cast<float>(value);
    return negative ? -single : single;
}

template <int Limbs>
double roundedQuotientToDouble(const BasicExactInteger<Limbs>& numerator, bool negative,
                               std::uint64_t denominator, int exponent) {
    assert(denominator >= 1 && denominator < std::uint64_t{1} << 63);
    if (numerator.isZero()) return 0.0;  // +0, as the single version gives
    const double value = roundedQuotient<53, -1074, 1023>(numerator, denominator, exponent);
    return negative ? -value : value;
}

double roundedQuotientToDouble(Uint128 numerator, bool negative, std::uint64_t denominator,
                               int exponent) {
    assert(denominator >= 1 && denominator < std::uint64_t{1} << 63);
    if (numerator == 0) return 0.0;
    // Both exact in double: the division is then rounded once, as wanted, and
    // so is its power of two as long as the result stays normal.
    constexpr std::uint64_t kExact = std::uint64_t{1} << 53;
    if (numerator < kExact && denominator < kExact && exponent >= -1022 && exponent <= 1023) {
        const double value = static_cast<double>(numerator) / static_cast<double>(denominator) *
                             powerOfTwo(exponent);
        if (std::isnormal(value)) return negative ? -value : value;
    }
    // The whole numerator is its top 128 bits, so nothing lies below them.
    const int shift = 128 - bitLength128(numerator);
    const double value = roundedQuotientOfTop<53, -1074, 1023>(numerator << shift, false,
                                                               denominator, exponent - shift);
    return negative ? -value : value;
}

template class BasicExactInteger<10>;
template class BasicExactInteger<40>;
template struct BasicSignedExact<10>;
template struct BasicSignedExact<40>;
template float roundedQuotientToSingle(const ExactInteger&, bool, std::uint64_t, int);
template float roundedQuotientToSingle(const WideExactInteger&, bool, std::uint64_t, int);
template double roundedQuotientToDouble(const ExactInteger&, bool, std::uint64_t, int);
template double roundedQuotientToDouble(const WideExactInteger&, bool, std::uint64_t, int);

}  // namespace velmora
