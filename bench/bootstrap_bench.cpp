#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/bootstrap/bootstrap_engine.h"
#include "analysis/paired/paired_trials.h"
#include "analysis/running_sum.h"
#include "literal_bootstrap.h"
#include "runtime/random_stream.h"

// The whole bootstrap of one analysis (observed pass, 2000 trials, intervals)
// on nPairs complete pairs, by the engine and by the literal reference that
// copies and sorts every trial. "per_pair" is the wall time per drawn pair
// (trials x nPairs draws per run); the engine runs with 1 and 2 threads, in
// single precision and with the accurate statistics ("double": exact sums).

namespace {

using velmora::AnalysisOptions;
using velmora::PairedSample;

constexpr std::int32_t kTrials = 2000;

// Two correlated columns of values with two decimals (so there are ties), a
// few missing cells in each, from a fixed seed.
PairedSample makeSample(std::int32_t nPairs) {
    velmora::DefaultRandomStream random(12345);
    const auto normal = [&] {
        const double u1 = 1.0 - random.nextSingle();
        const double u2 = random.nextSingle();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    };
    PairedSample sample;
    const std::int32_t extra = nPairs / 50 + 1;  // cases missing one of the two values
    for (std::int32_t i = 0; i < nPairs + 2 * extra; ++i) {
        const double x = 50.0 + 10.0 * normal();
        const double y = 0.6 * x + 25.0 + 8.0 * normal();
        float a = static_cast<float>(std::round(x * 100.0) / 100.0);
        float b = static_cast<float>(std::round(y * 100.0) / 100.0);
        if (i % 53 == 7 && i / 53 < 2 * extra) (i % 2 == 0 ? a : b) = velmora::MISSING_VALUE;
        sample.sngVar1.push_back(a);
        sample.sngVar2.push_back(b);
    }
    // Keep exactly nPairs complete pairs.
    std::int32_t complete = 0;
    std::size_t r = 0;
    for (; r < sample.sngVar1.size() && complete < nPairs; ++r)
        if (!velmora::isMissing(sample.sngVar1[r]) && !velmora::isMissing(sample.sngVar2[r]))
            ++complete;
    sample.sngVar1.resize(r);
    sample.sngVar2.resize(r);
    for (std::size_t k = 0; k < r; ++k) {
        const bool has1 = !velmora::isMissing(sample.sngVar1[k]);
        const bool has2 = !velmora::isMissing(sample.sngVar2[k]);
        sample.n1 += has1 ? 1 : 0;
        sample.n2 += has2 ? 1 : 0;
        sample.nPairs += has1 && has2 ? 1 : 0;
    }
    return sample;
}

AnalysisOptions options() {
    AnalysisOptions o;
    o.lngVar1 = 1;
    o.lngVar2 = 2;
    o.lngTrials = kTrials;
    o.sngConfidenceLevel = 0.95f;
    o.lngNonpooledSdVar = 1;
    return o;
}

void setCounters(benchmark::State& state, std::int32_t nPairs) {
    const double draws = static_cast<double>(kTrials) * static_cast<double>(nPairs);
    state.counters["per_pair"] = benchmark::Counter(
        draws, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["nPairs"] = nPairs;
}

// Args: nPairs, threads, accurate (0/1) and, for BM_EnginePaired, the paired
// part (0/1): the same run with the paired d family from the same draws.
void engineRun(benchmark::State& state, bool paired) {
    const auto nPairs = static_cast<std::int32_t>(state.range(0));
    const PairedSample sample = makeSample(nPairs);
    velmora::BootstrapHooks hooks;
    hooks.threads = static_cast<int>(state.range(1));
    const bool accurate = state.range(2) != 0;
    const auto arithmetic = accurate ? velmora::Arithmetic::Double : velmora::Arithmetic::Single;
    for (auto _ : state) {
        std::optional<velmora::PairedTrials> family;
        if (paired) hooks.consumer = &family.emplace(options());
        velmora::DefaultRandomStream random(7);
        velmora::BootstrapResult result =
            velmora::RunBootstrap(sample, options(), random, hooks, arithmetic);
        benchmark::DoNotOptimize(result);
    }
    setCounters(state, nPairs);
    state.counters["threads"] = hooks.threads;
    state.SetLabel(std::string(accurate ? "double" : "single") + (paired ? " paired" : ""));
}

void BM_Engine(benchmark::State& state) {
    engineRun(state, false);
}

// Without and with the paired part side by side, at the size of its goal.
void BM_EnginePaired(benchmark::State& state) {
    engineRun(state, state.range(3) != 0);
}

void BM_LiteralEngine(benchmark::State& state) {
    const auto nPairs = static_cast<std::int32_t>(state.range(0));
    const PairedSample sample = makeSample(nPairs);
    for (auto _ : state) {
        velmora::DefaultRandomStream random(7);
        velmora::testing::LiteralRun run =
            velmora::testing::RunLiteralBootstrap(sample, options(), random);
        benchmark::DoNotOptimize(run);
    }
    setCounters(state, nPairs);
}

// The floor: what no thread count removes. The stream is read on one thread,
// so its singles bound the whole run; each trial's running sums (S and Q of
// both columns over all values, T and U over the kept 60%) are chains of
// dependent additions, so one trial alone cannot go faster than they do.
void BM_FloorDraws(benchmark::State& state) {
    const auto nPairs = static_cast<std::size_t>(state.range(0));
    std::vector<float> singles(nPairs);
    velmora::DefaultRandomStream random(7);
    for (auto _ : state) {
        for (int t = 0; t < kTrials; ++t) random.nextSingles(singles.data(), nPairs);
        benchmark::DoNotOptimize(singles.data());
    }
    setCounters(state, static_cast<std::int32_t>(nPairs));
}

void BM_FloorRunningSums(benchmark::State& state) {
    const auto nPairs = static_cast<std::size_t>(state.range(0));
    const PairedSample sample = makeSample(static_cast<std::int32_t>(nPairs));
    const std::size_t kept = nPairs - 2 * (nPairs / 5);
    for (auto _ : state) {
        for (int t = 0; t < kTrials; ++t) {
            float s1 = 0, q1 = 0, s2 = 0, q2 = 0;
            for (std::size_t m = 0; m < nPairs; ++m) {
                s1 += sample.sngVar1[m];
                q1 = velmora::addSquareToSingleSum(q1, sample.sngVar1[m]);
                s2 += sample.sngVar2[m];
                q2 = velmora::addSquareToSingleSum(q2, sample.sngVar2[m]);
            }
            for (std::size_t m = 0; m < kept; ++m) {
                s1 += sample.sngVar1[m];
                q1 = velmora::addSquareToSingleSum(q1, sample.sngVar1[m]);
                s2 += sample.sngVar2[m];
                q2 = velmora::addSquareToSingleSum(q2, sample.sngVar2[m]);
            }
            benchmark::DoNotOptimize(s1 + q1 + s2 + q2);
        }
    }
    setCounters(state, static_cast<std::int32_t>(nPairs));
}

}  // namespace

BENCHMARK(BM_FloorDraws)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorRunningSums)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Engine)
    ->ArgsProduct({{100, 10000}, {1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Engine)
    ->ArgsProduct({{1000000}, {1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK(BM_EnginePaired)
    ->ArgsProduct({{10000}, {1, 2}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_LiteralEngine)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);
// One run at a million pairs sorts two million-value columns 2000 times.
BENCHMARK(BM_LiteralEngine)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
