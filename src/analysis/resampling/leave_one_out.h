#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>

#include "analysis/exact_sums.h"
#include "analysis/resampling/column_moments.h"
#include "analysis/resampling/trimming.h"
#include "runtime/contract.h"

namespace velmora {

// How the jackknife adds a column's values, in units of 2^(base - 150):
// any doubles as wide exact sums ...
struct WideUnits {
    using Value = double;
    using Sums = WideColumnSums;
    using Sum = WideSignedExact;
    using Squares = WideExactInteger;
    int base = 1;

    Sum scaled(double y) const { return scaledValue(y, base); }
    static Squares square(const Sum& x) { return x.magnitude.times(x.magnitude); }
    static void subtract(Sum& from, Sum x) {
        if (!x.magnitude.isZero()) x.negative = !x.negative;
        from.add(x);
    }
    static void subtract(Squares& from, const Squares& x) { from.subtract(x); }
    std::pair<Sum, Squares> total(std::span<const double> values) const {
        ExactDoubleSums sums;
        for (const double y : values) sums.add(y);
        return {sums.sum(base), sums.squares(base)};
    }
};

// ... or whole numbers of one unit (below 2^31 in magnitude) as machine integers.
struct WholeUnits {
    using Value = std::int32_t;
    using Sums = UnitColumnSums;
    using Sum = Int128;
    using Squares = Uint128;
    int base = 0;

    static Sum scaled(std::int32_t unit) { return unit; }
    static Squares square(Sum x) { return static_cast<Squares>(x * x); }
    static void subtract(Sum& from, Sum x) { from -= x; }
    static void subtract(Squares& from, Squares x) { from -= x; }
    static std::pair<Sum, Squares> total(std::span<const std::int32_t> units) {
        std::pair<Sum, Squares> sums{0, 0};
        for (const std::int64_t u : units) {
            sums.first += u;
            sums.second += static_cast<Squares>(u * u);
        }
        return sums;
    }
};

// What one column contributes to every leave-one-out sample, each in O(1).
// The n sorted values are y_0..y_(n-1); without rank j, the kept stretch
// lo..hi of the n - 1 values left (trimmed by TrimCount(n - 1), which is one
// less than TrimCount(n) when n is a multiple of 5) is y_lo..y_(hi+1) less y
// at clamp(j, lo, hi + 1), and each leave-one-out sum is the whole sum less
// y_j. Borrows `rankOfPair` (the rank of every pair) and `sorted`.
template <typename Units>
class LeaveOneOutColumn {
public:
    using Value = typename Units::Value;
    using Sum = typename Units::Sum;

    // n >= 3 values.
    LeaveOneOutColumn(std::span<const std::uint32_t> rankOfPair, std::span<const Value> sorted,
                      Units units)
        : m_rank(rankOfPair), m_sorted(sorted), m_units(units) {
        const std::size_t n = sorted.size();
        VELMORA_EXPECTS(n >= 3 && rankOfPair.size() == n);
        m_lo = static_cast<std::size_t>(TrimCount(static_cast<std::int32_t>(n - 1)));
        m_hi = n - 2 - m_lo;
        std::tie(m_sum, m_squares) = m_units.total(sorted);
        std::tie(m_stretchSum, m_stretchSquares) =
            m_units.total(sorted.subspan(m_lo, m_hi + 2 - m_lo));
    }

    // The moments without pair k, and the sum of its kept values.
    ColumnMoments without(std::size_t k, Sum& keptSum) const {
        const std::size_t j = m_rank[k];
        typename Units::Sums s;
        const Sum out = m_units.scaled(m_sorted[j]);
        s.sum = m_sum;
        Units::subtract(s.sum, out);
        s.squares = m_squares;
        Units::subtract(s.squares, Units::square(out));
        const Sum dropped = m_units.scaled(m_sorted[std::clamp(j, m_lo, m_hi + 1)]);
        s.keptSum = m_stretchSum;
        Units::subtract(s.keptSum, dropped);
        s.keptSquares = m_stretchSquares;
        Units::subtract(s.keptSquares, Units::square(dropped));
        s.lowKept = m_sorted[j > m_lo ? m_lo : m_lo + 1];
        s.highKept = m_sorted[j > m_hi ? m_hi : m_hi + 1];
        keptSum = s.keptSum;
        return ColumnMomentsFromSums(static_cast<std::int32_t>(m_sorted.size() - 1), base(), s);
    }

    int base() const { return m_units.base; }

private:
    std::span<const std::uint32_t> m_rank;
    std::span<const Value> m_sorted;
    Units m_units;
    std::size_t m_lo = 0;  // kept stretch of n - 1 values, 0-based
    std::size_t m_hi = 0;
    Sum m_sum{};
    typename Units::Squares m_squares{};
    Sum m_stretchSum{};  // over y_lo..y_(hi+1)
    typename Units::Squares m_stretchSquares{};
};

}  // namespace velmora
