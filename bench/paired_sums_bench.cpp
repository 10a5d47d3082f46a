#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "analysis/count_sums.h"
#include "analysis/count_sums_builds.h"
#include "analysis/paired/paired_columns.h"

// One paired trial's sums, the loop every trial of the accurate paired family
// spends its time in. "per_pair" is the time per complete pair of one trial.
//   BM_CountSums: the whole-number sums alone, each build forced (plain,
//     AVX2, AVX-512, and the one the trials take), on singles of
//     two decimals.
//   BM_WholeNumberTrial: a whole trial's moments on the same data.
//   BM_RankWalkTrial: a whole trial's moments on values of many magnitudes
//     (1e-6..1e6), which the whole numbers cannot hold, so the trial walks the
//     ranks: singles take the narrow sums, doubles the wide ones.

namespace {

using velmora::PairedColumns;
using velmora::PairedTrialStatistics;
using velmora::WrittenPairs;

// Two correlated columns of scores with two decimals, stored as singles;
// none comes near 0, whose singles would need a finer unit than 2^31 of
// them can span.
WrittenPairs wholeNumberPairs(std::size_t n) {
    std::mt19937_64 random(20261210);
    std::normal_distribution<double> normal(0.0, 1.0);
    WrittenPairs pairs;
    for (std::size_t k = 0; k < n; ++k) {
        const double x = std::round((50.0 + 8.0 * normal(random)) * 100.0) / 100.0;
        const double y = std::round((0.6 * x + 25.0 + 6.0 * normal(random)) * 100.0) / 100.0;
        pairs.dblVar1.push_back(static_cast<float>(x));
        pairs.dblVar2.push_back(static_cast<float>(y));
    }
    return pairs;
}

// The scores in hundredths, as the sums take whole numbers, and each pair's
// rank in Var 1, Var 2 and D.
struct Units {
    std::vector<std::int32_t> units[2];
    std::vector<std::uint32_t> ranks[3];
};

Units hundredths(const WrittenPairs& pairs) {
    const std::size_t n = pairs.dblVar1.size();
    Units u;
    for (std::size_t k = 0; k < n; ++k) {
        u.units[0].push_back(static_cast<std::int32_t>(std::lround(pairs.dblVar1[k] * 100.0)));
        u.units[1].push_back(static_cast<std::int32_t>(std::lround(pairs.dblVar2[k] * 100.0)));
    }
    for (int j = 0; j < 3; ++j) {
        const auto unit = [&](std::size_t k) {
            return j < 2 ? u.units[j][k] : u.units[1][k] - u.units[0][k];
        };
        std::vector<std::uint32_t> order(n);
        std::iota(order.begin(), order.end(), 0u);
        std::stable_sort(order.begin(), order.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return unit(a) < unit(b); });
        u.ranks[j].resize(n);
        for (std::size_t r = 0; r < n; ++r) u.ranks[j][order[r]] = static_cast<std::uint32_t>(r);
    }
    return u;
}

// Values of either sign spread evenly over the decades 1e-6..1e6, Var 2
// within a fifth of Var 1 (so that D of singles stays narrow too); as
// singles, or as doubles of nine significant digits.
WrittenPairs wideRangePairs(std::size_t n, bool singles) {
    std::mt19937_64 random(20261211);
    std::uniform_real_distribution<double> decade(-6.0, 6.0);
    std::uniform_real_distribution<double> spread(-0.2, 0.2);
    WrittenPairs pairs;
    const auto kept = [&](double x) {
        if (singles) return static_cast<double>(static_cast<float>(x));
        char text[32];
        std::snprintf(text, sizeof text, "%.8e", x);
        return std::strtod(text, nullptr);
    };
    for (std::size_t k = 0; k < n; ++k) {
        const double x = (random() % 2 == 0 ? 1.0 : -1.0) * std::pow(10.0, decade(random));
        pairs.dblVar1.push_back(kept(x));
        pairs.dblVar2.push_back(kept(x * (1.0 + spread(random))));
    }
    return pairs;
}

// A few resamples' counts, n draws each, cycled through by the trials.
std::vector<std::vector<std::uint32_t>> resampleCounts(std::size_t n) {
    std::mt19937_64 random(7);
    std::vector<std::vector<std::uint32_t>> all(4, std::vector<std::uint32_t>(n, 0u));
    for (auto& counts : all)
        for (std::size_t m = 0; m < n; ++m) ++counts[random() % n];
    return all;
}

void setCounters(benchmark::State& state, std::size_t n) {
    state.counters["per_pair"] =
        benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}

// Args: build (0 plain, 1 AVX2, 2 AVX-512, 3 the trials' own), nPairs.
void BM_CountSums(benchmark::State& state) {
    using velmora::count_sums_builds::Build;
    const int which = static_cast<int>(state.range(0));
    const auto n = static_cast<std::size_t>(state.range(1));
    const Build builds[] = {Build::Plain, Build::Avx2, Build::Avx512,
                            velmora::count_sums_builds::chosen()};
    const Build build = builds[which];
    if (!velmora::count_sums_builds::runs(build)) {
        state.SkipWithError("the processor lacks this build");
        return;
    }
    const Units u = hundredths(wholeNumberPairs(n));
    const auto counts = resampleCounts(n);
    const auto g = static_cast<std::uint32_t>(n / 5);
    const auto top = static_cast<std::uint32_t>(n - 1 - g);
    const velmora::CountColumns columns{u.units[0].data(),
                                        u.units[1].data(),
                                        {u.ranks[0].data(), u.ranks[1].data(), u.ranks[2].data()},
                                        {g, g, g},
                                        {top, top, top}};
    std::size_t t = 0;
    for (auto _ : state) {
        auto sums = velmora::count_sums_builds::countSums(build, counts[t++ % counts.size()].data(),
                                                          columns, n);
        benchmark::DoNotOptimize(sums);
    }
    setCounters(state, n);
    static const char* const names[] = {"plain", "avx2", "avx512", "auto"};
    state.SetLabel(names[which]);
}

void trials(benchmark::State& state, const WrittenPairs& pairs, bool wholeNumbers) {
    const PairedColumns columns(pairs);
    if (columns.fixedPoint().has_value() != wholeNumbers) {
        state.SkipWithError("the data do not take the sums meant");
        return;
    }
    PairedTrialStatistics statistics(columns);
    const auto counts = resampleCounts(pairs.dblVar1.size());
    std::size_t t = 0;
    for (auto _ : state) {
        auto moments = statistics.moments(counts[t++ % counts.size()]);
        benchmark::DoNotOptimize(moments);
    }
    setCounters(state, pairs.dblVar1.size());
}

// Args: nPairs.
void BM_WholeNumberTrial(benchmark::State& state) {
    trials(state, wholeNumberPairs(static_cast<std::size_t>(state.range(0))), true);
}

// Args: width (0 narrow: singles, 1 wide: doubles), nPairs.
void BM_RankWalkTrial(benchmark::State& state) {
    const bool singles = state.range(0) == 0;
    const WrittenPairs pairs = wideRangePairs(static_cast<std::size_t>(state.range(1)), singles);
    const PairedColumns probe(pairs);
    for (auto c : {velmora::PairedColumn::Var1, velmora::PairedColumn::Var2,
                   velmora::PairedColumn::Difference})
        if (probe.column(c).narrow != singles) {
            state.SkipWithError("a column does not take the width meant");
            return;
        }
    trials(state, pairs, false);
    state.SetLabel(singles ? "narrow" : "wide");
}

}  // namespace

BENCHMARK(BM_CountSums)->ArgsProduct({{0, 1, 2, 3}, {10000, 1000000}});
BENCHMARK(BM_WholeNumberTrial)->Arg(10000)->Arg(1000000);
BENCHMARK(BM_RankWalkTrial)->ArgsProduct({{0, 1}, {10000, 1000000}});
