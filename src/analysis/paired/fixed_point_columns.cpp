#include "analysis/paired/fixed_point_columns.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstdlib>

#include "analysis/count_sums.h"
#include "analysis/exact_sums.h"
#include "analysis/resampling/column_moments.h"
#include "analysis/resampling/trimming.h"

namespace velmora {

namespace {

constexpr double kUnitLimit = 2147483648.0;  // 2^31

// The exponent of x's lowest set bit (x finite, not 0).
int lowestBitExponent(double x) {
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(x), &exponent);
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    return exponent - 53 + std::countr_zero(mantissa);
}

Uint128 joined(std::uint64_t low, std::uint64_t high) {
    return Uint128{low} + (Uint128{high} << 32);
}

}  // namespace

std::optional<FixedPointColumns> FixedPointColumns::build(
    const std::vector<double>* values[3], const std::vector<std::uint32_t>* order[3]) {
    const std::size_t n = values[0]->size();
    int unit = 0;
    bool any = false;
    for (int j = 0; j < 2; ++j) {
        for (const double x : *values[j]) {
            if (!std::isfinite(x)) return std::nullopt;
            if (x == 0.0) continue;
            const int e = lowestBitExponent(x);
            unit = any ? std::min(unit, e) : e;
            any = true;
        }
    }
    FixedPointColumns f;
    f.m_n = n;
    f.m_base = unit + 150;
    for (int j = 0; j < 2; ++j) f.m_units[j].resize(n);
    // D's units by pair: the trials take them as Var 2's less Var 1's.
    std::vector<std::int32_t> unitsD(n);
    for (std::size_t k = 0; k < n; ++k) {
        double scaled[2];
        for (int j = 0; j < 2; ++j) {
            // Exact: a multiple of 2^unit below 2^31 units needs at most 31 bits.
            scaled[j] = std::ldexp((*values[j])[k], -unit);
            if (!(std::fabs(scaled[j]) < kUnitLimit)) return std::nullopt;
            f.m_units[j][k] = static_cast<std::int32_t>(scaled[j]);
        }
        // D as the paired columns hold it (rounded once) must be the exact difference.
        const std::int64_t d = std::int64_t{f.m_units[1][k]} - f.m_units[0][k];
        if (std::llabs(d) >= std::int64_t{1} << 31 ||
            std::ldexp((*values[2])[k], -unit) != static_cast<double>(d))
            return std::nullopt;
        unitsD[k] = static_cast<std::int32_t>(d);
    }
    const std::vector<std::int32_t>* units[3] = {&f.m_units[0], &f.m_units[1], &unitsD};
    for (int j = 0; j < 3; ++j) {
        f.m_order[j] = *order[j];
        f.m_rank[j].resize(n);
        f.m_sortedUnits[j].resize(n);
        for (std::size_t r = 0; r < n; ++r) {
            f.m_rank[j][f.m_order[j][r]] = static_cast<std::uint32_t>(r);
            f.m_sortedUnits[j][r] = (*units[j])[f.m_order[j][r]];
        }
    }
    return f;
}

PairedMoments FixedPointColumns::moments(const std::uint32_t* counts) const {
    assert(m_n >= 2);
    const auto n = static_cast<std::int32_t>(m_n);
    const std::int32_t g = TrimCount(n);
    const auto copies = static_cast<std::uint64_t>(g);
    // Per column, the ranks that hold position g from either end: below
    // them only trimmed copies, between them only kept ones.
    std::uint32_t lowRank[3], highRank[3];
    std::uint64_t below[3], above[3];
    for (int j = 0; j < 3; ++j) {
        const std::uint32_t* order = m_order[j].data();
        std::uint64_t b = 0;
        std::size_t r = 0;
        while (b + counts[order[r]] <= copies) b += counts[order[r++]];
        lowRank[j] = static_cast<std::uint32_t>(r);
        below[j] = b;
        std::uint64_t a = 0;
        r = m_n - 1;
        while (a + counts[order[r]] <= copies) a += counts[order[r--]];
        highRank[j] = static_cast<std::uint32_t>(r);
        above[j] = a;
    }
    const CountColumns columns{m_units[0].data(),
                               m_units[1].data(),
                               {m_rank[0].data(), m_rank[1].data(), m_rank[2].data()},
                               {lowRank[0], lowRank[1], lowRank[2]},
                               {highRank[0], highRank[1], highRank[2]}};
    const PairCountSums sums = countSums(counts, columns, m_n);

    PairedMoments out;
    out.n = n;
    Int128 keptSums[3] = {};
    ColumnMoments* targets[3] = {&out.var1, &out.var2, &out.difference};
    for (int j = 0; j < 3; ++j) {
        const CountSums& s = sums[j];
        const std::uint32_t* order = m_order[j].data();
        const std::int64_t lowUnit = sortedUnit(j, lowRank[j]);
        const std::int64_t highUnit = sortedUnit(j, highRank[j]);
        // The copies of the two boundary ranks that the trimming leaves.
        Int128 keptSum = s.keptSum;
        Uint128 keptSquares = joined(s.keptLow, s.keptHigh);
        const auto addKept = [&](std::int64_t unit, std::uint64_t times) {
            keptSum += static_cast<Int128>(unit) * static_cast<Int128>(times);
            keptSquares += static_cast<Uint128>(unit * unit) * times;
        };
        if (lowRank[j] == highRank[j]) {
            addKept(lowUnit, m_n - 2 * copies);
        } else {
            addKept(lowUnit, counts[order[lowRank[j]]] - (copies - below[j]));
            addKept(highUnit, counts[order[highRank[j]]] - (copies - above[j]));
        }
        keptSums[j] = keptSum;
        *targets[j] =
            ColumnMomentsFromSums(n, m_base,
                                  UnitColumnSums{s.sum, joined(s.squaresLow, s.squaresHigh),
                                                 keptSum, keptSquares, lowUnit, highUnit});
    }
    out.trimmedMeanDifference = exactMeanDouble(keptSums[1] - keptSums[0], n - 2 * g, m_base);
    return out;
}

}  // namespace velmora
