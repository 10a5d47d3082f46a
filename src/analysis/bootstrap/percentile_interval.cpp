#include "analysis/bootstrap/percentile_interval.h"

#include <algorithm>
#include <cmath>

#include "runtime/rounding.h"

namespace velmora {

std::int32_t PercentileCut(double share, std::int32_t count, PositionRule rule) {
    const double aL = share * static_cast<double>(count);
    const double q = rule == PositionRule::Truncate ? std::trunc(aL) : roundHalfEven(aL, 0);
    return static_cast<std::int32_t>(q);
}

PercentilePositions PercentilePositionsFor(std::int32_t count, float sngConfidenceLevel,
                                           PositionRule rule) {
    const double a = (1.0 - static_cast<double>(sngConfidenceLevel)) / 2.0;
    const std::int32_t cut = PercentileCut(a, count, rule);
    return PercentilePositions{cut + 1, count - cut};
}

PercentileInterval ReadPercentileInterval(std::span<float> values, float sngConfidenceLevel,
                                          PositionRule rule) {
    if (values.empty()) return PercentileInterval{NOT_COMPUTABLE, NOT_COMPUTABLE};
    std::stable_sort(values.begin(), values.end());
    const auto count = static_cast<std::int32_t>(values.size());
    const PercentilePositions at = PercentilePositionsFor(count, sngConfidenceLevel, rule);
    // The three levels always give positions inside the list; the clamp only
    // keeps a level outside (0, 1) from reading beyond it.
    const auto element = [&](std::int32_t position) {
        return values[static_cast<std::size_t>(std::clamp(position, 1, count) - 1)];
    };
    return PercentileInterval{element(at.lower), element(at.upper)};
}

}  // namespace velmora
