#include "analysis/exact_sums.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <type_traits>

namespace velmora {

namespace {

// Sums in units of binade `base` are whole numbers worth 2^(base - 150) each.
int sumExponent(int base) {
    return base - kBinadeBias;
}

template <int Limbs>
BasicExactInteger<Limbs> varianceNumerator(const BasicSignedExact<Limbs>& sum,
                                           const BasicExactInteger<Limbs>& squares,
                                           std::int64_t n) {
    // n * sum(x^2) - (sum x)^2 = n * sum((x - mean)^2) >= 0 exactly.
    BasicExactInteger<Limbs> numerator = squares.times(static_cast<std::uint64_t>(n));
    numerator.subtract(sum.magnitude.times(sum.magnitude));
    return numerator;
}

std::uint64_t varianceDenominator(std::int64_t n) {
    assert(n >= 2);
    return static_cast<std::uint64_t>(n) * static_cast<std::uint64_t>(n - 1);
}

template <typename Sum>
bool isZeroSquareSum(const Sum& s) {
    if constexpr (std::is_same_v<Sum, DoubleSquareSum>)
        return s.isZero();
    else
        return s == 0;
}

template <typename Sum>
void addSquareSums(Sum& to, const Sum& from) {
    if constexpr (std::is_same_v<Sum, DoubleSquareSum>) {
        to.low += from.low;
        to.high += from.high;
    } else {
        to += from;
    }
}

}  // namespace

template <typename Real>
ValueParts<Real> splitValue(Real x) {
    assert(std::isfinite(x));
    using Format = ExactFormat<Real>;
    using Bits = typename Format::Bits;
    using Mantissa = typename Format::Mantissa;
    constexpr int kFraction = Format::kMantissaBits - 1;
    constexpr Bits kExponentMask = (Bits{1} << Format::kExponentBits) - 1;
    const auto bits = std::bit_cast<Bits>(x);
    const auto biased = static_cast<int>((bits >> kFraction) & kExponentMask);
    const auto fraction = static_cast<Mantissa>(bits & ((Bits{1} << kFraction) - 1));
    ValueParts<Real> parts;
    parts.binade = std::max(biased, 1) - Format::kBinadeOffset;
    parts.mantissa = biased == 0 ? fraction : fraction | (Mantissa{1} << kFraction);
    if ((bits >> (8 * sizeof(Bits) - 1)) != 0) parts.mantissa = -parts.mantissa;
    return parts;
}

template <typename Real>
BasicExactSums<Real>::BasicExactSums()
    : m_sums(static_cast<std::size_t>(kSlots)), m_squares(static_cast<std::size_t>(kSlots)) {}

template <typename Real>
void BasicExactSums<Real>::add(Real x, std::uint32_t copies) {
    const ValueParts<Real> p = splitValue(x);
    SquareSum squares{};
    Format::addSquares(squares, Format::square(p.mantissa), copies);
    addBinade(p.binade, static_cast<MantissaSum>(p.mantissa) * copies, squares);
}

template <typename Real>
void BasicExactSums<Real>::addBinade(int binade, MantissaSum mantissaSum, SquareSum squareSum) {
    const int slot = binade + Format::kBinadeOffset;
    assert(slot >= 1 && slot <= kSlots - 2);  // a finite value's binade
    m_sums[static_cast<std::size_t>(slot)] += mantissaSum;
    addSquareSums(m_squares[static_cast<std::size_t>(slot)], squareSum);
    // Zeros add nothing, and a double's zero would otherwise stretch every
    // sum down to the subnormal scale. (Only zeros have a square sum of 0.)
    if constexpr (std::is_same_v<Real, double>)
        if (isZeroSquareSum(squareSum)) return;
    m_low = std::min(m_low, slot);
    m_high = std::max(m_high, slot);
}

template <typename Real>
void BasicExactSums<Real>::clear() {
    for (int b = m_low; b <= m_high; ++b) {
        m_sums[static_cast<std::size_t>(b)] = 0;
        m_squares[static_cast<std::size_t>(b)] = SquareSum{};
    }
    m_low = kSlots;
    m_high = -1;
}

template <typename Real>
typename BasicExactSums<Real>::Signed BasicExactSums<Real>::sum(int base) const {
    // Empty sums are 0 at any base.
    assert(base >= 1 - Format::kBinadeOffset && (m_high < 0 || base <= lowestBinade()));
    // Positive and negative parts apart, so that every addition only carries.
    Signed positive;
    Signed negative{true, {}};
    const int slotBase = base + Format::kBinadeOffset;
    for (int b = m_low; b <= m_high; ++b) {
        const MantissaSum s = m_sums[static_cast<std::size_t>(b)];
        if (s > 0) positive.magnitude.addShifted(static_cast<Uint128>(s), b - slotBase);
        if (s < 0) negative.magnitude.addShifted(static_cast<Uint128>(-s), b - slotBase);
    }
    if (negative.magnitude.isZero()) return positive;
    positive.add(negative);
    return positive;
}

template <typename Real>
typename BasicExactSums<Real>::Integer BasicExactSums<Real>::squares(int base) const {
    // Empty sums are 0 at any base.
    assert(base >= 1 - Format::kBinadeOffset && (m_high < 0 || base <= lowestBinade()));
    Integer total;
    const int slotBase = base + Format::kBinadeOffset;
    for (int b = m_low; b <= m_high; ++b)
        Format::addSquareSum(total, m_squares[static_cast<std::size_t>(b)], 2 * (b - slotBase));
    return total;
}

template <typename Real>
typename ExactFormat<Real>::Signed scaledValue(Real x, int base) {
    const ValueParts<Real> p = splitValue(x);
    typename ExactFormat<Real>::Signed value;
    if (p.mantissa == 0) return value;  // a zero's binade may lie below the base
    assert(base >= 1 - ExactFormat<Real>::kBinadeOffset);
    value.negative = p.mantissa < 0;
    const auto magnitude = static_cast<Uint128>(p.mantissa < 0 ? -p.mantissa : p.mantissa);
    const int shift = p.binade - base;
    assert(shift >= 0 || (shift > -128 && (magnitude & ((Uint128(1) << -shift) - 1)) == 0));
    // A base above the binade drops only zero bits (the caller's promise).
    value.magnitude.addShifted(shift < 0 ? magnitude >> -shift : magnitude, std::max(shift, 0));
    return value;
}

template <typename Real>
void addWinsorizedEnds(typename ExactFormat<Real>::Signed& sum,
                       typename ExactFormat<Real>::Integer& squares, Real lowKept, Real highKept,
                       std::uint64_t copies, int base) {
    using Signed = typename ExactFormat<Real>::Signed;
    if (copies == 0) return;
    const Signed low = scaledValue(lowKept, base);
    Signed ends = scaledValue(highKept, base);
    auto endSquares = ends.magnitude.times(ends.magnitude);
    endSquares.add(low.magnitude.times(low.magnitude));
    ends.add(low);
    sum.add(Signed{ends.negative, ends.magnitude.times(copies)});
    squares.add(endSquares.times(copies));
}

void addWinsorizedEnds(Int128& sum, Uint128& squares, std::int64_t lowKept, std::int64_t highKept,
                       std::uint64_t copies) {
    sum += static_cast<Int128>(lowKept + highKept) * static_cast<Int128>(copies);
    squares += static_cast<Uint128>(lowKept * lowKept + highKept * highKept) * copies;
}

template <int Limbs>
float exactMeanSingle(const BasicSignedExact<Limbs>& sum, std::int64_t n, int base) {
    return roundedQuotientToSingle(sum.magnitude, sum.negative, static_cast<std::uint64_t>(n),
                                   sumExponent(base));
}

template <int Limbs>
double exactMeanDouble(const BasicSignedExact<Limbs>& sum, std::int64_t n, int base) {
    return roundedQuotientToDouble(sum.magnitude, sum.negative, static_cast<std::uint64_t>(n),
                                   sumExponent(base));
}

template <int Limbs>
float exactVarianceSingle(const BasicSignedExact<Limbs>& sum,
                          const BasicExactInteger<Limbs>& squares, std::int64_t n, int base) {
    return roundedQuotientToSingle(varianceNumerator(sum, squares, n), false,
                                   varianceDenominator(n), 2 * sumExponent(base));
}

template <int Limbs>
double exactVarianceDouble(const BasicSignedExact<Limbs>& sum,
                           const BasicExactInteger<Limbs>& squares, std::int64_t n, int base) {
    return roundedQuotientToDouble(varianceNumerator(sum, squares, n), false,
                                   varianceDenominator(n), 2 * sumExponent(base));
}

template <int Limbs>
RoundedVariance exactVarianceRounded(const BasicSignedExact<Limbs>& sum,
                                     const BasicExactInteger<Limbs>& squares, std::int64_t n,
                                     int base) {
    const BasicExactInteger<Limbs> numerator = varianceNumerator(sum, squares, n);
    return {
        roundedQuotientToSingle(numerator, false, varianceDenominator(n), 2 * sumExponent(base)),
        roundedQuotientToDouble(numerator, false, varianceDenominator(n), 2 * sumExponent(base))};
}

double exactMeanDouble(Int128 sum, std::int64_t n, int base) {
    assert(n >= 1);
    const bool negative = sum < 0;
    return roundedQuotientToDouble(static_cast<Uint128>(negative ? -sum : sum), negative,
                                   static_cast<std::uint64_t>(n), sumExponent(base));
}

double exactVarianceDouble(Int128 sum, Uint128 squares, std::int64_t n, int base) {
    const Uint128 magnitude = static_cast<Uint128>(sum < 0 ? -sum : sum);
    const auto count = static_cast<std::uint64_t>(n);
    // Both terms below 2^128, and n * sum(x^2) >= (sum x)^2 (Cauchy-Schwarz).
    assert(squares <= ~Uint128{0} / count);
    const Uint128 scaled = squares * count;
    const Uint128 square = magnitude * magnitude;
    assert(magnitude == 0 || square / magnitude == magnitude);
    assert(scaled >= square);
    return roundedQuotientToDouble(scaled - square, false, varianceDenominator(n),
                                   2 * sumExponent(base));
}

template ValueParts<float> splitValue(float);
template ValueParts<double> splitValue(double);
template class BasicExactSums<float>;
template class BasicExactSums<double>;
template SignedExact scaledValue(float, int);
template WideSignedExact scaledValue(double, int);
template void addWinsorizedEnds<float>(SignedExact&, ExactInteger&, float, float, std::uint64_t,
                                       int);
template void addWinsorizedEnds<double>(WideSignedExact&, WideExactInteger&, double, double,
                                        std::uint64_t, int);
template float exactMeanSingle(const SignedExact&, std::int64_t, int);
template float exactMeanSingle(const WideSignedExact&, std::int64_t, int);
template double exactMeanDouble(const SignedExact&, std::int64_t, int);
template double exactMeanDouble(const WideSignedExact&, std::int64_t, int);
template float exactVarianceSingle(const SignedExact&, const ExactInteger&, std::int64_t, int);
template float exactVarianceSingle(const WideSignedExact&, const WideExactInteger&, std::int64_t,
                                   int);
template double exactVarianceDouble(const SignedExact&, const ExactInteger&, std::int64_t, int);
template RoundedVariance exactVarianceRounded(const SignedExact&, const ExactInteger&, std::int64_t,
                                              int);
template RoundedVariance exactVarianceRounded(const WideSignedExact&, const WideExactInteger&,
                                              std::int64_t, int);
template double exactVarianceDouble(const WideSignedExact&, const WideExactInteger&, std::int64_t,
                                    int);

}  // namespace velmora
