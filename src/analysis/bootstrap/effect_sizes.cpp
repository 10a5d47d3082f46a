#include "analysis/bootstrap/effect_sizes.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// diff / sqrt(variance) when the variance is strictly positive. A NaN variance
// fails the test as well; it only arises from an overflow, which the caller
// detects in the group statistics.
float standardized(double diff, float variance) {
    if (!(variance > 0.0f)) return NOT_COMPUTABLE;
    return static_cast<float>(diff / std::sqrt(static_cast<double>(variance)));
}

}  // namespace

EffectSizes ComputeEffectSizes(const GroupStats& stats1, const GroupStats& stats2,
                               std::int32_t lngNonpooledSdVar) {
    const double w1 = static_cast<double>(stats1.lngN) - 1.0;
    const double w2 = static_cast<double>(stats2.lngN) - 1.0;
    const double df = static_cast<double>(stats1.lngN) + static_cast<double>(stats2.lngN) - 2.0;

    EffectSizes es;
    es.sngPooledVar = static_cast<float>((w2 * stats2.sngVariance + w1 * stats1.sngVariance) / df);
    es.sngPooledWinsVar =
        static_cast<float>((w2 * stats2.sngWinsVariance + w1 * stats1.sngWinsVariance) / df);

    const double meanDiff =
        static_cast<double>(stats2.sngMean) - static_cast<double>(stats1.sngMean);
    // The scale multiplies the difference before the division, as one product.
    const double robustDiff = ROBUST_SCALE * (static_cast<double>(stats2.sngTrimmedMean) -
                                              static_cast<double>(stats1.sngTrimmedMean));

    const GroupStats& source = lngNonpooledSdVar == 2 ? stats2 : stats1;
    for (Estimator e : kEstimators) {
        const EstimatorRules& rules = rulesOf(e);
        const bool pooled = rules.variance == VarianceSource::Pooled;
        const float variance = rules.robust
                                   ? (pooled ? es.sngPooledWinsVar : source.sngWinsVariance)
                                   : (pooled ? es.sngPooledVar : source.sngVariance);
        es.of(e) = standardized(rules.robust ? robustDiff : meanDiff, variance);
    }
    return es;
}

bool AllFinite(const EffectSizes& e) {
    if (!std::isfinite(e.sngPooledVar) || !std::isfinite(e.sngPooledWinsVar)) return false;
    return std::ranges::all_of(e.d, [](float d) { return std::isfinite(d); });
}

}  // namespace velmora
