#include "analysis/paired/bca_interval.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace velmora {

namespace {

// Below this probability the approximation's tail form serves, above it the
// central form: the split point of Acklam's approximation, where the two
// rational functions meet within its error bound.
constexpr double kLowTailSplit = 0.02425;

// Acklam's rational approximation of the lower half (relative error below
// 1.2e-9): the first guess the Halley steps refine.
double quantileGuess(double p) {
    static constexpr double a[] = {-3.969683028665376e+01, 2.209460984245205e+02,
                                   -2.759285104469687e+02, 1.383577518672690e+02,
                                   -3.066479806614716e+01, 2.506628277459239e+00};
    static constexpr double b[] = {-5.447609879822406e+01, 1.615858368580409e+02,
                                   -1.556989798598866e+02, 6.680131188771972e+01,
                                   -1.328068155288572e+01};
    static constexpr double c[] = {-7.784894002430293e-03, -3.223964580411365e-01,
                                   -2.400758277161838e+00, -2.549732539343734e+00,
                                   4.374664141464968e+00,  2.938163982698783e+00};
    static constexpr double d[] = {7.784695709041462e-03, 3.224671290700398e-01,
                                   2.445134137142996e+00, 3.754408661907416e+00};
    if (p < kLowTailSplit) {
        const double q = std::sqrt(-2.0 * std::log(p));
        return (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
               ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1.0);
    }
    const double q = p - 0.5;
    const double r = q * q;
    return (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
           (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1.0);
}

double valueAt(std::span<const double> sorted, std::int32_t position) {
    const auto count = static_cast<std::int32_t>(sorted.size());
    return sorted[static_cast<std::size_t>(std::clamp(position, 1, count) - 1)];
}

}  // namespace

double NormalCdf(double x) {
    return 0.5 * std::erfc(-x / std::numbers::sqrt2);
}

double NormalQuantile(double p) {
    if (!(p >= 0.0 && p <= 1.0)) return std::numeric_limits<double>::quiet_NaN();
    if (p == 0.0) return -std::numeric_limits<double>::infinity();
    if (p == 1.0) return std::numeric_limits<double>::infinity();
    if (p > 0.5) return -NormalQuantile(1.0 - p);  // 1 - p is exact there
    double x = quantileGuess(p);
    // A Halley step triples the correct digits: one takes 1e-9 below the last place.
    const double e = NormalCdf(x) - p;
    const double u = e * std::sqrt(2.0 * std::numbers::pi) * std::exp(x * x / 2.0);
    return x - u / (1.0 + x * u / 2.0);
}

PairedInterval ReadPairedPercentileInterval(std::span<const double> sorted,
                                            float sngConfidenceLevel, PositionRule rule) {
    if (sorted.empty()) return {};
    const PercentilePositions at =
        PercentilePositionsFor(static_cast<std::int32_t>(sorted.size()), sngConfidenceLevel, rule);
    return PairedInterval{valueAt(sorted, at.lower), valueAt(sorted, at.upper)};
}

double BiasCorrection(std::span<const double> sorted, double observed) {
    const auto below = std::lower_bound(sorted.begin(), sorted.end(), observed);
    const auto above = std::upper_bound(below, sorted.end(), observed);
    const double share =
        (static_cast<double>(below - sorted.begin()) + 0.5 * static_cast<double>(above - below)) /
        static_cast<double>(sorted.size());
    return NormalQuantile(share);
}

std::optional<PercentilePositions> BcaPositionsFor(std::int32_t count, double z0,
                                                   double acceleration, float sngConfidenceLevel,
                                                   PositionRule rule) {
    if (!std::isfinite(z0) || !std::isfinite(acceleration)) return std::nullopt;
    const double a = (1.0 - static_cast<double>(sngConfidenceLevel)) / 2.0;
    const double z = NormalQuantile(a);
    const double lowerSum = z0 + z;
    const double upperSum = z0 - z;
    const double lowerScale = 1.0 - acceleration * lowerSum;
    const double upperScale = 1.0 - acceleration * upperSum;
    if (!(lowerScale > 0.0) || !(upperScale > 0.0)) return std::nullopt;
    const double lowerShare = NormalCdf(z0 + lowerSum / lowerScale);
    const double upperShare = NormalCdf(-(z0 + upperSum / upperScale));
    const std::int32_t lowerCut = PercentileCut(lowerShare, count, rule);
    const std::int32_t upperCut = PercentileCut(upperShare, count, rule);
    return PercentilePositions{std::clamp(lowerCut + 1, 1, count),
                               std::clamp(count - upperCut, 1, count)};
}

PairedInterval ReadBcaInterval(std::span<const double> sorted, std::optional<double> observed,
                               std::optional<double> acceleration, float sngConfidenceLevel,
                               PositionRule rule) {
    if (sorted.empty() || !observed || !acceleration) return {};
    const auto count = static_cast<std::int32_t>(sorted.size());
    const std::optional<PercentilePositions> at = BcaPositionsFor(
        count, BiasCorrection(sorted, *observed), *acceleration, sngConfidenceLevel, rule);
    if (!at) return {};
    return PairedInterval{valueAt(sorted, at->lower), valueAt(sorted, at->upper)};
}

}  // namespace velmora
