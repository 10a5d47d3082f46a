#include "output/plot/estimation_plot.h"

#include <algorithm>
#include <cmath>

#include "analysis/bootstrap/effect_size_report.h"
#include "output/plot/bootstrap_plot.h"
#include "output/plot/histogram.h"
#include "output/plot/svg_writer.h"
#include "runtime/number_text.h"
#include "runtime/report_text.h"
#include "runtime/rounding.h"

namespace velmora {

namespace {

constexpr const char* kFont = "DejaVu Sans, Liberation Sans, Arial, sans-serif";
constexpr double kTextSize = 12.0;

std::string valueLabel(const std::optional<double>& value) {
    if (!value) return "n/c";
    return doubleText(roundHalfEven(*value, 3));
}

SvgStyle shape(std::string_view fill, std::string_view stroke = {}, double strokeWidth = 1.0,
               std::string_view dashArray = {}, std::string_view cssClass = {}) {
    SvgStyle s;
    s.fill = fill;
    s.stroke = stroke;
    s.strokeWidth = strokeWidth;
    s.dashArray = dashArray;
    s.cssClass = cssClass;
    return s;
}

SvgTextStyle textStyle(std::string_view cssClass, TextAnchor anchor = TextAnchor::Start,
                       bool bold = false, double size = kTextSize) {
    SvgTextStyle s = svgTextStyle(cssClass, anchor, size);
    s.bold = bold;
    return s;
}

// A value axis from `lower` to `upper` drawn from `bottom` up to `top`.
struct VerticalScale {
    double lower, upper, bottom, top;
    double y(double v) const {
        return upper > lower ? bottom - (v - lower) / (upper - lower) * (bottom - top)
                             : (bottom + top) / 2.0;
    }
};

// Limits that hold every value and a little room; a single value gets a unit around it.
std::pair<double, double> paddedRange(double lo, double hi) {
    if (!(hi > lo)) return {lo - 0.5, hi + 0.5};
    const double pad = (hi - lo) * 0.05;
    return {lo - pad, hi + pad};
}

void yAxis(SvgWriter& svg, const VerticalScale& s, double x, std::string_view tickClass) {
    const SvgStyle axis = shape("none", "#333333");
    svg.line(x, s.top, x, s.bottom, axis);
    const AxisTicks ticks = roundTicks(s.lower, s.upper, 6);
    for (double v : ticks.values) {
        svg.line(x - 4.0, s.y(v), x, s.y(v), axis);
        svg.text(x - 7.0, s.y(v) + 4.0, tickText(v, ticks.step),
                 textStyle(tickClass, TextAnchor::End));
    }
}

}  // namespace

PlotPairs samplePairs(const DataSet& data, std::int32_t var1, std::int32_t var2, std::size_t most) {
    std::vector<std::pair<float, float>> all;
    for (std::int32_t i = 1; i <= data.g_lngNumCases; ++i) {
        const float a = data.cell(i, var1);
        const float b = data.cell(i, var2);
        if (!isMissing(a) && !isMissing(b)) all.emplace_back(a, b);
    }
    PlotPairs result;
    result.count = static_cast<std::int64_t>(all.size());
    if (all.size() <= most) {
        result.drawn = std::move(all);
        return result;
    }
    result.drawn.reserve(most);
    for (std::size_t k = 0; k < most; ++k) result.drawn.push_back(all[k * all.size() / most]);
    return result;
}

EstimationPlotData estimationPlotOf(const DataSet& data, const AnalysisOptions& options,
                                    const PairedRunResult& paired,
                                    std::span<const PairedEstimates> trials,
                                    std::string dataFileName, std::uint64_t seed) {
    EstimationPlotData plot;
    plot.options = options;
    plot.pairs = samplePairs(data, options.lngVar1, options.lngVar2);
    for (const PairedEstimates& trial : trials)
        if (const auto& dz = estimateOf(trial, PairedEffect::Dz)) plot.dzValues.push_back(*dz);
    plot.observedDz = estimateOf(paired.observed.d, PairedEffect::Dz);
    plot.percentile = paired.summary.of(PairedEffect::Dz).percentile;
    plot.bca = paired.summary.of(PairedEffect::Dz).bca;
    plot.dataFileName = std::move(dataFileName);
    plot.seed = seed;
    plot.name1 = data.variableName(options.lngVar1);
    plot.name2 = data.variableName(options.lngVar2);
    return plot;
}

std::string buildEstimationPlotSvg(const EstimationPlotData& data) {
    SvgWriter svg(PLOT_WIDTH, PLOT_HEIGHT, kFont);
    svg.rect(0, 0, PLOT_WIDTH, PLOT_HEIGHT, shape("#ffffff"));
    const double top = 90.0, bottom = 500.0;

    // The pairs.
    svg.openGroup("pairs");
    svg.text(40, 30, "Pairs", textStyle("title", TextAnchor::Start, true, 16.0));
    const std::string count = integerText(data.pairs.count);
    svg.text(40, 50,
             data.pairs.drawn.size() < static_cast<std::size_t>(data.pairs.count)
                 ? "a sample of " +
                       integerText(static_cast<std::int64_t>(data.pairs.drawn.size())) + " of " +
                       count + " pairs"
                 : count + " pairs",
             textStyle("pairs"));
    if (!data.pairs.drawn.empty()) {
        double lo = data.pairs.drawn.front().first, hi = lo;
        for (const auto& [a, b] : data.pairs.drawn) {
            lo = std::min({lo, double(a), double(b)});
            hi = std::max({hi, double(a), double(b)});
        }
        const auto [lower, upper] = paddedRange(lo, hi);
        const VerticalScale s{lower, upper, bottom, top};
        yAxis(svg, s, 90.0, "value-tick");
        const double x1 = 150.0, x2 = 330.0;
        const SvgStyle pair = shape("none", "#7da0d0", 0.8, {}, "pair");
        for (const auto& [a, b] : data.pairs.drawn) svg.line(x1, s.y(a), x2, s.y(b), pair);
        const auto label = [](std::int32_t column, const std::string& name) {
            return namedVariableLabel(column, CutToColumn(name, 20));
        };
        svg.text(x1, bottom + 20.0, label(data.options.lngVar1, data.name1),
                 textStyle("x-label", TextAnchor::Middle));
        svg.text(x2, bottom + 20.0, label(data.options.lngVar2, data.name2),
                 textStyle("x-label", TextAnchor::Middle));
    }
    svg.closeGroup();

    // The bootstrap distribution of d_z, on its own axis.
    svg.openGroup("dz");
    svg.text(440, 30, "d_z", textStyle("title", TextAnchor::Start, true, 16.0));
    svg.text(440, 50,
             integerText(static_cast<std::int64_t>(data.dzValues.size())) + " of " +
                 integerText(data.options.lngTrials) + " valid trials",
             textStyle("subtitle"));
    std::vector<float> values(data.dzValues.begin(), data.dzValues.end());
    if (values.empty()) {
        svg.text(600, (top + bottom) / 2.0, "no valid trial",
                 textStyle("empty", TextAnchor::Middle));
    } else {
        const Histogram h = buildHistogram(values);
        double lo = h.lower, hi = h.upper;
        for (const auto& v : {data.observedDz, data.percentile.lower, data.percentile.upper,
                              data.bca.lower, data.bca.upper})
            if (v && std::isfinite(*v)) lo = std::min(lo, *v), hi = std::max(hi, *v);
        const auto [lower, upper] = paddedRange(lo, hi);
        const VerticalScale s{lower, upper, bottom, top};
        const double axisX = 500.0, widest = 200.0;
        yAxis(svg, s, axisX, "dz-tick");
        const std::int32_t maxCount = *std::max_element(h.counts.begin(), h.counts.end());
        const double binHeight = (h.upper - h.lower) / static_cast<double>(h.counts.size());
        for (std::size_t i = 0; i < h.counts.size(); ++i) {
            if (h.counts[i] == 0) continue;
            const double from = h.lower + static_cast<double>(i) * binHeight;
            const double yTop = h.counts.size() == 1 ? s.y(from) - 2.0 : s.y(from + binHeight);
            const double yBottom = h.counts.size() == 1 ? s.y(from) + 2.0 : s.y(from);
            svg.rect(axisX + 1.0, yTop, widest * h.counts[i] / maxCount, yBottom - yTop,
                     shape("#7da0d0", "#ffffff", 0.5, {}, "bar"),
                     integerText(h.counts[i]) + " trials");
        }
        const auto mark = [&](const std::optional<double>& v, std::string_view dash,
                              std::string_view cls, std::string_view prefix, double dy) {
            const double textX = 735.0;
            if (v && std::isfinite(*v)) {
                svg.line(axisX, s.y(*v), axisX + widest, s.y(*v),
                         shape("none", "#333333", 1.5, dash));
            }
            const double y = v && std::isfinite(*v) ? s.y(*v) + dy : bottom + 20.0 + dy;
            svg.text(textX, y, std::string(prefix), textStyle("key", TextAnchor::End));
            svg.text(textX + 4.0, y, valueLabel(v), textStyle(cls));
        };
        mark(data.observedDz, "", "estimate", "d_z", 4.0);
        // Of a percentile and a BCa limit on one side, the higher line is
        // labelled above it and the lower one below it, at least a line of
        // text apart, so that limits that coincide or lie close still read
        // apart. Without both lines drawn, percentile above and BCa below.
        const auto markPair = [&](const std::optional<double>& pct, std::string_view pctClass,
                                  const std::optional<double>& bca, std::string_view bcaClass) {
            constexpr double kAbove = -4.0, kBelow = 14.0, kLineOfText = 18.0;
            double pctDy = kAbove, bcaDy = kBelow;
            if (pct && bca && std::isfinite(*pct) && std::isfinite(*bca)) {
                const double yPct = s.y(*pct), yBca = s.y(*bca);
                const bool pctHigher = yPct <= yBca;
                const double yHigh = std::min(yPct, yBca), yLow = std::max(yPct, yBca);
                const double labelHigh = yHigh + kAbove;
                const double labelLow = std::max(yLow + kBelow, labelHigh + kLineOfText);
                pctDy = (pctHigher ? labelHigh : labelLow) - yPct;
                bcaDy = (pctHigher ? labelLow : labelHigh) - yBca;
            }
            mark(pct, "6 4", pctClass, "pct", pctDy);
            mark(bca, "2 3", bcaClass, "BCa", bcaDy);
        };
        markPair(data.percentile.lower, "percentile-lower", data.bca.lower, "bca-lower");
        markPair(data.percentile.upper, "percentile-upper", data.bca.upper, "bca-upper");
    }
    svg.closeGroup();

    svg.text(40, 560,
             confidenceLevelText(data.options.sngConfidenceLevel) +
                 "% intervals: percentile dashed, BCa dotted; d_z of D = Var " +
                 integerText(data.options.lngVar2) + " - Var " + integerText(data.options.lngVar1),
             textStyle("key"));
    svg.text(40, 580,
             data.dataFileName + ": T = " + integerText(data.options.lngTrials) + ", seed " +
                 std::to_string(data.seed),
             textStyle("footer"));
    return svg.finish();
}

}  // namespace velmora
