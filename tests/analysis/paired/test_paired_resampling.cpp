#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "analysis/paired/paired_columns.h"
#include "analysis/paired/paired_jackknife.h"
#include "paired_test_support.h"

// A trial from draw counts and a jackknife value by subtraction must be the
// family of the resampled or reduced pairs themselves, bit for bit: both are
// exact sums rounded once.

namespace velmora {
namespace {

using testing::pairsOf;

struct Data {
    const char* name;
    WrittenPairs pairs;
};

// Ties, zeros, negative values, trimming counts of 1 and 2, and doubles as
// written near a million.
std::vector<Data> dataSets() {
    std::vector<Data> sets;
    sets.push_back({"SevenPairs", pairsOf({3, 1, 4, 1, 5, 9, 2}, {2, 7, 1, 8, 2, 8, 1})});
    sets.push_back({"TenPairsWithTies",
                    pairsOf({0, 1, 1, 2, 2, 2, 3, 3, 4, 0}, {1, 1, 2, 2, 3, 3, 3, 4, 4, 0})});
    sets.push_back({"ElevenSignedPairs",
                    pairsOf({-2.5, 0.0, 1.25, -0.75, 3.5, 2.0, -1.0, 0.5, 4.25, -3.0, 1.0},
                            {-1.0, 0.5, 1.25, 0.0, 2.75, 4.0, -2.5, 1.5, 3.0, -1.75, 2.0})});
    sets.push_back({"NearAMillion",
                    pairsOf({1000000.1, 1000000.3, 1000000.2, 1000000.6, 1000000.4, 999999.9,
                             1000000.3, 1000000.8, 1000000.0, 1000000.5, 1000000.2, 1000000.7},
                            {1000000.4, 1000000.5, 1000000.9, 1000000.7, 1000000.1, 1000000.0,
                             1000000.6, 1000001.2, 999999.8, 1000000.3, 1000000.2, 1000000.9})});
    return sets;
}

WrittenPairs pick(const WrittenPairs& pairs, const std::vector<std::uint32_t>& which) {
    WrittenPairs out;
    for (std::uint32_t k : which) {
        out.dblVar1.push_back(pairs.dblVar1[k]);
        out.dblVar2.push_back(pairs.dblVar2[k]);
    }
    return out;
}

TEST(PairedResampling, TrialFromDrawCountsIsTheDrawnSampleRecomputed) {
    std::mt19937 random(20240523);
    for (const Data& data : dataSets()) {
        const PairedColumns columns(data.pairs);
        PairedTrialStatistics trials(columns);
        const auto n = static_cast<std::uint32_t>(columns.size());
        for (int t = 0; t < 300; ++t) {
            std::vector<std::uint32_t> drawn(n);
            // Every 50th trial draws from two pairs only: long runs of one
            // rank across the ends of the kept stretch, and r = 1 or -1.
            const std::uint32_t from = t % 50 == 0 ? 2 : n;
            for (std::uint32_t& k : drawn) k = random() % from + (from == 2 ? t % (n - 1) : 0);
            const std::string where = std::string(data.name) + " trial " + std::to_string(t);
            for (std::int32_t sdVar : {1, 2})
                EXPECT_EQ(trials.compute(drawn.data(), sdVar),
                          ComputePairedObserved(PairedColumns(pick(data.pairs, drawn)), sdVar).d)
                    << where << " sd " << sdVar;
        }
    }
}

TEST(PairedResampling, JackknifeIsTheFamilyOfTheOtherPairs) {
    for (const Data& data : dataSets()) {
        const PairedColumns columns(data.pairs);
        const std::size_t n = columns.size();
        std::vector<PairedEstimates> recomputed;
        for (std::size_t out = 0; out < n; ++out) {
            std::vector<std::uint32_t> others;
            for (std::uint32_t k = 0; k < n; ++k)
                if (k != out) others.push_back(k);
            recomputed.push_back(
                ComputePairedObserved(PairedColumns(pick(data.pairs, others)), 2).d);
        }
        std::size_t visited = 0;
        ForEachLeaveOneOut(columns, 2, [&](std::size_t k, const PairedEstimates& t) {
            EXPECT_EQ(k, visited++) << data.name;
            EXPECT_EQ(t, recomputed[k]) << data.name << " without pair " << k;
        });
        EXPECT_EQ(visited, n) << data.name;

        // The acceleration by its definition, two passes over the recomputed values.
        const PairedEstimates a = PairedAccelerations(columns, 2);
        for (std::size_t e = 0; e < a.size(); ++e) {
            const std::string where = std::string(data.name) + " effect " + std::to_string(e);
            double mean = 0.0;
            for (const PairedEstimates& t : recomputed) mean += t[e].value() / n;
            double second = 0.0;
            double third = 0.0;
            for (const PairedEstimates& t : recomputed) {
                const double dev = mean - t[e].value();
                second += dev * dev;
                third += dev * dev * dev;
            }
            ASSERT_TRUE(a[e].has_value()) << where;
            EXPECT_NEAR(*a[e], third / (6.0 * std::pow(second, 1.5)), 1e-12) << where;
        }
    }
}

TEST(PairedResampling, AccelerationNeedsThreePairsAndComputableJackknifeValues) {
    // Two pairs leave one value each; with Var 1 constant apart from one
    // pair, leaving that pair out leaves Var 1 without spread, so d_b (SD of
    // Var 1) has a jackknife value that is not computable.
    const PairedEstimates two = PairedAccelerations(PairedColumns(pairsOf({1, 2}, {3, 7})), 1);
    for (const auto& a : two) EXPECT_FALSE(a.has_value());
    const PairedEstimates oneOff =
        PairedAccelerations(PairedColumns(pairsOf({5, 5, 5, 5, 6}, {1, 3, 2, 5, 4})), 1);
    EXPECT_FALSE(estimateOf(oneOff, PairedEffect::Db).has_value());
    EXPECT_TRUE(estimateOf(oneOff, PairedEffect::Dav).has_value());
}

}  // namespace
}  // namespace velmora
