#pragma once

#include <cstdint>

#include "analysis/exact_integer.h"
#include "analysis/exact_sums.h"

namespace velmora {

// The statistics of one column of a sample in double precision, each the
// exact value of its formula rounded once, trimmed and Winsorized as the
// group statistics do (TrimCount).
struct ColumnMoments {
    double mean = 0.0;
    double variance = 0.0;      // sample variance, over n - 1
    double trimmedMean = 0.0;   // 20% trimmed mean
    double winsVariance = 0.0;  // 20% Winsorized variance, over n - 1
    friend bool operator==(const ColumnMoments&, const ColumnMoments&) = default;
};

// The exact sums of one column of n values in units of 2^(base - 150):
// `sum` and `squares` over the n values, `keptSum` and `keptSquares` over the
// kept positions of the ascending order (TrimCount(n) trimmed from each
// end), whose first and last values are lowKept and highKept. Wide sums take
// any doubles, the ends as values; whole-number sums take values that are
// whole numbers of the unit, the ends in units.
template <typename Sum, typename Squares, typename End>
struct ColumnSums {
    Sum sum{};
    Squares squares{};
    Sum keptSum{};
    Squares keptSquares{};
    End lowKept{};
    End highKept{};
};
using WideColumnSums = ColumnSums<WideSignedExact, WideExactInteger, double>;
using UnitColumnSums = ColumnSums<Int128, Uint128, std::int64_t>;

// The moments from the sums; n >= 2.
ColumnMoments ColumnMomentsFromSums(std::int32_t n, int base, const WideColumnSums& sums);
ColumnMoments ColumnMomentsFromSums(std::int32_t n, int base, const UnitColumnSums& sums);

}  // namespace velmora
