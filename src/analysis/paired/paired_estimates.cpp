#include "analysis/paired/paired_estimates.h"

#include <cmath>
#include <limits>

#include "analysis/resampling/trimming.h"

namespace velmora {

namespace {

// diff / sqrt(spread) when the spread is strictly positive.
std::optional<double> standardized(double diff, double spread) {
    if (!(spread > 0.0)) return std::nullopt;
    return diff / std::sqrt(spread);
}

}  // namespace

std::string_view PairedEffectName(PairedEffect effect) {
    switch (effect) {
        case PairedEffect::Dz:
            return "d_z";
        case PairedEffect::RobustDz:
            return "robust d_z";
        case PairedEffect::Drm:
            return "d_rm";
        case PairedEffect::Dav:
            return "d_av";
        case PairedEffect::Db:
            return "d_b";
        case PairedEffect::RobustDav:
            return "robust d_av";
    }
    return {};
}

PositionRule PairedPositionRule(PairedEffect effect) {
    return effect == PairedEffect::Db ? PositionRule::RoundHalfEven : PositionRule::Truncate;
}

std::optional<double> PairedCorrelation(const PairedMoments& m) {
    const double v1 = m.var1.variance;
    const double v2 = m.var2.variance;
    if (!(v1 > 0.0) || !(v2 > 0.0)) return std::nullopt;
    return (v1 + v2 - m.difference.variance) / (2.0 * std::sqrt(v1) * std::sqrt(v2));
}

PairedEstimates PairedEstimatesFromMoments(const PairedMoments& m, std::int32_t lngSdVar) {
    const ColumnMoments& c1 = m.var1;
    const ColumnMoments& c2 = m.var2;
    const ColumnMoments& d = m.difference;
    const double meanDiff = d.mean;
    PairedEstimates e;
    auto at = [&e](PairedEffect effect) -> std::optional<double>& {
        return e[static_cast<std::size_t>(effect)];
    };
    at(PairedEffect::Dz) = standardized(meanDiff, d.variance);
    at(PairedEffect::RobustDz) = standardized(ROBUST_SCALE * d.trimmedMean, d.winsVariance);
    if (c1.variance > 0.0 && c2.variance > 0.0 && d.variance > 0.0) {
        // 2 (1 - r) s1 s2 = s_D^2 - (s1 - s2)^2. Its rounding error is below
        // 4 eps (s_D^2 + |s1^2 - s2^2| + (s1 - s2)^2) (each root off by 1.5 eps
        // at most, the difference of roots by 1.5 eps (s1 + s2)); within that
        // r is 1 as far as the data can tell, as for every sample of two pairs.
        const double s1 = std::sqrt(c1.variance);
        const double s2 = std::sqrt(c2.variance);
        const double apart = (s1 - s2) * (s1 - s2);
        const double numerator = d.variance - apart;
        const double rounding = 4.0 * std::numeric_limits<double>::epsilon() *
                                (d.variance + std::abs(c1.variance - c2.variance) + apart);
        if (numerator > rounding)
            at(PairedEffect::Drm) =
                meanDiff / std::sqrt(d.variance) * std::sqrt(numerator / (s1 * s2));
    }
    at(PairedEffect::Dav) = standardized(meanDiff, (c1.variance + c2.variance) / 2.0);
    at(PairedEffect::Db) = standardized(meanDiff, lngSdVar == 2 ? c2.variance : c1.variance);
    at(PairedEffect::RobustDav) = standardized(ROBUST_SCALE * m.trimmedMeanDifference,
                                               (c1.winsVariance + c2.winsVariance) / 2.0);
    return e;
}

// From this many pairs on, J comes from Stirling's series rather than from
// two log-gammas (see SmallSampleCorrection for why 30).
constexpr std::int32_t kStirlingFrom = 30;

std::optional<double> SmallSampleCorrection(std::int32_t m) {
    if (m < 2) return std::nullopt;
    const double a = static_cast<double>(m) / 2.0;
    const double b = a - 0.5;
    // ln J = ln Gamma(a) - ln Gamma(b) - ln(a) / 2. Each log-gamma is off by
    // a few units of its own size, which the difference keeps: up to 30 that
    // costs less than 5e-15 of J, beyond it more and more. There the
    // difference comes from Stirling's series of both terms taken together:
    // with a = b + 1/2 the leading terms collapse to (b - 1/2) log1p(1 / (2 b))
    // - 1/2, and the rest is far below a unit of J from m = 30 on.
    if (m < kStirlingFrom) return std::exp(std::lgamma(a) - std::lgamma(b)) / std::sqrt(a);
    const auto apart = [&](int k) { return std::pow(a, -k) - std::pow(b, -k); };
    const double lnJ = (b - 0.5) * std::log1p(0.5 / b) - 0.5 + apart(1) / 12.0 - apart(3) / 360.0 +
                       apart(5) / 1260.0 - apart(7) / 1680.0 + apart(9) / 1188.0 -
                       apart(11) * 691.0 / 360360.0;
    return std::exp(lnJ);
}

PairedEstimates CorrectedEstimates(const PairedEstimates& d, std::optional<double> correction) {
    PairedEstimates g;
    if (!correction) return g;
    for (std::size_t k = 0; k < d.size(); ++k)
        if (d[k]) g[k] = *correction * *d[k];
    return g;
}

}  // namespace velmora
