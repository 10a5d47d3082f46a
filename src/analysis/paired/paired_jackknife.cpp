#include "analysis/paired/paired_jackknife.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "analysis/bootstrap/group_stats.h"

namespace velmora {

namespace {

WideSignedExact negated(WideSignedExact value) {
    if (!value.magnitude.isZero()) value.negative = !value.negative;
    return value;
}

// What one column contributes to every leave-one-out sample. The n sorted
// values are y_0..y_(n-1); without rank j, the kept stretch lo..hi of the
// n - 1 values left is y_lo..y_(hi+1) less y at clamp(j, lo, hi + 1).
class LeaveOneOutColumn {
public:
    LeaveOneOutColumn(const PairedColumns::Ranked& column, int base)
        : m_column(column), m_base(base) {
        const std::size_t n = column.sorted.size();
        const auto left = static_cast<std::int32_t>(n - 1);
        m_lo = static_cast<std::size_t>(TrimCount(left));
        m_hi = n - 2 - m_lo;
        m_rank.resize(n);
        ExactDoubleSums all;
        ExactDoubleSums stretch;
        for (std::size_t r = 0; r < n; ++r) {
            m_rank[column.order[r]] = static_cast<std::uint32_t>(r);
            all.add(column.sorted[r]);
            if (r >= m_lo && r <= m_hi + 1) stretch.add(column.sorted[r]);
        }
        m_sum = all.sum(base);
        m_squares = all.squares(base);
        m_stretchSum = stretch.sum(base);
        m_stretchSquares = stretch.squares(base);
    }

    // The moments without pair k, and the sum of its kept values.
    ColumnMoments without(std::size_t k, WideSignedExact& keptSum) const {
        const std::size_t j = m_rank[k];
        const std::vector<double>& y = m_column.sorted;
        const std::size_t n = y.size();
        const WideSignedExact out = scaledValue(y[j], m_base);
        WideSignedExact sum = m_sum;
        sum.add(negated(out));
        WideExactInteger squares = m_squares;
        squares.subtract(out.magnitude.times(out.magnitude));

        const WideSignedExact dropped = scaledValue(y[std::clamp(j, m_lo, m_hi + 1)], m_base);
        keptSum = m_stretchSum;
        keptSum.add(negated(dropped));
        WideExactInteger keptSquares = m_stretchSquares;
        keptSquares.subtract(dropped.magnitude.times(dropped.magnitude));
        const double lowKept = j > m_lo ? y[m_lo] : y[m_lo + 1];
        const double highKept = j > m_hi ? y[m_hi] : y[m_hi + 1];
        return ColumnMomentsFromSums(static_cast<std::int32_t>(n - 1), m_base, sum, squares,
                                     keptSum, keptSquares, lowKept, highKept);
    }

private:
    const PairedColumns::Ranked& m_column;
    int m_base = 1;
    std::size_t m_lo = 0;  // kept stretch of n - 1 values, 0-based
    std::size_t m_hi = 0;
    std::vector<std::uint32_t> m_rank;  // rank of each pair
    WideSignedExact m_sum;
    WideExactInteger m_squares;
    WideSignedExact m_stretchSum;  // over y_lo..y_(hi+1)
    WideExactInteger m_stretchSquares;
};

// The lowest binade of all three columns: one unit for every exact sum, so
// that Var 1's and Var 2's kept sums can be subtracted as they are.
int commonBase(const PairedColumns& columns) {
    int base = 1;
    bool any = false;
    for (PairedColumn c : {PairedColumn::Var1, PairedColumn::Var2, PairedColumn::Difference})
        for (double y : columns.column(c).sorted) {
            if (y == 0.0) continue;  // a zero fits any unit
            const int binade = splitValue(y).binade;
            base = any ? std::min(base, binade) : binade;
            any = true;
        }
    return base;
}

}  // namespace

void ForEachLeaveOneOut(const PairedColumns& columns, std::int32_t lngSdVar,
                        const std::function<void(std::size_t, const PairedEstimates&)>& visit) {
    const std::size_t n = columns.size();
    if (n < 3) return;
    const auto left = static_cast<std::int32_t>(n - 1);
    const std::int32_t kept = left - 2 * TrimCount(left);
    if (const auto& fixed = columns.fixedPoint()) {
        for (std::size_t k = 0; k < n; ++k) {
            PairedMoments m;
            m.n = left;
            Int128 kept1 = 0;
            Int128 kept2 = 0;
            Int128 keptD = 0;
            m.var1 = fixed->leaveOneOut(0, k, kept1);
            m.var2 = fixed->leaveOneOut(1, k, kept2);
            m.difference = fixed->leaveOneOut(2, k, keptD);
            m.trimmedMeanDifference = exactMeanDouble(kept2 - kept1, kept, fixed->base());
            visit(k, PairedEstimatesFromMoments(m, lngSdVar));
        }
        return;
    }
    const int base = commonBase(columns);
    const LeaveOneOutColumn var1(columns.column(PairedColumn::Var1), base);
    const LeaveOneOutColumn var2(columns.column(PairedColumn::Var2), base);
    const LeaveOneOutColumn difference(columns.column(PairedColumn::Difference), base);
    for (std::size_t k = 0; k < n; ++k) {
        PairedMoments m;
        m.n = left;
        WideSignedExact kept1;
        WideSignedExact kept2;
        WideSignedExact keptD;
        m.var1 = var1.without(k, kept1);
        m.var2 = var2.without(k, kept2);
        m.difference = difference.without(k, keptD);
        kept2.add(negated(kept1));
        m.trimmedMeanDifference = exactMeanDouble(kept2, kept, base);
        visit(k, PairedEstimatesFromMoments(m, lngSdVar));
    }
}

PairedEstimates PairedAccelerations(const PairedColumns& columns, std::int32_t lngSdVar) {
    // Power sums of u_i = t_i - c, c the first jackknife value: the t_i lie
    // close together, so the central sums follow from them without the
    // cancellation of raw power sums, and no n values need be kept.
    struct Sums {
        bool computable = true;
        double center = 0.0;
        double u1 = 0.0, u2 = 0.0, u3 = 0.0;
    };
    std::array<Sums, kPairedEffectCount> sums;
    ForEachLeaveOneOut(columns, lngSdVar, [&](std::size_t k, const PairedEstimates& t) {
        for (std::size_t e = 0; e < sums.size(); ++e) {
            Sums& s = sums[e];
            if (!t[e]) s.computable = false;
            if (!s.computable) continue;
            if (k == 0) s.center = *t[e];
            const double u = *t[e] - s.center;
            s.u1 += u;
            s.u2 += u * u;
            s.u3 += u * u * u;
        }
    });
    PairedEstimates a;
    if (columns.size() < 3) return a;  // no jackknife value was visited
    const auto n = static_cast<double>(columns.size());
    for (std::size_t e = 0; e < sums.size(); ++e) {
        const Sums& s = sums[e];
        if (!s.computable) continue;
        const double mean = s.u1 / n;
        const double second = s.u2 - n * mean * mean;
        const double third = s.u3 - 3.0 * mean * s.u2 + 2.0 * n * mean * mean * mean;
        if (!(second > 0.0)) continue;
        // sum((t - t_i)^3) is minus the third central sum of the t_i.
        const double value = -third / (6.0 * second * std::sqrt(second));
        if (std::isfinite(value)) a[e] = value;
    }
    return a;
}

}  // namespace velmora
