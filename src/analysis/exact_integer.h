#pragma once

#include <cstdint>

namespace velmora {

__extension__ typedef unsigned __int128 Uint128;

// A non-negative integer of up to 640 bits, enough for every exact sum the
// accurate statistics form: a sum of up to 2^31 singles scaled to whole
// numbers (2^149 x) stays below 2^308, a sum of their squares (2^298 x^2)
// below 2^585, and n times the latter below 2^616. No operation may leave
// that range or go below zero; callers keep to it by construction.
class ExactInteger {
public:
    static constexpr int kLimbs = 10;

    ExactInteger() = default;
    explicit ExactInteger(Uint128 value) { addShifted(value, 0); }

    bool isZero() const { return m_size == 0; }
    int bitLength() const;
    // -1, 0 or 1 as *this is below, equal to or above `other`.
    int compare(const ExactInteger& other) const;

    // *this += value * 2^shift.
    void addShifted(Uint128 value, int shift);
    void add(const ExactInteger& other);
    // *this -= other; other must not exceed *this.
    void subtract(const ExactInteger& other);
    ExactInteger times(std::uint64_t factor) const;
    ExactInteger times(const ExactInteger& other) const;

    // The 128 bits from bit `from` up (bits beyond the number are 0), and
    // whether any bit below `from` is set; 0 <= from <= 64 * kLimbs.
    Uint128 bitsFrom(int from, bool& lowerBitsSet) const;

private:
    std::uint64_t m_limbs[kLimbs] = {};
    int m_size = 0;  // limbs in use; the highest of them is not 0
};

// An exact value with a sign.
struct SignedExact {
    bool negative = false;
    ExactInteger magnitude;

    void add(const SignedExact& other);
};

// (-1)^negative * numerator / denominator * 2^exponent, rounded once to the
// nearest single (ties to even), like every stored statistic; infinity when
// that lies beyond the single range, gradual underflow below it, +0 for a
// zero numerator. The denominator is at least 1 and below 2^63.
float roundedQuotientToSingle(const ExactInteger& numerator, bool negative,
                              std::uint64_t denominator, int exponent);
// The same, rounded once to the nearest double.
double roundedQuotientToDouble(const ExactInteger& numerator, bool negative,
                               std::uint64_t denominator, int exponent);

}  // namespace velmora
