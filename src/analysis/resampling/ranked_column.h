#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "analysis/exact_sums.h"

namespace velmora {

// One column of the complete pairs in stable ascending order: the pair number
// at every rank and the value there.
template <typename Real>
struct RankedColumn {
    std::vector<std::uint32_t> order;
    std::vector<Real> sorted;
};
template <typename Real>
RankedColumn<Real> RankColumn(std::span<const Real> values);

// Whether the mantissas keep the bits of their format, or are shifted past
// the zero bits every one of them ends in when they then fit 31 bits (with
// their binades raised to match, so that they mean the same values).
enum class MantissaPacking { AsStored, Narrowest };

// What a walk over the ranks needs of a ranked column: every value split
// into binade and mantissa (value = mantissa * 2^(binade - 150), the binade
// that of the rank's run), and the ranks cut into runs of one binade
// (ascending values keep a binade together, except that a negative and a
// positive stretch may share one).
template <typename Real>
struct ColumnParts {
    using Mantissa = typename ExactFormat<Real>::Mantissa;
    struct Run {
        std::uint32_t firstRank;
        int binade;
    };
    std::vector<Mantissa> mantissas;  // by rank
    std::vector<Run> runs;            // followed by an end mark {size(), 0}
    bool narrow = false;              // packed: every mantissa below 2^31
};
// `sorted`: a ranked column's values, every one finite.
template <typename Real>
ColumnParts<Real> SplitColumn(std::span<const Real> sorted, MantissaPacking packing);

}  // namespace velmora
