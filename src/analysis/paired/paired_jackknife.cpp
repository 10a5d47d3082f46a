#include "analysis/paired/paired_jackknife.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "analysis/resampling/leave_one_out.h"
#include "analysis/resampling/trimming.h"
#include "runtime/contract.h"

namespace velmora {

namespace {

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

// The family without each pair in turn, from the three columns' leave-one-out
// sums (Var 1, Var 2, D), all in one unit.
template <typename Units>
void leaveEachOut(const std::array<LeaveOneOutColumn<Units>, 3>& columns, std::size_t n,
                  std::int32_t lngSdVar,
                  const std::function<void(std::size_t, const PairedEstimates&)>& visit) {
    const auto left = static_cast<std::int32_t>(n - 1);
    const std::int32_t kept = left - 2 * TrimCount(left);
    const int base = columns[0].base();
    for (std::size_t k = 0; k < n; ++k) {
        PairedMoments m;
        m.n = left;
        typename Units::Sum kept1{};
        typename Units::Sum kept2{};
        typename Units::Sum keptD{};
        m.var1 = columns[0].without(k, kept1);
        m.var2 = columns[1].without(k, kept2);
        m.difference = columns[2].without(k, keptD);
        Units::subtract(kept2, kept1);
        m.trimmedMeanDifference = exactMeanDouble(kept2, kept, base);
        visit(k, PairedEstimatesFromMoments(m, lngSdVar));
    }
}

}  // namespace

void ForEachLeaveOneOut(const PairedColumns& columns, std::int32_t lngSdVar,
                        const std::function<void(std::size_t, const PairedEstimates&)>& visit) {
    const std::size_t n = columns.size();
    VELMORA_EXPECTS(n >= 3);
    if (const auto& fixed = columns.fixedPoint()) {
        const WholeUnits units{fixed->base()};
        const auto column = [&](int j) {
            return LeaveOneOutColumn<WholeUnits>(fixed->ranks(j), fixed->sortedUnits(j), units);
        };
        leaveEachOut<WholeUnits>({column(0), column(1), column(2)}, n, lngSdVar, visit);
        return;
    }
    const WideUnits units{commonBase(columns)};
    std::vector<std::uint32_t> ranks[3];
    const auto column = [&](PairedColumn c) {
        const PairedColumns::Ranked& ranked = columns.column(c);
        std::vector<std::uint32_t>& rank = ranks[static_cast<int>(c)];
        rank.resize(n);
        for (std::size_t r = 0; r < n; ++r) rank[ranked.order[r]] = static_cast<std::uint32_t>(r);
        return LeaveOneOutColumn<WideUnits>(rank, ranked.sorted, units);
    };
    leaveEachOut<WideUnits>(
        {column(PairedColumn::Var1), column(PairedColumn::Var2), column(PairedColumn::Difference)},
        n, lngSdVar, visit);
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
    PairedEstimates a;
    if (columns.size() < 3) return a;  // no jackknife values
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
