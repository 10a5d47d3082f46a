#include "analysis/exact_sums.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>

namespace velmora {

namespace {

// Sums in units of binade `base` are whole numbers worth 2^(base - 150) each.
int sumExponent(int base) {
    return base - 150;
}

ExactInteger varianceNumerator(const SignedExact& sum, const ExactInteger& squares,
                               std::int64_t n) {
    // n * sum(x^2) - (sum x)^2 = n * sum((x - mean)^2) >= 0 exactly.
    ExactInteger numerator = squares.times(static_cast<std::uint64_t>(n));
    numerator.subtract(sum.magnitude.times(sum.magnitude));
    return numerator;
}

std::uint64_t varianceDenominator(std::int64_t n) {
    assert(n >= 2);
    return static_cast<std::uint64_t>(n) * static_cast<std::uint64_t>(n - 1);
}

}  // namespace

SingleParts splitSingle(float x) {
    assert(std::isfinite(x));
    const auto bits = std::bit_cast<std::uint32_t>(x);
    const auto biased = static_cast<int>((bits >> 23) & 0xFFu);
    const auto fraction = static_cast<std::int32_t>(bits & 0x7FFFFFu);
    SingleParts parts;
    parts.binade = std::max(biased, 1);
    parts.mantissa = biased == 0 ? fraction : fraction | 0x800000;
    if ((bits >> 31) != 0) parts.mantissa = -parts.mantissa;
    return parts;
}

void ExactSums::add(float x, std::uint32_t copies) {
    const SingleParts p = splitSingle(x);
    const auto m = static_cast<std::int64_t>(p.mantissa);
    addBinade(p.binade, m * copies, Uint128{static_cast<std::uint64_t>(m * m)} * copies);
}

void ExactSums::addBinade(int binade, std::int64_t mantissaSum, Uint128 squareSum) {
    assert(binade >= 1 && binade <= 254);
    m_sums[binade] += mantissaSum;
    m_squares[binade] += squareSum;
    m_low = std::min(m_low, binade);
    m_high = std::max(m_high, binade);
}

void ExactSums::clear() {
    for (int b = m_low; b <= m_high; ++b) {
        m_sums[b] = 0;
        m_squares[b] = 0;
    }
    m_low = 256;
    m_high = -1;
}

SignedExact ExactSums::sum(int base) const {
    assert(base >= 1 && base <= lowestBinade());
    // Positive and negative parts apart, so that every addition only carries.
    SignedExact positive;
    SignedExact negative{true, {}};
    for (int b = m_low; b <= m_high; ++b) {
        const std::int64_t s = m_sums[b];
        if (s > 0) positive.magnitude.addShifted(static_cast<Uint128>(s), b - base);
        if (s < 0) negative.magnitude.addShifted(static_cast<Uint128>(-s), b - base);
    }
    if (negative.magnitude.isZero()) return positive;
    positive.add(negative);
    return positive;
}

ExactInteger ExactSums::squares(int base) const {
    assert(base >= 1 && base <= lowestBinade());
    ExactInteger total;
    for (int b = m_low; b <= m_high; ++b) total.addShifted(m_squares[b], 2 * (b - base));
    return total;
}

SignedExact scaledSingle(float x, int base) {
    const SingleParts p = splitSingle(x);
    assert(base >= 1 && base <= p.binade);
    SignedExact value;
    value.negative = p.mantissa < 0;
    value.magnitude.addShifted(static_cast<Uint128>(p.mantissa < 0 ? -p.mantissa : p.mantissa),
                               p.binade - base);
    return value;
}

float exactMeanSingle(const SignedExact& sum, std::int64_t n, int base) {
    return roundedQuotientToSingle(sum.magnitude, sum.negative, static_cast<std::uint64_t>(n),
                                   sumExponent(base));
}

double exactMeanDouble(const SignedExact& sum, std::int64_t n, int base) {
    return roundedQuotientToDouble(sum.magnitude, sum.negative, static_cast<std::uint64_t>(n),
                                   sumExponent(base));
}

float exactVarianceSingle(const SignedExact& sum, const ExactInteger& squares, std::int64_t n,
                          int base) {
    return roundedQuotientToSingle(varianceNumerator(sum, squares, n), false,
                                   varianceDenominator(n), 2 * sumExponent(base));
}

double exactVarianceDouble(const SignedExact& sum, const ExactInteger& squares, std::int64_t n,
                           int base) {
    return roundedQuotientToDouble(varianceNumerator(sum, squares, n), false,
                                   varianceDenominator(n), 2 * sumExponent(base));
}

}  // namespace velmora
