#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "analysis/bootstrap/analysis_records.h"

namespace velmora {

// Everything the bootstrap plot shows of one completed run.
struct BootstrapPlotData {
    AnalysisOptions options;
    EffectSizes observed;
    BootstrapSummary summary;
    // The valid trial values of each estimator in the report's order (pooled
    // d, pooled robust d, nonpooled d, nonpooled robust d).
    std::array<std::vector<float>, kEstimatorCount> validValues;
    std::string dataFileName;  // the footer's name of the data file
    std::uint64_t seed = 0;
    // The header line's names of Var 1 and Var 2 (empty: none), which the
    // footer writes beside their labels: "Var 1 (pre)".
    std::string name1;
    std::string name2;
};

// Each estimator's computable values of `trials`, in trial order,
// in the report's order of estimators.
std::array<std::vector<float>, kEstimatorCount> validTrialValues(
    std::span<const EffectSizes> trials);

// Tick marks at whole multiples of a round step (1, 2 or 5 times a power of
// ten): the smallest such step that cuts [lower, upper] into at most
// `maxIntervals` steps. Precondition: lower < upper, both finite.
struct AxisTicks {
    double step = 0.0;
    std::vector<double> values;
};
AxisTicks roundTicks(double lower, double upper, int maxIntervals);

// A tick's label: the value with as many decimals as the step has, by the
// double-precision number text ("0.2", "-1", "5E-05").
std::string tickText(double value, double step);

inline constexpr int PLOT_WIDTH = 800;
inline constexpr int PLOT_HEIGHT = 600;

// The SVG 1.1 picture of a run, PLOT_WIDTH x PLOT_HEIGHT: four panels in a
// 2 x 2 grid in the report's order, a key and a footer naming the data file,
// the columns, T, the level and the seed. A panel with valid trials holds the
// histogram of its values (one <rect class="bar"> per non-empty bin, its
// <title> "N trials"), the percentile interval shaded with its limits drawn
// and labelled (<text class="lower-limit">, "upper-limit") and the observed
// estimate drawn and labelled (<text class="estimate">, "not computable" for
// NOT_COMPUTABLE), all labels exactly as the report prints them; a panel without
// one says "no valid trial". Text is sans-serif, 12 px (9 pt) or larger.
std::string buildBootstrapPlotSvg(const BootstrapPlotData& data);

}  // namespace velmora
