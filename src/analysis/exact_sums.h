#pragma once

#include <cstdint>

#include "analysis/exact_integer.h"

namespace velmora {

// A finite single as mantissa * 2^(binade - 150): binade is the biased
// exponent (1 for zeros and subnormals, which share the scale of the
// smallest normals), the mantissa a signed whole number below 2^24.
struct SingleParts {
    int binade = 1;
    std::int32_t mantissa = 0;
};
SingleParts splitSingle(float x);

// The sums of some singles and of their squares, exact whatever the order of
// addition. Each binade keeps its own sums of mantissas (below 2^55 for up
// to 2^31 values) and of squared mantissas (below 2^79); only `sum` and
// `squares` shift them into place, as whole numbers in units of the
// smallest binade given (`base`, at most the lowest binade in use). Holds at
// most 2^31 - 1 values in all.
class ExactSums {
public:
    // `copies` times x (finite).
    void add(float x, std::uint32_t copies = 1);
    // Values of one binade at once: the sum of their mantissas and of the
    // squares of their mantissas, each counted as often as it occurs.
    void addBinade(int binade, std::int64_t mantissaSum, Uint128 squareSum);
    void clear();

    // The lowest binade in use (1 when empty).
    int lowestBinade() const { return m_high < 0 ? 1 : m_low; }
    // 2^(150 - base) times the sum of the values.
    SignedExact sum(int base) const;
    // 2^(300 - 2 base) times the sum of their squares.
    ExactInteger squares(int base) const;

private:
    std::int64_t m_sums[256] = {};
    Uint128 m_squares[256] = {};
    int m_low = 256;  // binades in use: m_low..m_high
    int m_high = -1;
};

// 2^(150 - base) x as an exact value; base is at most x's binade.
SignedExact scaledSingle(float x, int base = 1);

// The mean sum / n and the sample variance (n * squares - sum^2) /
// (n * (n - 1)) of n values from their exact sums (scaled as above), each
// rounded once: the variance is the exact value of sum((x - mean)^2) /
// (n - 1), so no cancellation can creep in. The variance needs n >= 2.
float exactMeanSingle(const SignedExact& sum, std::int64_t n, int base);
double exactMeanDouble(const SignedExact& sum, std::int64_t n, int base);
float exactVarianceSingle(const SignedExact& sum, const ExactInteger& squares, std::int64_t n,
                          int base);
double exactVarianceDouble(const SignedExact& sum, const ExactInteger& squares, std::int64_t n,
                           int base);

}  // namespace velmora
