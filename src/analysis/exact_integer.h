#pragma once

#include <cstdint>

namespace velmora {

__extension__ typedef unsigned __int128 Uint128;

// A non-negative integer of up to 64 * Limbs bits. No operation may leave
// that range or go below zero; callers keep to it by construction.
template <int Limbs>
class BasicExactInteger {
public:
    static constexpr int kLimbs = Limbs;

    BasicExactInteger() = default;
    explicit BasicExactInteger(Uint128 value) { addShifted(value, 0); }

    bool isZero() const { return m_size == 0; }
    int bitLength() const;
    // -1, 0 or 1 as *this is below, equal to or above `other`.
    int compare(const BasicExactInteger& other) const;

    // *this += value * 2^shift.
    void addShifted(Uint128 value, int shift);
    void add(const BasicExactInteger& other);
    // *this -= other; other must not exceed *this.
    void subtract(const BasicExactInteger& other);
    BasicExactInteger times(std::uint64_t factor) const;
    BasicExactInteger times(const BasicExactInteger& other) const;

    // The 128 bits from bit `from` up (bits beyond the number are 0), and
    // whether any bit below `from` is set; 0 <= from <= 64 * kLimbs.
    Uint128 bitsFrom(int from, bool& lowerBitsSet) const;

private:
    std::uint64_t m_limbs[kLimbs] = {};
    int m_size = 0;  // limbs in use; the highest of them is not 0
};

// An exact value with a sign.
template <int Limbs>
struct BasicSignedExact {
    bool negative = false;
    BasicExactInteger<Limbs> magnitude;

    void add(const BasicSignedExact& other);
};

// 640 bits, enough for every exact sum of singles: a sum of up to 2^31
// singles scaled to whole numbers (2^149 x) stays below 2^308, a sum of their
// squares (2^298 x^2) below 2^585, and n times the latter below 2^616.
using ExactInteger = BasicExactInteger<10>;
using SignedExact = BasicSignedExact<10>;
// 2560 bits, enough for every exact sum of doubles below 2^128 in magnitude
// (the values a data file can hold): scaled to whole numbers (2^1074 x) they
// stay below 2^1202, a sum of 2^31 of them below 2^1233, a sum of their
// squares below 2^2435, and n times the latter below 2^2466.
using WideExactInteger = BasicExactInteger<40>;
using WideSignedExact = BasicSignedExact<40>;

// (-1)^negative * numerator / denominator * 2^exponent, rounded once to the
// nearest single (ties to even), like every stored statistic; infinity when
// that lies beyond the single range, gradual underflow below it, +0 for a
// zero numerator. The denominator is at least 1 and below 2^63.
template <int Limbs>
float roundedQuotientToSingle(const BasicExactInteger<Limbs>& numerator, bool negative,
                              std::uint64_t denominator, int exponent);
// The same, rounded once to the nearest double.
template <int Limbs>
double roundedQuotientToDouble(const BasicExactInteger<Limbs>& numerator, bool negative,
                               std::uint64_t denominator, int exponent);
// The same for a numerator that fits 128 bits, without the long integers.
double roundedQuotientToDouble(Uint128 numerator, bool negative, std::uint64_t denominator,
                               int exponent);

}  // namespace velmora
