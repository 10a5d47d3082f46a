#include "analysis/resampling/column_moments.h"

#include <type_traits>

#include "analysis/resampling/trimming.h"
#include "runtime/contract.h"

namespace velmora {

namespace {

template <typename Sums>
ColumnMoments momentsFrom(std::int32_t n, int base, const Sums& s) {
    VELMORA_EXPECTS(n >= 2);
    const std::int32_t g = TrimCount(n);
    ColumnMoments m;
    m.mean = exactMeanDouble(s.sum, n, base);
    m.variance = exactVarianceDouble(s.sum, s.squares, n, base);
    m.trimmedMean = exactMeanDouble(s.keptSum, n - 2 * g, base);
    // The Winsorized sample: g copies of each end's kept value around the kept ones.
    auto winsSum = s.keptSum;
    auto winsSquares = s.keptSquares;
    const auto copies = static_cast<std::uint64_t>(g);
    if constexpr (std::is_same_v<Sums, WideColumnSums>)
        addWinsorizedEnds(winsSum, winsSquares, s.lowKept, s.highKept, copies, base);
    else
        addWinsorizedEnds(winsSum, winsSquares, s.lowKept, s.highKept, copies);
    m.winsVariance = exactVarianceDouble(winsSum, winsSquares, n, base);
    return m;
}

}  // namespace

ColumnMoments ColumnMomentsFromSums(std::int32_t n, int base, const WideColumnSums& sums) {
    return momentsFrom(n, base, sums);
}

ColumnMoments ColumnMomentsFromSums(std::int32_t n, int base, const UnitColumnSums& sums) {
    return momentsFrom(n, base, sums);
}

}  // namespace velmora
