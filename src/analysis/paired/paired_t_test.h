#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/paired/bca_interval.h"
#include "analysis/paired/paired_estimates.h"

namespace velmora {

// The level as the decimal it names (0.9, 0.95 or 0.99) rather than the
// single nearest it: the analytic limits are then those any statistics
// package gives at that level, to the last digit.
double NominalConfidenceLevel(float sngConfidenceLevel);

// Student's t test of the complete pairs' differences D = Var 2 - Var 1
// against 0, with the t interval of their mean.
struct PairedTTest {
    double meanDifference = 0.0;  // M_D
    double sdDifference = 0.0;    // SD of D (n - 1)
    std::int32_t df = 0;          // n - 1
    // Empty when SD is not > 0 (every D alike: the test is not defined).
    std::optional<double> t;  // M_D / (SD / sqrt(n))
    std::optional<double> p;  // two-sided
    PairedInterval ci;        // M_D -+ t(df, 1 - (1 - level) / 2) SD / sqrt(n)
    friend bool operator==(const PairedTTest&, const PairedTTest&) = default;
};

// On the moments of the n >= 2 complete pairs, at `level` (in (0, 1)).
PairedTTest ComputePairedTTest(const PairedMoments& moments, double level);

// How the block prints a p value: "p < .001" below a thousandth, otherwise
// "p = " and the value rounded to 3 decimals ("p = 0.046", "p = 1").
std::string PValueText(double p);

}  // namespace velmora
