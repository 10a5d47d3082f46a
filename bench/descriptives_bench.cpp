#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <random>

#include "analysis/descriptives/descriptives.h"

// The Descriptives of one variable of 10,000,000 cases: scores with two
// decimals, mean about 50 and SD about 10. Its single-precision running sum
// passes 2^29, where adding a value near 50 rounds to a multiple of 32, so
// single precision prints a mean and SD well off; auto and double print the
// accurate ones. Counters: the printed mean and SD, and the time per case.

namespace {

using velmora::Arithmetic;

const velmora::DataSet& tenMillionCases() {
    static const velmora::DataSet data = [] {
        constexpr std::int32_t kCases = 10000000;
        velmora::DataSet d;
        d.g_lngNumCases = kCases;
        d.g_lngNumVariables = 1;
        d.g_sngData = velmora::DataMatrix(kCases);
        float* cells = d.g_sngData.column(1);
        std::mt19937_64 rng(20261208);
        std::normal_distribution<double> normal(50.0, 10.0);
        for (std::int32_t k = 1; k <= kCases; ++k)
            cells[k] = static_cast<float>(std::round(normal(rng) * 100.0) / 100.0);
        return d;
    }();
    return data;
}

void BM_Descriptives(benchmark::State& state) {
    const velmora::DataSet& data = tenMillionCases();
    const Arithmetic arithmetic[] = {Arithmetic::Single, Arithmetic::Auto, Arithmetic::Double};
    const Arithmetic chosen = arithmetic[state.range(0)];
    std::optional<velmora::DescriptiveRow> row;
    for (auto _ : state) {
        row = velmora::ComputeDescriptiveRow(data, 1, chosen);
        benchmark::DoNotOptimize(row);
    }
    state.counters["mean"] = row && row->dblMean ? *row->dblMean : NAN;
    state.counters["sd"] = row && row->dblSD ? *row->dblSD : NAN;
    state.counters["per_case"] = benchmark::Counter(
        static_cast<double>(data.g_lngNumCases),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.SetLabel(chosen == Arithmetic::Single ? "single"
                   : chosen == Arithmetic::Auto ? "auto"
                                                : "double");
}

}  // namespace

BENCHMARK(BM_Descriptives)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
