#include "analysis/paired/paired_columns.h"

#include <algorithm>
#include <limits>
#include <numeric>

#include "analysis/bootstrap/group_stats.h"

namespace velmora {

namespace {

void rankColumn(const std::vector<double>& values, PairedColumns::Ranked& out) {
    const std::size_t n = values.size();
    out.order.resize(n);
    std::iota(out.order.begin(), out.order.end(), 0u);
    std::stable_sort(out.order.begin(), out.order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return values[a] < values[b]; });
    out.sorted.resize(n);
    out.mantissas.resize(n);
    for (std::size_t r = 0; r < n; ++r) {
        out.sorted[r] = values[out.order[r]];
        const ValueParts<double> p = splitValue(out.sorted[r]);
        out.mantissas[r] = p.mantissa;
        if (out.runs.empty() || out.runs.back().binade != p.binade)
            out.runs.push_back({static_cast<std::uint32_t>(r), p.binade});
    }
    out.runs.push_back({static_cast<std::uint32_t>(n), 0});
}

}  // namespace

PairedColumns::PairedColumns(const WrittenPairs& pairs) : m_n(pairs.dblVar1.size()) {
    std::vector<double> difference(m_n);
    for (std::size_t k = 0; k < m_n; ++k) difference[k] = pairs.dblVar2[k] - pairs.dblVar1[k];
    rankColumn(pairs.dblVar1, m_columns[0]);
    rankColumn(pairs.dblVar2, m_columns[1]);
    rankColumn(difference, m_columns[2]);
}

ColumnMoments ColumnMomentsFromSums(std::int32_t n, int base, const WideSignedExact& sum,
                                    const WideExactInteger& squares, const WideSignedExact& keptSum,
                                    const WideExactInteger& keptSquares, double lowKept,
                                    double highKept) {
    const std::int32_t g = TrimCount(n);
    ColumnMoments m;
    m.mean = exactMeanDouble(sum, n, base);
    m.variance = exactVarianceDouble(sum, squares, n, base);
    m.trimmedMean = exactMeanDouble(keptSum, n - 2 * g, base);
    // The Winsorized sample: g copies of each end's kept value around the kept ones.
    WideSignedExact winsSum = keptSum;
    WideExactInteger winsSquares = keptSquares;
    addWinsorizedEnds(winsSum, winsSquares, lowKept, highKept, static_cast<std::uint64_t>(g), base);
    m.winsVariance = exactVarianceDouble(winsSum, winsSquares, n, base);
    return m;
}

PairedTrialStatistics::PairedTrialStatistics(const PairedColumns& columns)
    : m_columns(columns), m_counts(columns.size(), 0) {}

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
    m_keptDifference.clear();
    m.var1 = columnMoments(PairedColumn::Var1, counts.data());
    m.var2 = columnMoments(PairedColumn::Var2, counts.data());
    m.difference = columnMoments(PairedColumn::Difference, counts.data());
    const std::int32_t g = TrimCount(m.n);
    const int base = m_keptDifference.lowestBinade();
    m.trimmedMeanDifference = exactMeanDouble(m_keptDifference.sum(base), m.n - 2 * g, base);
    return m;
}

// The ranks in ascending order, each adding its mantissa (and its square)
// times its pair's count to the sums of its binade. The positions fall into
// three stretches, below the kept ones, kept, and above; a rank whose copies
// cross from one into the next is split there. Sums of one stretch and one
// run stay in registers and go to the exact sums at its end.
ColumnMoments PairedTrialStatistics::columnMoments(PairedColumn which,
                                                   const std::uint32_t* counts) {
    using Format = ExactFormat<double>;
    const PairedColumns::Ranked& column = m_columns.column(which);
    const std::uint32_t* order = column.order.data();
    const std::int64_t* mantissas = column.mantissas.data();
    const std::size_t n = m_columns.size();
    const auto g = static_cast<std::size_t>(TrimCount(static_cast<std::int32_t>(n)));
    // The first position beyond each stretch; the last is never reached.
    const std::size_t ends[3] = {g, n - g, n + 1};
    int stretch = 0;
    std::size_t end = ends[0];
    std::size_t position = 0;  // positions laid out before the current rank
    double lowKept = 0.0;
    double highKept = 0.0;

    m_all.clear();
    m_kept.clear();
    // Var 1's kept values go into the difference of the trimmed means
    // negated, Var 2's as they are.
    const Int128 sign = which == PairedColumn::Var1 ? -1 : which == PairedColumn::Var2 ? 1 : 0;
    const auto flush = [&](int binade, Int128 sum, const DoubleSquareSum& squares) {
        m_all.addBinade(binade, sum, squares);
        if (stretch != 1) return;
        m_kept.addBinade(binade, sum, squares);
        if (sign != 0) m_keptDifference.addBinade(binade, sign * sum, squares);
    };
    for (std::size_t run = 0; run + 1 < column.runs.size(); ++run) {
        const int binade = column.runs[run].binade;
        Int128 sum = 0;
        DoubleSquareSum squares;
        for (std::size_t r = column.runs[run].firstRank; r < column.runs[run + 1].firstRank; ++r) {
            std::size_t c = counts[order[r]];
            const Int128 mantissa = mantissas[r];
            const Uint128 square = Format::square(mantissas[r]);
            // Rarely true: only the ranks holding the ends of the kept stretch.
            while (position + c > end) {
                const std::size_t part = end - position;
                sum += static_cast<Int128>(part) * mantissa;
                Format::addSquares(squares, square, part);
                flush(binade, sum, squares);
                sum = 0;
                squares = DoubleSquareSum{};
                if (stretch == 0) {
                    lowKept = column.sorted[r];
                } else {
                    // The last kept position is this rank's or, when none of
                    // its copies is kept, that of the nearest drawn rank below.
                    std::size_t at = r;
                    if (part == 0) {
                        do {
                            --at;
                        } while (counts[order[at]] == 0);
                    }
                    highKept = column.sorted[at];
                }
                position = end;
                c -= part;
                end = ends[++stretch];
            }
            sum += static_cast<Int128>(c) * mantissa;
            Format::addSquares(squares, square, c);
            position += c;
        }
        flush(binade, sum, squares);
    }
    // With nothing trimmed the kept stretch never ends, but then the end
    // values count 0 times.
    const int base = m_all.lowestBinade();
    return ColumnMomentsFromSums(static_cast<std::int32_t>(n), base, m_all.sum(base),
                                 m_all.squares(base), m_kept.sum(base), m_kept.squares(base),
                                 lowKept, highKept);
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
