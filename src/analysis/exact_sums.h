#pragma once

#include <cstdint>
#include <vector>

#include "analysis/exact_integer.h"

namespace velmora {

__extension__ typedef __int128 Int128;

// A mantissa unit of binade b is worth 2^(b - kBinadeBias): a single's
// exponent bias (127) plus its 23 stored fraction bits.
inline constexpr int kBinadeBias = 150;

// How a finite value of one binary format splits into mantissa * 2^(binade -
// 150), a whole number below 2^kMantissaBits with a sign, and what the exact
// sums of such values need. A single's binade is its biased exponent (1 for
// zeros and subnormals, which share the scale of the smallest normals); a
// double's is its biased exponent less 925, so that one binade number means
// the same scale in both formats and the two kinds of sums round alike.
template <typename Real>
struct ExactFormat;

template <>
struct ExactFormat<float> {
    using Bits = std::uint32_t;
    using Mantissa = std::int32_t;
    // Per binade: the sum of up to 2^31 mantissas (below 2^55) and of their
    // squares (below 2^79).
    using MantissaSum = std::int64_t;
    using Square = std::uint64_t;
    using SquareSum = Uint128;
    using Integer = ExactInteger;
    using Signed = SignedExact;
    static constexpr int kMantissaBits = 24;
    static constexpr int kExponentBits = 8;
    static constexpr int kBinadeOffset = 0;

    static Square square(Mantissa m) {
        const auto s = static_cast<std::int64_t>(m);
        return static_cast<Square>(s * s);
    }
    static void addSquares(SquareSum& to, Square square, std::uint64_t copies) {
        to += Uint128{square} * copies;
    }
    static void addSquareSum(Integer& to, const SquareSum& sum, int shift) {
        to.addShifted(sum, shift);
    }
};

// A sum of up to 2^31 squared double mantissas (each below 2^106) in two
// parts that cannot overflow: the low 64 bits of each square times its
// copies (below 2^95 in all) and the high bits times its copies (below 2^73).
struct DoubleSquareSum {
    Uint128 low = 0;
    Uint128 high = 0;  // worth 2^64 each
    bool isZero() const { return low == 0 && high == 0; }
};

template <>
struct ExactFormat<double> {
    using Bits = std::uint64_t;
    using Mantissa = std::int64_t;
    using MantissaSum = Int128;  // below 2^84
    using Square = Uint128;
    using SquareSum = DoubleSquareSum;
    using Integer = WideExactInteger;
    using Signed = WideSignedExact;
    static constexpr int kMantissaBits = 53;  // 52 stored fraction bits and the implicit leading 1
    static constexpr int kExponentBits = 11;
    static constexpr int kBinadeOffset = 925;

    static Square square(Mantissa m) {
        const auto s = static_cast<Int128>(m);
        return static_cast<Square>(s * s);
    }
    static void addSquares(SquareSum& to, Square square, std::uint64_t copies) {
        to.low += Uint128{static_cast<std::uint64_t>(square)} * copies;
        to.high += Uint128{static_cast<std::uint64_t>(square >> 64)} * copies;
    }
    static void addSquareSum(Integer& to, const SquareSum& sum, int shift) {
        to.addShifted(sum.low, shift);
        to.addShifted(sum.high, shift + 64);
    }
};

template <typename Real>
struct ValueParts {
    int binade = 1;
    typename ExactFormat<Real>::Mantissa mantissa = 0;
};
using SingleParts = ValueParts<float>;
template <typename Real>
ValueParts<Real> splitValue(Real x);
inline SingleParts splitSingle(float x) {
    return splitValue(x);
}

// The sums of some values and of their squares, exact whatever the order of
// addition. Each binade keeps its own sums of mantissas and of squared
// mantissas; only `sum` and `squares` shift them into place, as whole
// numbers in units of the smallest binade given (`base`, at most the lowest
// binade in use). Holds at most 2^31 - 1 values in all.
template <typename Real>
class BasicExactSums {
public:
    using Format = ExactFormat<Real>;
    using MantissaSum = typename Format::MantissaSum;
    using SquareSum = typename Format::SquareSum;
    using Integer = typename Format::Integer;
    using Signed = typename Format::Signed;

    BasicExactSums();

    // `copies` times x (finite).
    void add(Real x, std::uint32_t copies = 1);
    // Values of one binade at once: the sum of their mantissas and of the
    // squares of their mantissas, each counted as often as it occurs.
    void addBinade(int binade, MantissaSum mantissaSum, SquareSum squareSum);
    void clear();

    // The lowest binade in use (1 when empty).
    int lowestBinade() const { return m_high < 0 ? 1 : m_low - Format::kBinadeOffset; }
    // 2^(150 - base) times the sum of the values.
    Signed sum(int base) const;
    // 2^(300 - 2 base) times the sum of their squares.
    Integer squares(int base) const;

private:
    static constexpr int kSlots = 1 << Format::kExponentBits;
    std::vector<MantissaSum> m_sums;  // by binade + kBinadeOffset
    std::vector<SquareSum> m_squares;
    int m_low = kSlots;  // slots in use: m_low..m_high
    int m_high = -1;
};
using ExactSums = BasicExactSums<float>;
using ExactDoubleSums = BasicExactSums<double>;

// 2^(150 - base) x as an exact value; base is at most x's binade, or above
// it by no more than the zero bits x's mantissa ends in (any base for a zero).
template <typename Real>
typename ExactFormat<Real>::Signed scaledValue(Real x, int base);
inline SignedExact scaledSingle(float x, int base = 1) {
    return scaledValue(x, base);
}

// Turns the exact sum and sum of squares of a sample's kept values (units
// as scaledValue with `base`) into those of its Winsorized sample: `copies`
// copies each of lowKept and highKept added.
template <typename Real>
void addWinsorizedEnds(typename ExactFormat<Real>::Signed& sum,
                       typename ExactFormat<Real>::Integer& squares, Real lowKept, Real highKept,
                       std::uint64_t copies, int base);
// The same for sums of whole numbers of one unit, lowKept and highKept in
// units (each below 2^31 in magnitude, so that every sum fits).
void addWinsorizedEnds(Int128& sum, Uint128& squares, std::int64_t lowKept, std::int64_t highKept,
                       std::uint64_t copies);

// The mean sum / n and the sample variance (n * squares - sum^2) /
// (n * (n - 1)) of n values from their exact sums (scaled as above), each
// rounded once: the variance is the exact value of sum((x - mean)^2) /
// (n - 1), so no cancellation can creep in. The variance needs n >= 2.
template <int Limbs>
float exactMeanSingle(const BasicSignedExact<Limbs>& sum, std::int64_t n, int base);
template <int Limbs>
double exactMeanDouble(const BasicSignedExact<Limbs>& sum, std::int64_t n, int base);
template <int Limbs>
float exactVarianceSingle(const BasicSignedExact<Limbs>& sum,
                          const BasicExactInteger<Limbs>& squares, std::int64_t n, int base);
template <int Limbs>
double exactVarianceDouble(const BasicSignedExact<Limbs>& sum,
                           const BasicExactInteger<Limbs>& squares, std::int64_t n, int base);
// The sample variance rounded once to single and once to double, from one
// exact numerator (the costly part), for callers that need both.
struct RoundedVariance {
    float single = 0.0f;
    double dbl = 0.0;
};
template <int Limbs>
RoundedVariance exactVarianceRounded(const BasicSignedExact<Limbs>& sum,
                                     const BasicExactInteger<Limbs>& squares, std::int64_t n,
                                     int base);
// The same for sums that fit machine integers, as whole numbers of one unit
// do: |sum| below 2^127, n * squares and sum^2 below 2^128.
double exactMeanDouble(Int128 sum, std::int64_t n, int base);
double exactVarianceDouble(Int128 sum, Uint128 squares, std::int64_t n, int base);

}  // namespace velmora
