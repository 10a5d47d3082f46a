#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "analysis/paired/paired_columns.h"
#include "analysis/paired/paired_estimates.h"
#include "analysis/resampling/paired_sample.h"

namespace velmora {

// Columns whose trials and jackknife keep the rank walk even where the values
// are whole numbers of one unit, so that tests can hold the two ways to the
// same figures.
struct RankWalkColumns {
    static PairedColumns of(const WrittenPairs& pairs) {
        return PairedColumns(pairs, PairedColumns::Sums::RankWalk);
    }
};

}  // namespace velmora

namespace velmora::testing {

inline WrittenPairs pairsOf(std::vector<double> var1, std::vector<double> var2) {
    return WrittenPairs{std::move(var1), std::move(var2)};
}

// Within `relative` of `want` (absolute below 1), or both not computable.
inline void expectClose(const std::optional<double>& got, const std::optional<double>& want,
                        const std::string& where, double relative = 1e-13) {
    ASSERT_EQ(got.has_value(), want.has_value()) << where;
    if (!want) return;
    EXPECT_NEAR(*got, *want, relative * std::max(1.0, std::abs(*want))) << where;
}

}  // namespace velmora::testing
