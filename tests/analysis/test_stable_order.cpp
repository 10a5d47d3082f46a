#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <span>
#include <vector>

#include "analysis/stable_order.h"

namespace velmora {
namespace {

// What a stable comparison sort gives, the permutation the ranks must be.
template <typename Real>
std::vector<std::uint32_t> stableSorted(const std::vector<Real>& values) {
    std::vector<std::uint32_t> order(values.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return values[a] < values[b]; });
    return order;
}

TEST(StableAscendingOrder, IsTheStableSortsPermutation) {
    const double tiny = std::numeric_limits<double>::denorm_min();
    const double huge = std::numeric_limits<double>::max();
    std::vector<std::vector<double>> cases = {
        {},
        {7.0},
        {2.0, 1.0, 2.0, 1.0, 2.0},
        {0.0, -0.0, 0.0, -0.0, -tiny, tiny},
        {-1.5, 3.0, -1e300, 1e-300, -huge, huge, -3.0, 0.0},
    };
    std::mt19937_64 random(11);
    for (int k = 0; k < 6; ++k) {
        // Singles of few distinct values (many ties) and doubles of any binade.
        std::vector<double> values(k < 3 ? 5000 : 70000);
        for (double& v : values) {
            if (k % 2 == 0)
                v = static_cast<float>(std::round(std::normal_distribution<>(0, 20)(random)) / 4);
            else
                v = std::ldexp(std::uniform_real_distribution<>(-1, 1)(random),
                               static_cast<int>(random() % 200) - 100);
        }
        cases.push_back(values);
    }
    for (const auto& values : cases) {
        SCOPED_TRACE(values.size());
        EXPECT_EQ(StableAscendingOrder(values), stableSorted(values));
        // The same values as singles, where they stay finite (ties appear).
        const std::vector<float> singles(values.begin(), values.end());
        if (std::ranges::all_of(singles, [](float x) { return std::isfinite(x); })) {
            EXPECT_EQ(StableAscendingOrder(std::span<const float>(singles)), stableSorted(singles));
        }
    }
}

}  // namespace
}  // namespace velmora
