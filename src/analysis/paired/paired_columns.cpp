#include "analysis/paired/paired_columns.h"

#include <algorithm>
#include <bit>
#include <limits>

#include "analysis/resampling/column_moments.h"
#include "analysis/resampling/rank_walk.h"
#include "analysis/resampling/trimming.h"

namespace velmora {

PairedColumns::PairedColumns(const WrittenPairs& pairs) : PairedColumns(pairs, Sums::Fastest) {}

PairedColumns::PairedColumns(const WrittenPairs& pairs, Sums sums) : m_n(pairs.dblVar1.size()) {
    std::vector<double> difference(m_n);
    for (std::size_t k = 0; k < m_n; ++k) difference[k] = pairs.dblVar2[k] - pairs.dblVar1[k];
    const std::vector<double>* values[3] = {&pairs.dblVar1, &pairs.dblVar2, &difference};
    for (int j = 0; j < 3; ++j)
        static_cast<RankedColumn<double>&>(m_columns[j]) = RankColumn<double>(*values[j]);
    if (sums == Sums::Fastest && m_n >= 2) {
        const std::vector<std::uint32_t>* order[3] = {&m_columns[0].order, &m_columns[1].order,
                                                      &m_columns[2].order};
        m_fixedPoint = FixedPointColumns::build(values, order);
    }
    if (!m_fixedPoint)
        for (Ranked& column : m_columns)
            static_cast<ColumnParts<double>&>(column) =
                SplitColumn<double>(column.sorted, MantissaPacking::Narrowest);
}

PairedTrialStatistics::PairedTrialStatistics(const PairedColumns& columns)
    : m_columns(columns), m_counts(columns.size(), 0) {
    if (!columns.fixedPoint()) m_walk = std::make_unique<WalkSums>();
}

PairedEstimates PairedTrialStatistics::compute(const std::uint32_t* drawn, std::int32_t lngSdVar) {
    const std::size_t n = m_columns.size();
    for (std::size_t m = 0; m < n; ++m) ++m_counts[drawn[m]];
    const PairedEstimates estimates = computeFromCounts(m_counts, lngSdVar);
    std::fill(m_counts.begin(), m_counts.end(), 0u);
    return estimates;
}

PairedEstimates PairedTrialStatistics::computeFromCounts(std::span<const std::uint32_t> counts,
                                                         std::int32_t lngSdVar) {
    return PairedEstimatesFromMoments(moments(counts), lngSdVar);
}

PairedMoments PairedTrialStatistics::moments(std::span<const std::uint32_t> counts) {
    PairedMoments m;
    m.n = static_cast<std::int32_t>(m_columns.size());
    if (m.n < 2) {
        // Outside the contract: no variance exists, and nothing may divide by n - 1 = 0.
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const ColumnMoments none{nan, nan, nan, nan};
        m.var1 = m.var2 = m.difference = none;
        m.trimmedMeanDifference = nan;
        return m;
    }
    if (m_columns.fixedPoint()) return m_columns.fixedPoint()->moments(counts.data());
    m_walk->keptDifference.clear();
    m.var1 = columnMoments(PairedColumn::Var1, counts.data());
    m.var2 = columnMoments(PairedColumn::Var2, counts.data());
    m.difference = columnMoments(PairedColumn::Difference, counts.data());
    const std::int32_t g = TrimCount(m.n);
    const int base = m_walk->keptDifference.lowestBinade();
    m.trimmedMeanDifference = exactMeanDouble(m_walk->keptDifference.sum(base), m.n - 2 * g, base);
    return m;
}

namespace {

// One stretch of one run in registers. Narrow: mantissas below 2^31, so a
// count times one fits 63 bits and a square 64 (the singles' and their
// differences' mantissas, shifted down past the zeros every value of the
// column ends in). Wide: any double's.
struct NarrowSums {
    std::int64_t sum = 0;
    Uint128 squares = 0;
    void add(std::int64_t m, std::uint64_t copies) {
        sum += m * static_cast<std::int64_t>(copies);
        squares += Uint128{static_cast<std::uint64_t>(m * m)} * copies;
    }
    Int128 total() const { return sum; }
    DoubleSquareSum squareSum() const { return DoubleSquareSum{squares, 0}; }
};

using WideSums = RunSums<double>;

}  // namespace

ColumnMoments PairedTrialStatistics::columnMoments(PairedColumn which,
                                                   const std::uint32_t* counts) {
    return m_columns.column(which).narrow ? walk<NarrowSums>(which, counts)
                                          : walk<WideSums>(which, counts);
}

template <typename Sums>
ColumnMoments PairedTrialStatistics::walk(PairedColumn which, const std::uint32_t* counts) {
    m_walk->all.clear();
    m_walk->kept.clear();
    // Var 1's kept values go into the difference of the trimmed means
    // negated, Var 2's as they are.
    const Int128 sign = which == PairedColumn::Var1 ? -1 : which == PairedColumn::Var2 ? 1 : 0;
    const auto flush = [&](int binade, const Sums& sums, bool kept) {
        const Int128 sum = sums.total();
        const DoubleSquareSum squares = sums.squareSum();
        m_walk->all.addBinade(binade, sum, squares);
        if (!kept) return;
        m_walk->kept.addBinade(binade, sum, squares);
        if (sign != 0) m_walk->keptDifference.addBinade(binade, sign * sum, squares);
    };
    const PairedColumns::Ranked& column = m_columns.column(which);
    const KeptEnds<double> ends = WalkRanks<Sums>(
        column, column, [counts](std::uint32_t k) -> std::size_t { return counts[k]; }, flush);
    const int base = m_walk->all.lowestBinade();
    return ColumnMomentsFromSums(
        static_cast<std::int32_t>(m_columns.size()), base,
        WideColumnSums{m_walk->all.sum(base), m_walk->all.squares(base), m_walk->kept.sum(base),
                       m_walk->kept.squares(base), ends.low, ends.high});
}

PairedObserved ComputePairedObserved(const PairedColumns& columns, std::int32_t lngSdVar) {
    PairedObserved observed;
    PairedTrialStatistics statistics(columns);
    const std::vector<std::uint32_t> once(columns.size(), 1u);
    observed.moments = statistics.moments(once);
    observed.r = PairedCorrelation(observed.moments);
    observed.m = observed.moments.n - 1;
    observed.correction = SmallSampleCorrection(observed.m);
    observed.d = PairedEstimatesFromMoments(observed.moments, lngSdVar);
    observed.g = CorrectedEstimates(observed.d, observed.correction);
    return observed;
}

}  // namespace velmora
