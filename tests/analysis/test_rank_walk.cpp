// The walk over a trial's ranks from its draw counts, and the split it walks:
// expected figures laid out by hand from the sorted trial.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "analysis/resampling/rank_walk.h"
#include "analysis/resampling/ranked_column.h"

namespace velmora {
namespace {

TEST(RankedColumn, SplitKeepsOrPacksTheMantissasOfTheSameValues) {
    const std::vector<double> values{3.0, 1.5};
    const RankedColumn<double> ranked = RankColumn<double>(values);
    EXPECT_EQ(ranked.order, (std::vector<std::uint32_t>{1, 0}));
    EXPECT_EQ(ranked.sorted, (std::vector<double>{1.5, 3.0}));
    // value = mantissa * 2^(binade - 150); a double's binade is its biased
    // exponent less 925, its mantissa the 53 bits with the leading one.
    const std::int64_t m = std::int64_t{3} << 51;
    const ColumnParts<double> stored =
        SplitColumn<double>(ranked.sorted, MantissaPacking::AsStored);
    EXPECT_FALSE(stored.narrow);
    EXPECT_EQ(stored.mantissas, (std::vector<std::int64_t>{m, m}));
    ASSERT_EQ(stored.runs.size(), 3u);
    EXPECT_EQ(stored.runs[0].binade, 1023 - 925);
    EXPECT_EQ(stored.runs[1].binade, 1024 - 925);
    EXPECT_EQ(stored.runs[1].firstRank, 1u);
    EXPECT_EQ(stored.runs[2].firstRank, 2u);  // the end mark
    // Both end in 51 zero bits: 3 * 2^-1 and 3 * 2^0.
    const ColumnParts<double> packed =
        SplitColumn<double>(ranked.sorted, MantissaPacking::Narrowest);
    EXPECT_TRUE(packed.narrow);
    EXPECT_EQ(packed.mantissas, (std::vector<std::int64_t>{3, 3}));
    EXPECT_EQ(packed.runs[0].binade, 149);
    EXPECT_EQ(packed.runs[1].binade, 150);
}

// The sums of all positions and of the kept ones, as doubles (exact here);
// the counts add up to the number of values, as a trial's draws do.
struct Walked {
    double all = 0.0;
    double kept = 0.0;
    double allSquares = 0.0;
    KeptEnds<double> ends;
};

Walked walk(const std::vector<double>& values, const std::vector<std::uint32_t>& counts) {
    const RankedColumn<double> ranked = RankColumn<double>(values);
    const ColumnParts<double> parts = SplitColumn<double>(ranked.sorted, MantissaPacking::AsStored);
    Walked w;
    w.ends = WalkRanks<RunSums<double>>(
        ranked, parts, [&](std::uint32_t k) -> std::size_t { return counts[k]; },
        [&](int binade, const RunSums<double>& s, bool kept) {
            const double sum = std::ldexp(static_cast<double>(s.sum), binade - 150);
            w.all += sum;
            if (kept) w.kept += sum;
            w.allSquares +=
                std::ldexp(static_cast<double>(s.squares.low), 2 * (binade - 150)) +
                std::ldexp(static_cast<double>(s.squares.high), 2 * (binade - 150) + 64);
        });
    return w;
}

TEST(RankWalk, CountsLayOutTheSortedTrialAndPlaceTheKeptStretch) {
    const struct {
        const char* name;
        std::vector<double> values;
        std::vector<std::uint32_t> counts;
        double all, kept, allSquares, low, high;
    } cases[] = {
        // Trial 2 2 2 5 5, one trimmed from each end: kept 2 2 5.
        {"ends inside repeated ranks", {1, 2, 3, 4, 5}, {0, 3, 0, 0, 2}, 16, 9, 62, 2, 5},
        // Trial -4 -4 0.5 0.5 0.5 8, n = 6: one trimmed each end, kept -4 0.5 0.5 0.5.
        {"negatives and binades",
         {0.5, 8, -4, 1, 2, 6},
         {3, 1, 2, 0, 0, 0},
         1.5,
         -2.5,
         96.75,
         -4,
         0.5},
        // Two pairs trim nothing: the ends count 0 times and stay 0.
        {"nothing trimmed", {7, 3}, {2, 0}, 14, 14, 98, 7, 0},
        // The last kept position falls on the nearest drawn rank below an undrawn one.
        {"high end below undrawn ranks", {1, 2, 3, 4, 5}, {2, 0, 2, 0, 1}, 13, 7, 45, 1, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Walked w = walk(c.values, c.counts);
        EXPECT_EQ(w.all, c.all);
        EXPECT_EQ(w.kept, c.kept);
        EXPECT_EQ(w.allSquares, c.allSquares);
        EXPECT_EQ(w.ends.low, c.low);
        EXPECT_EQ(w.ends.high, c.high);
    }
}

}  // namespace
}  // namespace velmora
