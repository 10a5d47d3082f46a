#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "analysis/bootstrap/percentile_interval.h"

namespace velmora {

// The standard normal distribution function Phi, to a few units in the last
// place (from std::erfc, which keeps the relative precision of both tails).
double NormalCdf(double x);
// Its inverse: minus infinity at 0, infinity at 1, NaN outside [0, 1]. A
// rational first guess refined by a Halley step on NormalCdf, so that
// NormalCdf(NormalQuantile(p)) is p to a few units in the last place; p
// above one half is taken from the lower tail, -NormalQuantile(1 - p).
double NormalQuantile(double p);

// The limits of one estimator's interval; both empty when it is not computable.
struct PairedInterval {
    std::optional<double> lower;
    std::optional<double> upper;
    friend bool operator==(const PairedInterval&, const PairedInterval&) = default;
};

// The percentile interval of values in ascending order, by the positions of
// PercentilePositionsFor; empty for no values.
PairedInterval ReadPairedPercentileInterval(std::span<const double> sorted,
                                            float sngConfidenceLevel, PositionRule rule);

// The bias correction z0 = Phi^-1(share of the values below `observed`,
// an equal value counted as one half): infinite when none or all are below.
// `sorted` ascending, not empty.
double BiasCorrection(std::span<const double> sorted, double observed);

// The BCa positions among `count` ascending values: with a = (1 - level) / 2
// (in double from the single level) and z = Phi^-1(a), the lower tail share
// alpha1 = Phi(z0 + (z0 + z) / (1 - acc (z0 + z))) and the upper tail share
// 1 - alpha2 = Phi(-(z0 + (z0 - z) / (1 - acc (z0 - z)))), each times count
// reduced by the rule to the cut q of its tail: positions q1 + 1 and count -
// q2, each kept within 1..count. Empty when z0 or acc is not finite, or when
// 1 - acc (z0 +- z) is not > 0 (the adjusted share would then fold back and
// no longer grow with the nominal one). count >= 1.
std::optional<PercentilePositions> BcaPositionsFor(std::int32_t count, double z0,
                                                   double acceleration, float sngConfidenceLevel,
                                                   PositionRule rule);

// The BCa interval of values in ascending order: the values at
// BcaPositionsFor(count, BiasCorrection(sorted, observed), acceleration).
// Empty for no values, or without an observed estimate or an acceleration.
PairedInterval ReadBcaInterval(std::span<const double> sorted, std::optional<double> observed,
                               std::optional<double> acceleration, float sngConfidenceLevel,
                               PositionRule rule);

}  // namespace velmora
