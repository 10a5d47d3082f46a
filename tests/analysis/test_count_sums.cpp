// Every build of the paired trials' sums that this processor runs must give
// the exact sums, worked out here in 128 bits: lengths that leave every tail
// a vector can leave, units and counts at their limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "analysis/count_sums.h"
#include "analysis/count_sums_builds.h"
#include "analysis/exact_sums.h"

namespace velmora {
namespace {

constexpr std::int32_t kTop = 2147483647;  // 2^31 - 1

struct Pairs {
    std::vector<std::int32_t> units1, units2;
    std::vector<std::uint32_t> counts;
    std::vector<std::uint32_t> ranks[3];
    std::uint32_t lowRank[3];
    std::uint32_t highRank[3];
};

// n pairs of units anywhere their D still fits, counts 0..4, the ranks a
// shuffle, kept stretches of random ends (empty ones included).
Pairs randomPairs(std::size_t n, std::mt19937& random) {
    Pairs p;
    std::uniform_int_distribution<std::int32_t> any(-kTop, kTop);
    for (std::size_t k = 0; k < n; ++k) {
        const std::int32_t u1 = any(random);
        const std::int64_t from = std::max<std::int64_t>(-kTop, std::int64_t{u1} - kTop);
        const std::int64_t to = std::min<std::int64_t>(kTop, std::int64_t{u1} + kTop);
        p.units1.push_back(u1);
        p.units2.push_back(static_cast<std::int32_t>(
            std::uniform_int_distribution<std::int64_t>(from, to)(random)));
        p.counts.push_back(random() % 5);
    }
    for (int j = 0; j < 3; ++j) {
        p.ranks[j].resize(n);
        std::iota(p.ranks[j].begin(), p.ranks[j].end(), 0u);
        std::shuffle(p.ranks[j].begin(), p.ranks[j].end(), random);
        p.lowRank[j] = static_cast<std::uint32_t>(random() % (n + 1));
        p.highRank[j] = static_cast<std::uint32_t>(random() % (n + 2));
    }
    return p;
}

// The largest units of either sign with the largest D, and nearly every one
// of 2^31 - 1 draws on one of them, the rest on pairs past the first vector.
Pairs limitPairs() {
    Pairs p;
    p.units1 = {kTop, -kTop, 0, 0, -1, 1, kTop, 5, -kTop, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7};
    p.units2 = {0, 0, kTop, -kTop, kTop - 1, -kTop + 1, kTop, 5, -1, -3,
                0, 0, 0,    0,     0,        0,         0,    0, 0,  1};
    const std::size_t n = p.units1.size();
    p.counts.assign(n, 0u);
    p.counts[0] = kTop - 20;
    p.counts[3] = 12;
    p.counts[17] = 5;
    p.counts[19] = 3;
    for (int j = 0; j < 3; ++j) {
        p.ranks[j].resize(n);
        std::iota(p.ranks[j].begin(), p.ranks[j].end(), 0u);
        p.lowRank[j] = 0;
        p.highRank[j] = static_cast<std::uint32_t>(n);
    }
    p.lowRank[2] = 2;  // D keeps all but its first three pairs
    return p;
}

void expectExact(const Pairs& p, const PairCountSums& sums) {
    for (int j = 0; j < 3; ++j) {
        SCOPED_TRACE(testing::Message() << "column " << j);
        Int128 sum = 0, keptSum = 0;
        Uint128 squares = 0, keptSquares = 0;
        for (std::size_t k = 0; k < p.counts.size(); ++k) {
            const Int128 unit = j == 0   ? Int128{p.units1[k]}
                                : j == 1 ? Int128{p.units2[k]}
                                         : Int128{p.units2[k]} - p.units1[k];
            const bool kept = p.ranks[j][k] > p.lowRank[j] && p.ranks[j][k] < p.highRank[j];
            sum += unit * p.counts[k];
            squares += static_cast<Uint128>(unit * unit) * p.counts[k];
            if (kept) {
                keptSum += unit * p.counts[k];
                keptSquares += static_cast<Uint128>(unit * unit) * p.counts[k];
            }
        }
        const CountSums& s = sums[j];
        EXPECT_TRUE(Int128{s.sum} == sum);
        EXPECT_TRUE(Uint128{s.squaresLow} + (Uint128{s.squaresHigh} << 32) == squares);
        EXPECT_TRUE(Int128{s.keptSum} == keptSum);
        EXPECT_TRUE(Uint128{s.keptLow} + (Uint128{s.keptHigh} << 32) == keptSquares);
    }
}

void expectEveryBuildExact(const Pairs& p) {
    const CountColumns columns{p.units1.data(),
                               p.units2.data(),
                               {p.ranks[0].data(), p.ranks[1].data(), p.ranks[2].data()},
                               {p.lowRank[0], p.lowRank[1], p.lowRank[2]},
                               {p.highRank[0], p.highRank[1], p.highRank[2]}};
    using count_sums_builds::Build;
    for (Build build : {Build::Plain, Build::Avx2, Build::Avx512}) {
        if (!count_sums_builds::runs(build)) continue;
        SCOPED_TRACE(testing::Message() << "build " << static_cast<int>(build));
        expectExact(p,
                    count_sums_builds::countSums(build, p.counts.data(), columns, p.counts.size()));
    }
    expectExact(p, countSums(p.counts.data(), columns, p.counts.size()));
}

TEST(CountSums, EveryBuildGivesTheExactSums) {
    std::mt19937 random(34);
    for (std::size_t n = 0; n <= 40; ++n) {
        SCOPED_TRACE(testing::Message() << n << " pairs");
        expectEveryBuildExact(randomPairs(n, random));
    }
    SCOPED_TRACE("units and counts at their limits");
    expectEveryBuildExact(limitPairs());
}

}  // namespace
}  // namespace velmora
