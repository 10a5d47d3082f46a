#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "analysis/exact_sums.h"
#include "analysis/paired/paired_estimates.h"

namespace velmora {

// The three columns of the complete pairs as whole numbers of one unit 2^e,
// when every value of Var 1 and Var 2 is a multiple of it and every value of
// Var 1, Var 2 and D = Var 2 - Var 1 is below 2^31 units in magnitude (data
// written to a few decimals, stored as singles, nearly always are). Then a
// trial's exact sums are machine integers taken in pair order, several pairs
// at a time where the processor can, and only the ends of the kept stretches
// need the ranks.
class FixedPointColumns {
public:
    // values[j][k] and order[j][r] (the pair at rank r) for j = Var 1, Var 2,
    // D, as the paired columns hold them; empty when the values do not fit.
    static std::optional<FixedPointColumns> build(const std::vector<double>* values[3],
                                                  const std::vector<std::uint32_t>* order[3]);

    std::size_t size() const { return m_n; }
    // The moments of the trial that draws pair k counts[k] times (n >= 2
    // draws in all): the exact values rounded once, as the rank walk gives.
    PairedMoments moments(const std::uint32_t* counts) const;

    // For the jackknife, per column (0 Var 1, 1 Var 2, 2 D): the rank of
    // every pair and the units at every rank, in units of 2^(base() - 150).
    std::span<const std::uint32_t> ranks(int column) const { return m_rank[column]; }
    std::span<const std::int32_t> sortedUnits(int column) const { return m_sortedUnits[column]; }
    int base() const { return m_base; }

private:
    std::int64_t sortedUnit(int column, std::size_t rank) const {
        return m_sortedUnits[column][rank];
    }

    std::size_t m_n = 0;
    int m_base = 0;  // units of 2^(m_base - 150), as the exact sums count them
    std::vector<std::int32_t> m_units[2];        // Var 1's and Var 2's by pair
    std::vector<std::uint32_t> m_rank[3];        // by pair
    std::vector<std::uint32_t> m_order[3];       // pair at each rank
    std::vector<std::int32_t> m_sortedUnits[3];  // by rank
};

}  // namespace velmora
