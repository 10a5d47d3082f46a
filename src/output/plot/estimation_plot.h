#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "analysis/bootstrap/analysis_records.h"
#include "analysis/paired/bca_interval.h"
#include "analysis/paired/paired_trials.h"
#include "data/data_set.h"

namespace velmora {

// At most this many pairs are drawn as lines; more would be a solid block.
inline constexpr std::size_t ESTIMATION_PLOT_PAIRS = 500;

// The complete pairs of one paired run.
struct PlotPairs {
    std::vector<std::pair<float, float>> drawn;  // (Var 1, Var 2), in row order
    std::int64_t count = 0;                      // complete pairs in all
};

// The complete pairs of columns `var1` and `var2` (neither cell missing): all
// of them up to `most`, otherwise `most` of them evenly spaced over the rows
// (pair k * count / most for k = 0 .. most - 1, from 0).
PlotPairs samplePairs(const DataSet& data, std::int32_t var1, std::int32_t var2,
                      std::size_t most = ESTIMATION_PLOT_PAIRS);

// Everything the estimation plot shows of one completed paired run.
struct EstimationPlotData {
    AnalysisOptions options;
    PlotPairs pairs;
    std::vector<double> dzValues;  // the valid trial values of d_z, any order
    // nullopt: not computable; no line is drawn for it.
    std::optional<double> observedDz;
    PairedInterval percentile;
    PairedInterval bca;
    std::string dataFileName;
    std::uint64_t seed = 0;
    // The names a header line gave Var 1 and Var 2 (empty: none), shown
    // beside the labels of the pairs' axis ("Var 1 (pre)", cut to 20
    // characters with "~").
    std::string name1;
    std::string name2;
};

// The SVG 1.1 picture, PLOT_WIDTH x PLOT_HEIGHT: on the left each drawn pair
// as a line (<line class="pair">) from Var 1 to Var 2 on one value axis, with
// "n pairs" or "a sample of 500 of n pairs" (<text class="pairs">); on the
// right, on a d_z axis of its own, the histogram of the d_z trials (one
// <rect class="bar"> per non-empty bin, its <title> "N trials"), the observed
// d_z (<text class="estimate">), the percentile limits (dashed,
// "percentile-lower", "percentile-upper") and the BCa limits (dotted,
// "bca-lower", "bca-upper"), labelled to 3 decimals as the report prints
// them ("n/c" when not computable); a footer as the bootstrap plot's.
std::string buildEstimationPlotSvg(const EstimationPlotData& data);

// The picture's data of a completed paired run on `data`: its pairs, the
// computable d_z of `trials` (every trial's family, in trial order) and the
// observed d_z with its intervals.
EstimationPlotData estimationPlotOf(const DataSet& data, const AnalysisOptions& options,
                                    const PairedRunResult& paired,
                                    std::span<const PairedEstimates> trials,
                                    std::string dataFileName, std::uint64_t seed);

}  // namespace velmora
