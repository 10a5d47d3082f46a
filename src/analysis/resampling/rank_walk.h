#pragma once

#include <cstddef>
#include <cstdint>

#include "analysis/exact_sums.h"
#include "analysis/resampling/ranked_column.h"
#include "analysis/resampling/trimming.h"
#include "runtime/contract.h"

namespace velmora {

// The sums of one stretch of one binade run while the walk is in it, for
// mantissas of any width of the format: the sum of the mantissas and of
// their squares, each times its copies.
template <typename Real>
struct RunSums {
    using Format = ExactFormat<Real>;
    using MantissaSum = typename Format::MantissaSum;
    using SquareSum = typename Format::SquareSum;
    MantissaSum sum = 0;
    SquareSum squares{};
    void add(typename Format::Mantissa m, std::uint64_t copies) {
        sum += static_cast<MantissaSum>(m) * static_cast<MantissaSum>(copies);
        Format::addSquares(squares, Format::square(m), copies);
    }
    MantissaSum total() const { return sum; }
    const SquareSum& squareSum() const { return squares; }
};

// The values at the first and the last kept position.
template <typename Real>
struct KeptEnds {
    Real low = 0;
    Real high = 0;
};

// One bootstrap trial over a ranked column, from how often each pair was
// drawn (countOf(pair number), nPairs in all): the ranks in ascending order,
// each adding its mantissa (and its square) times its pair's count to the
// sums of its binade. A bootstrap sample is a multiset of the observed pairs,
// so its ascending order is the column's with each rank repeated, and exact
// sums need no particular order. The positions fall into three stretches,
// below the kept ones (TrimCount(nPairs) trimmed from each end), kept, and
// above; a rank whose copies cross from one into the next is split there.
// Sums of one stretch and one run stay in registers (Sums: add(mantissa,
// copies)) and are handed to flush(binade, sums, kept) at its end. Returns
// the values at the ends of the kept stretch; with nothing trimmed they are
// 0, as the Winsorized sums then count them 0 times.
template <typename Sums, typename Real, typename CountOf, typename Flush>
KeptEnds<Real> WalkRanks(const RankedColumn<Real>& column, const ColumnParts<Real>& parts,
                         CountOf countOf, Flush flush) {
    const std::uint32_t* order = column.order.data();
    const auto* mantissas = parts.mantissas.data();
    const auto& runs = parts.runs;
    const std::size_t n = column.order.size();
    VELMORA_EXPECTS(parts.mantissas.size() == n && !runs.empty());
    const auto g = static_cast<std::size_t>(TrimCount(static_cast<std::int32_t>(n)));
    // The first position beyond each stretch; the last is never reached.
    const std::size_t ends[3] = {g, n - g, n + 1};
    int stretch = 0;
    std::size_t end = ends[0];
    std::size_t position = 0;  // positions laid out before the current rank
    KeptEnds<Real> kept;
    std::size_t r = 0;  // the next rank
    for (std::size_t run = 0; run + 1 < runs.size(); ++run) {
        const int binade = runs[run].binade;
        const std::size_t runEnd = runs[run + 1].firstRank;
        Sums sums;
        for (;;) {
            // The ranks wholly inside the current stretch: few values live,
            // so that they all stay in registers.
            std::size_t c = 0;
            for (; r < runEnd; ++r) {
                c = countOf(order[r]);
                if (position + c > end) break;
                sums.add(mantissas[r], c);
                position += c;
            }
            if (r == runEnd) break;
            // Rank r holds an end of the kept stretch (or both).
            while (position + c > end) {
                const std::size_t part = end - position;
                sums.add(mantissas[r], part);
                flush(binade, sums, stretch == 1);
                sums = Sums{};
                if (stretch == 0) {
                    kept.low = column.sorted[r];
                } else {
                    // The last kept position is this rank's or, when none of
                    // its copies is kept, that of the nearest drawn rank below.
                    std::size_t at = r;
                    if (part == 0) {
                        do {
                            --at;
                        } while (countOf(order[at]) == 0);
                    }
                    kept.high = column.sorted[at];
                }
                position = end;
                c -= part;
                end = ends[++stretch];
            }
            sums.add(mantissas[r], c);
            position += c;
            ++r;
        }
        flush(binade, sums, stretch == 1);
    }
    return kept;
}

}  // namespace velmora
