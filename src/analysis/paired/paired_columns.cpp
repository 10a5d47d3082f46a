#include "analysis/paired/paired_columns.h"

#include <algorithm>
#include <bit>
#include <limits>

#include "analysis/bootstrap/group_stats.h"
#include "analysis/stable_order.h"

namespace velmora {

namespace {

// The highest binade whose exact sums have a slot (ExactFormat<double>).
constexpr int kHighestBinade = 2047 - ExactFormat<double>::kBinadeOffset;

void rankColumn(const std::vector<double>& values, PairedColumns::Ranked& out) {
    out.order = StableAscendingOrder(values);
    out.sorted.resize(values.size());
    for (std::size_t r = 0; r < values.size(); ++r) out.sorted[r] = values[out.order[r]];
}

// What the rank walk needs of a ranked column.
void splitColumn(PairedColumns::Ranked& out) {
    const std::size_t n = out.sorted.size();
    out.mantissas.resize(n);
    std::vector<int> binades(n);
    int zeros = 64;  // the fewest trailing zero bits of a mantissa
    int highest = -kHighestBinade;
    for (std::size_t r = 0; r < n; ++r) {
        const ValueParts<double> p = splitValue(out.sorted[r]);
        out.mantissas[r] = p.mantissa;
        binades[r] = p.binade;
        if (p.mantissa != 0) {
            zeros = std::min(zeros, std::countr_zero(static_cast<std::uint64_t>(p.mantissa)));
            highest = std::max(highest, p.binade);
        }
    }
    // Mantissas shifted past the zeros they all end in, with their binades
    // raised to match, mean the same values; when they then fit 31 bits the
    // trials take the narrow sums.
    const int shift = zeros == 64 ? 0 : zeros;
    out.narrow =
        ExactFormat<double>::kMantissaBits - shift <= 31 && highest + shift <= kHighestBinade;
    for (std::size_t r = 0; r < n; ++r) {
        if (out.narrow) {
            out.mantissas[r] /= std::int64_t{1} << shift;  // exact: the bits are zeros
            binades[r] += shift;
        }
        if (out.runs.empty() || out.runs.back().binade != binades[r])
            out.runs.push_back({static_cast<std::uint32_t>(r), binades[r]});
    }
    out.runs.push_back({static_cast<std::uint32_t>(n), 0});
}

}  // namespace

PairedColumns::PairedColumns(const WrittenPairs& pairs, bool fixedPoint)
    : m_n(pairs.dblVar1.size()) {
    std::vector<double> difference(m_n);
    for (std::size_t k = 0; k < m_n; ++k) difference[k] = pairs.dblVar2[k] - pairs.dblVar1[k];
    rankColumn(pairs.dblVar1, m_columns[0]);
    rankColumn(pairs.dblVar2, m_columns[1]);
    rankColumn(difference, m_columns[2]);
    if (fixedPoint && m_n >= 2) {
        const std::vector<double>* values[3] = {&pairs.dblVar1, &pairs.dblVar2, &difference};
        const std::vector<std::uint32_t>* order[3] = {&m_columns[0].order, &m_columns[1].order,
                                                      &m_columns[2].order};
        m_fixedPoint = FixedPointColumns::build(values, order);
    }
    if (!m_fixedPoint)
        for (Ranked& column : m_columns) splitColumn(column);
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

struct WideSums {
    using Format = ExactFormat<double>;
    Int128 sum = 0;
    DoubleSquareSum squares;
    void add(std::int64_t m, std::uint64_t copies) {
        sum += static_cast<Int128>(m) * static_cast<Int128>(copies);
        Format::addSquares(squares, Format::square(m), copies);
    }
    Int128 total() const { return sum; }
    DoubleSquareSum squareSum() const { return squares; }
};

}  // namespace

ColumnMoments PairedTrialStatistics::columnMoments(PairedColumn which,
                                                   const std::uint32_t* counts) {
    return m_columns.column(which).narrow ? walk<NarrowSums>(which, counts)
                                          : walk<WideSums>(which, counts);
}

// The ranks in ascending order, each adding its mantissa (and its square)
// times its pair's count to the sums of its binade. The positions fall into
// three stretches, below the kept ones, kept, and above; a rank whose copies
// cross from one into the next is split there. Sums of one stretch and one
// run stay in registers and go to the exact sums at its end.
template <typename Sums>
ColumnMoments PairedTrialStatistics::walk(PairedColumn which, const std::uint32_t* counts) {
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

    m_walk->all.clear();
    m_walk->kept.clear();
    // Var 1's kept values go into the difference of the trimmed means
    // negated, Var 2's as they are.
    const Int128 sign = which == PairedColumn::Var1 ? -1 : which == PairedColumn::Var2 ? 1 : 0;
    const auto flush = [&](int binade, const Sums& sums) {
        const Int128 sum = sums.total();
        const DoubleSquareSum squares = sums.squareSum();
        m_walk->all.addBinade(binade, sum, squares);
        if (stretch != 1) return;
        m_walk->kept.addBinade(binade, sum, squares);
        if (sign != 0) m_walk->keptDifference.addBinade(binade, sign * sum, squares);
    };
    std::size_t r = 0;  // the next rank
    for (std::size_t run = 0; run + 1 < column.runs.size(); ++run) {
        const int binade = column.runs[run].binade;
        const std::size_t runEnd = column.runs[run + 1].firstRank;
        Sums sums;
        for (;;) {
            // The ranks wholly inside the current stretch: few values live,
            // so that they all stay in registers.
            std::size_t c = 0;
            for (; r < runEnd; ++r) {
                c = counts[order[r]];
                if (position + c > end) break;
                sums.add(mantissas[r], c);
                position += c;
            }
            if (r == runEnd) break;
            // Rank r holds an end of the kept stretch (or both).
            while (position + c > end) {
                const std::size_t part = end - position;
                sums.add(mantissas[r], part);
                flush(binade, sums);
                sums = Sums{};
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
            sums.add(mantissas[r], c);
            position += c;
            ++r;
        }
        flush(binade, sums);
    }
    // With nothing trimmed the kept stretch never ends, but then the end
    // values count 0 times.
    const int base = m_walk->all.lowestBinade();
    return ColumnMomentsFromSums(static_cast<std::int32_t>(n), base, m_walk->all.sum(base),
                                 m_walk->all.squares(base), m_walk->kept.sum(base),
                                 m_walk->kept.squares(base), lowKept, highKept);
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
