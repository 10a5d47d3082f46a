#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "analysis/exact_sums.h"
#include "analysis/paired/fixed_point_columns.h"
#include "analysis/paired/paired_estimates.h"
#include "analysis/resampling/paired_sample.h"
#include "analysis/resampling/ranked_column.h"

namespace velmora {

enum class PairedColumn { Var1, Var2, Difference };

// The complete pairs of a run as three columns, Var 1, Var 2 and D = Var 2 -
// Var 1 (in double, rounded once), each with its stable ascending order (the
// pair number at every rank), the value at every rank split into binade and
// mantissa, and the ranks cut into runs of one binade. A column whose
// mantissas all end in enough zero bits (singles, and differences of singles
// of like size) keeps them shifted down to 31 bits, which halves the work of
// a trial. Built once per run and only read afterwards, so any number of
// threads may share it. About 86 bytes per pair.
class PairedColumns {
public:
    // `pairs`: the complete pairs in case order, the values as written for a
    // column that has them and the singles otherwise (CollectWrittenPairs);
    // every value finite, as the import keeps them.
    explicit PairedColumns(const WrittenPairs& pairs);

    std::size_t size() const { return m_n; }

    // A column ranked and, for the rank walk, split; the parts are empty
    // where the columns are whole numbers of one unit.
    struct Ranked : RankedColumn<double>, ColumnParts<double> {};
    const Ranked& column(PairedColumn c) const { return m_columns[static_cast<int>(c)]; }
    // The columns as whole numbers of one unit, when they fit.
    const std::optional<FixedPointColumns>& fixedPoint() const { return m_fixedPoint; }

private:
    // Tests hold the whole-number sums to the rank walk's figures with
    // columns that keep the rank walk wherever the values fit.
    friend struct RankWalkColumns;
    enum class Sums { Fastest, RankWalk };
    PairedColumns(const WrittenPairs& pairs, Sums sums);

    std::size_t m_n = 0;
    Ranked m_columns[3];
    std::optional<FixedPointColumns> m_fixedPoint;
};

// The paired family of bootstrap trials from how often each complete pair was
// drawn, in O(nPairs) per trial: each column's ranks in ascending order add
// their mantissa (and its square) times their pair's count to exact sums, and
// the counts place the kept positions. Exact, so a trial's figures are those
// of the drawn sample itself, whatever the order of the draws and whichever
// thread computes it. One instance is one thread's workspace (4 bytes per
// pair, and three sets of exact sums for the rank walk); it only reads
// `columns`.
class PairedTrialStatistics {
public:
    explicit PairedTrialStatistics(const PairedColumns& columns);

    // One trial: `drawn` holds its nPairs drawn pair numbers (0-based, any order).
    PairedEstimates compute(const std::uint32_t* drawn, std::int32_t lngSdVar);
    // One trial given as counts: counts[k] draws of pair k, nPairs in all.
    PairedEstimates computeFromCounts(std::span<const std::uint32_t> counts, std::int32_t lngSdVar);
    // The moments of such a trial. Fewer than 2 pairs are outside the
    // contract: every moment is NaN and nothing is computable.
    PairedMoments moments(std::span<const std::uint32_t> counts);

private:
    ColumnMoments columnMoments(PairedColumn c, const std::uint32_t* counts);
    template <typename Sums>
    ColumnMoments walk(PairedColumn c, const std::uint32_t* counts);

    const PairedColumns& m_columns;
    std::vector<std::uint32_t> m_counts;
    // The rank walk's sums, for columns that are not whole numbers of one unit.
    struct WalkSums {
        ExactDoubleSums all;
        ExactDoubleSums kept;
        ExactDoubleSums keptDifference;  // Var 2's kept values less Var 1's
    };
    std::unique_ptr<WalkSums> m_walk;
};

// The family on the observed complete pairs (nPairs >= 2), with its g values.
struct PairedObserved {
    PairedMoments moments;
    std::optional<double> r;
    std::int32_t m = 0;                // n - 1, the m of J(m) for every d
    std::optional<double> correction;  // J(m)
    PairedEstimates d;
    PairedEstimates g;
};
PairedObserved ComputePairedObserved(const PairedColumns& columns, std::int32_t lngSdVar);

}  // namespace velmora
