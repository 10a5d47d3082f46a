#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "analysis/resampling/column_moments.h"
#include "analysis/resampling/position_rule.h"

namespace velmora {

// The paired d family, in the order of the report's table. All are Var 2
// minus Var 1 on the complete pairs, with D = Var 2 - Var 1 for each pair.
enum class PairedEffect {
    Dz,         // mean(D) / SD(D)
    RobustDz,   // ROBUST_SCALE x trimmed mean(D) / sqrt(Winsorized variance(D))
    Drm,        // (M2 - M1) / sqrt(s1^2 + s2^2 - 2 r s1 s2) x sqrt(2 (1 - r))
    Dav,        // (M2 - M1) / sqrt((s1^2 + s2^2) / 2)
    Db,         // (M2 - M1) / s1, or / s2 with the SD choice 2
    RobustDav,  // ROBUST_SCALE x (trimmed M2 - trimmed M1) / sqrt((w1 + w2) / 2)
};
inline constexpr int kPairedEffectCount = 6;
inline constexpr std::array<PairedEffect, kPairedEffectCount> kPairedEffects = {
    PairedEffect::Dz,  PairedEffect::RobustDz, PairedEffect::Drm,
    PairedEffect::Dav, PairedEffect::Db,       PairedEffect::RobustDav};

// What the report calls the estimator ("d_z", "robust d_av", ...).
std::string_view PairedEffectName(PairedEffect effect);
// How a tail share times the number of valid trials becomes the count cut
// from that tail: d_b, on one variable's SD like the nonpooled estimators,
// rounds half to even; the others, on a spread of both variables like the
// pooled ones, truncate.
PositionRule PairedPositionRule(PairedEffect effect);

// The three columns of a sample of n complete pairs.
struct PairedMoments {
    std::int32_t n = 0;
    ColumnMoments var1;
    ColumnMoments var2;
    ColumnMoments difference;  // of D = Var 2 - Var 1, each rounded once to double
    // Trimmed mean of Var 2 less that of Var 1, the exact difference rounded
    // once (a difference of the two rounded means would lose the digits the
    // means share).
    double trimmedMeanDifference = 0.0;
    friend bool operator==(const PairedMoments&, const PairedMoments&) = default;
};

// One value per estimator; empty where it is not computable.
using PairedEstimates = std::array<std::optional<double>, kPairedEffectCount>;
inline const std::optional<double>& estimateOf(const PairedEstimates& e, PairedEffect effect) {
    return e[static_cast<std::size_t>(effect)];
}

// Pearson's r from the variances: (s1^2 + s2^2 - s_D^2) / (2 s1 s2), the
// identity of Var(D), exact in the sums when each D is exact. Empty unless
// both variances are > 0.
std::optional<double> PairedCorrelation(const PairedMoments& moments);

// The family from the moments. M2 - M1 is the mean of D (the same value,
// rounded once). Not computable: d_z when Var(D) is not > 0; robust d_z when
// D's Winsorized variance is not > 0; d_rm when either variance or Var(D) is
// not > 0 or r is 1 within the rounding of the variances (its standardizer
// s_D / sqrt(2 (1 - r)) is infinite there; 2 (1 - r) is taken as (s_D^2 -
// (s1 - s2)^2) / (s1 s2), which keeps its digits as r nears 1; two pairs
// always give r = 1 or -1); d_av when s1^2 + s2^2 is not > 0; d_b when the chosen SD's
// variance is not > 0 (lngSdVar 2 takes Var 2's, any other Var 1's); robust
// d_av when w1 + w2 is not > 0.
PairedEstimates PairedEstimatesFromMoments(const PairedMoments& moments, std::int32_t lngSdVar);

// J(m) = Gamma(m / 2) / (sqrt(m / 2) Gamma((m - 1) / 2)) from the difference
// of the two log-gammas, to a few units in the last place: the small-sample
// factor of Hedges' g. Empty for m < 2: J(1) is 0, and g would be 0 whatever
// d is. Not thread-safe (std::lgamma may set signgam): call it once per run.
std::optional<double> SmallSampleCorrection(std::int32_t m);

// g = J x d for every computable d; empty where d or J is.
PairedEstimates CorrectedEstimates(const PairedEstimates& d, std::optional<double> correction);

}  // namespace velmora
