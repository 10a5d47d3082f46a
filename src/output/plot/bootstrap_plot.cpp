#include "output/plot/bootstrap_plot.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <optional>

#include "analysis/bootstrap/effect_size_report.h"
#include "data/data_set.h"
#include "output/plot/histogram.h"
#include "output/plot/svg_writer.h"
#include "runtime/contract.h"
#include "runtime/number_text.h"
#include "runtime/report_text.h"
#include "runtime/rounding.h"

namespace velmora {

namespace {

// Arial and Helvetica where a printer or a paper's style has them; Liberation
// Sans has their widths; any sans-serif face otherwise.
constexpr std::string_view kFontFamily = "Arial, Helvetica, 'Liberation Sans', sans-serif";

// Colours chosen by lightness as much as by hue, so that a grey-scale print
// keeps them apart: background 255, interval band about 216, bars about 155,
// limit lines about 95 (and dashed), estimate line 0 (and solid, wider).
constexpr std::string_view kBar = "#7da0d0";
constexpr std::string_view kBand = "#f6d88a";
constexpr std::string_view kLimit = "#8a5a00";
constexpr std::string_view kEstimate = "#000000";
constexpr std::string_view kText = "#222222";
constexpr std::string_view kMuted = "#555555";
constexpr std::string_view kAxis = "#444444";
constexpr std::string_view kLimitDash = "6 4";

constexpr double kTextSize = 12.0;   // 9 pt at 96 px per inch
constexpr double kTitleSize = 14.0;  // 10.5 pt
// A generous mean advance of a sans-serif glyph, in em: labels are kept apart
// by this estimate, so it errs wide.
constexpr double kAdvance = 0.62;

constexpr double kPanelWidth = PLOT_WIDTH / 2.0;
constexpr double kPanelHeight = 272.0;
constexpr double kKeyBaseline = 566.0;
constexpr double kFooterBaseline = 588.0;
constexpr double kMargin = 16.0;

double textWidth(std::string_view text, double size) {
    return static_cast<double>(text.size()) * kAdvance * size;
}

SvgTextStyle textStyle(std::string_view cssClass, TextAnchor anchor = TextAnchor::Start,
                       double size = kTextSize, std::string_view fill = kText) {
    SvgTextStyle s = svgTextStyle(cssClass, anchor, size);
    s.fill = fill;
    return s;
}

// The plot area of one panel and its value-to-pixel mapping.
struct PlotArea {
    double left = 0.0;
    double right = 0.0;
    double top = 0.0;
    double bottom = 0.0;
    double barsTop = 0.0;  // the tallest bar reaches here, below the label rows
    double lower = 0.0;    // the value at `left`
    double upper = 0.0;    // the value at `right`

    double x(double value) const {
        return left + (value - lower) / (upper - lower) * (right - left);
    }
    double labelRow(int row) const { return top + 12.0 + 15.0 * row; }
};

// The values the x axis must show: the bins and the observed estimate, with
// a little room at both ends; a single value gets a neighbourhood as wide as
// its magnitude, and at least 1.
void fitDomain(PlotArea& area, const Histogram& h, float observed) {
    double lower = h.lower;
    double upper = h.upper;
    if (isComputable(observed)) {
        lower = std::min(lower, static_cast<double>(observed));
        upper = std::max(upper, static_cast<double>(observed));
    }
    if (upper > lower) {
        const double pad = 0.04 * (upper - lower);
        area.lower = lower - pad;
        area.upper = upper + pad;
    } else {
        const double half = 0.5 * std::max(1.0, std::abs(lower));
        area.lower = lower - half;
        area.upper = upper + half;
    }
}

// The round ticks of the x axis, with fewer of them while their labels
// would touch.
AxisTicks xTicks(const PlotArea& area) {
    AxisTicks ticks;
    for (int intervals = 7; intervals >= 1; --intervals) {
        ticks = roundTicks(area.lower, area.upper, intervals);
        bool apart = true;
        for (std::size_t i = 1; i < ticks.values.size() && apart; ++i) {
            const double a = textWidth(tickText(ticks.values[i - 1], ticks.step), kTextSize);
            const double b = textWidth(tickText(ticks.values[i], ticks.step), kTextSize);
            apart = area.x(ticks.values[i]) - area.x(ticks.values[i - 1]) > (a + b) / 2.0 + 8.0;
        }
        if (apart) break;
    }
    return ticks;
}

// maxCount >= 1: the tallest bar.
void drawAxes(SvgWriter& svg, const PlotArea& area, std::int32_t maxCount) {
    SvgStyle axis;
    axis.stroke = kAxis;
    svg.line(area.left, area.bottom, area.right, area.bottom, axis);
    svg.line(area.left, area.barsTop, area.left, area.bottom, axis);

    const AxisTicks xs = xTicks(area);
    for (double v : xs.values) {
        const double x = area.x(v);
        svg.line(x, area.bottom, x, area.bottom + 4.0, axis);
        svg.text(x, area.bottom + 17.0, tickText(v, xs.step),
                 textStyle("x-tick", TextAnchor::Middle));
    }
    // Counts are whole numbers: no step below one.
    AxisTicks ys = roundTicks(0.0, maxCount, 3);
    if (ys.step < 1.0) ys = roundTicks(0.0, maxCount, maxCount);
    for (double v : ys.values) {
        const double y = area.bottom - v / maxCount * (area.bottom - area.barsTop);
        svg.line(area.left - 4.0, y, area.left, y, axis);
        svg.text(area.left - 6.0, y + 4.0, integerText(static_cast<std::int64_t>(v)),
                 textStyle("y-tick", TextAnchor::End));
    }
}

void drawHistogram(SvgWriter& svg, const PlotArea& area, const Histogram& h,
                   std::int32_t maxCount) {
    const auto bins = static_cast<std::int32_t>(h.counts.size());
    const double width = (h.upper - h.lower) / bins;
    SvgStyle bar;
    bar.fill = kBar;
    bar.stroke = "#ffffff";
    bar.strokeWidth = 0.5;
    bar.cssClass = "bar";
    for (std::int32_t i = 0; i < bins; ++i) {
        const std::int32_t count = h.counts[static_cast<std::size_t>(i)];
        if (count == 0) continue;
        double x0 = area.x(h.lower + i * width);
        double x1 = area.x(h.lower + (i + 1) * width);
        if (bins == 1) {  // equal values: a narrow bar centred on them
            const double half = (area.right - area.left) / 80.0;
            x0 = area.x(h.lower) - half;
            x1 = area.x(h.lower) + half;
        }
        const double height = static_cast<double>(count) / maxCount * (area.bottom - area.barsTop);
        svg.rect(x0, area.bottom - height, x1 - x0, height, bar, integerText(count) + " trials");
    }
}

void drawBand(SvgWriter& svg, const PlotArea& area, const PercentileInterval& ci) {
    const double xl = area.x(ci.sngLower);
    const double xu = area.x(ci.sngUpper);
    SvgStyle band;
    band.fill = kBand;
    svg.rect(xl, area.top, std::max(xu - xl, 1.0), area.bottom - area.top, band);
}

// A vertical line with its label in one of the rows above the bars; the line
// runs from just below its label down to the axis.
struct Mark {
    std::string text;
    std::string_view cssClass;
    std::optional<double> x;  // none: a label without a line
    SvgStyle line;
    // Where the label went: its row and its estimated extent.
    int row = 0;
    double start = 0.0;
    double end = 0.0;
    double textX = 0.0;
    TextAnchor anchor = TextAnchor::Start;
};

enum class Side { Left, Right, Centre };  // of the line

constexpr int kLabelRows = 3;
// A label may reach this far into the panel's right margin.
constexpr double kLabelOverhang = 14.0;

// A label must not touch another in its row, nor be crossed by the line of
// a label in a row above it, nor have its own line cross a label below it.
bool clashes(const Mark& m, const std::vector<Mark>& placed) {
    const auto crosses = [](const std::optional<double>& x, const Mark& label) {
        return x && *x >= label.start - 3.0 && *x <= label.end + 3.0;
    };
    for (const Mark& p : placed) {
        if (p.row == m.row && m.start < p.end + 6.0 && p.start < m.end + 6.0) return true;
        if (p.row < m.row && crosses(p.x, m)) return true;
        if (m.row < p.row && crosses(m.x, p)) return true;
    }
    return false;
}

// The first free place, row by row from the top and side by side in the
// order given; the lowest row, pushed inside the plot, when none is free.
void placeLabel(Mark& m, std::initializer_list<Side> sides, const std::vector<Mark>& placed,
                const PlotArea& area) {
    const double width = textWidth(m.text, kTextSize);
    const double x = m.x.value_or((area.left + area.right) / 2.0);
    const auto put = [&](int row, Side side) {
        m.row = row;
        m.start = side == Side::Left    ? x - 4.0 - width
                  : side == Side::Right ? x + 4.0
                                        : x - width / 2;
        m.end = m.start + width;
        m.anchor = side == Side::Left    ? TextAnchor::End
                   : side == Side::Right ? TextAnchor::Start
                                         : TextAnchor::Middle;
        m.textX = side == Side::Left ? x - 4.0 : side == Side::Right ? x + 4.0 : x;
    };
    for (int row = 0; row < kLabelRows; ++row) {
        for (Side side : sides) {
            put(row, side);
            if (m.start >= area.left && m.end <= area.right + kLabelOverhang && !clashes(m, placed))
                return;
        }
    }
    put(kLabelRows - 1, *sides.begin());
    m.start = std::clamp(m.start, area.left, std::max(area.left, area.right - width));
    m.end = m.start + width;
    m.textX = m.start;
    m.anchor = TextAnchor::Start;
}

// The two limits (dashed) and the observed estimate (solid), each labelled
// exactly as the report prints it.
void drawMarks(SvgWriter& svg, const PlotArea& area, const PercentileInterval& ci, float observed) {
    std::vector<Mark> marks(3);
    Mark& lower = marks[0];
    Mark& upper = marks[1];
    Mark& estimate = marks[2];
    SvgStyle limit;
    limit.stroke = kLimit;
    limit.strokeWidth = 1.5;
    limit.dashArray = kLimitDash;

    lower.text = reportValueText(ci.sngLower);
    lower.cssClass = "lower-limit";
    lower.x = area.x(ci.sngLower);
    lower.line = limit;
    upper.text = reportValueText(ci.sngUpper);
    upper.cssClass = "upper-limit";
    upper.x = area.x(ci.sngUpper);
    upper.line = limit;
    estimate.cssClass = "estimate";
    estimate.line.stroke = kEstimate;
    estimate.line.strokeWidth = 2.5;
    if (!isComputable(observed)) {
        estimate.text = "not computable";
    } else {
        estimate.text = reportValueText(observed);
        estimate.x = area.x(observed);
    }

    // Limits outside the band where there is room; the estimate over its line.
    std::vector<Mark> placed;
    placeLabel(lower, {Side::Left, Side::Right}, placed, area);
    placed.push_back(lower);
    placeLabel(upper, {Side::Right, Side::Left}, placed, area);
    placed.push_back(upper);
    placeLabel(estimate, {Side::Centre, Side::Left, Side::Right}, placed, area);

    for (const Mark& m : marks) {
        if (m.x) svg.line(*m.x, area.labelRow(m.row) + 4.0, *m.x, area.bottom, m.line);
    }
    for (const Mark& m : marks) {
        svg.text(m.textX, area.labelRow(m.row), m.text, textStyle(m.cssClass, m.anchor));
    }
}

void drawPanel(SvgWriter& svg, const BootstrapPlotData& data, int index) {
    const Estimator estimator = kEstimators[static_cast<std::size_t>(index)];
    const EstimatorRules& rules = rulesOf(estimator);
    const double ox = (index % 2) * kPanelWidth;
    const double oy = (index / 2) * kPanelHeight;
    const BootstrapSummary& s = data.summary;
    const auto& values = data.validValues[static_cast<std::size_t>(index)];

    svg.openGroup(rules.plotId);
    SvgTextStyle title = textStyle("title", TextAnchor::Start, kTitleSize);
    title.bold = true;
    svg.text(ox + kMargin, oy + 22.0, rules.name, title);
    svg.text(
        ox + kMargin, oy + 39.0,
        integerText(s.validOf(estimator)) + " of " + integerText(s.lngTrials) + " valid trials",
        textStyle("subtitle", TextAnchor::Start, kTextSize, kMuted));

    PlotArea area;
    area.left = ox + 56.0;
    area.right = ox + kPanelWidth - 18.0;
    area.top = oy + 48.0;
    area.bottom = oy + 238.0;
    area.barsTop = area.top + 50.0;
    if (values.empty()) {
        svg.text((area.left + area.right) / 2.0, (area.top + area.bottom) / 2.0, "no valid trial",
                 textStyle("no-valid-trial", TextAnchor::Middle, kTitleSize, kMuted));
        svg.closeGroup();
        return;
    }
    const Histogram h = buildHistogram(values);
    const std::int32_t maxCount = *std::max_element(h.counts.begin(), h.counts.end());
    const float estimate = data.observed.of(estimator);
    fitDomain(area, h, estimate);
    const PercentileInterval& ci = s.ciOf(estimator);
    drawBand(svg, area, ci);
    drawHistogram(svg, area, h, maxCount);
    drawAxes(svg, area, maxCount);
    drawMarks(svg, area, ci, estimate);
    svg.closeGroup();
}

// The key, left to right: the bars, the band with its dashed limits, the
// estimate's solid line.
void drawKey(SvgWriter& svg, const std::string& level) {
    const double y = kKeyBaseline;
    double x = kMargin;
    const auto label = [&](const std::string& text) {
        svg.text(x, y, text, textStyle("key"));
        // Arial's own mean advance: the key is one line with room to spare.
        x += static_cast<double>(text.size()) * 0.55 * kTextSize + 14.0;
    };
    SvgStyle bar;
    bar.fill = kBar;
    svg.rect(x, y - 10.0, 12.0, 12.0, bar);
    x += 18.0;
    label("valid trial values");

    SvgStyle band;
    band.fill = kBand;
    svg.rect(x, y - 10.0, 24.0, 12.0, band);
    SvgStyle limit;
    limit.stroke = kLimit;
    limit.strokeWidth = 1.5;
    limit.dashArray = "3 2";
    svg.line(x, y - 11.0, x, y + 3.0, limit);
    svg.line(x + 24.0, y - 11.0, x + 24.0, y + 3.0, limit);
    x += 30.0;
    label(level + "% percentile interval, its limits dashed");

    SvgStyle estimate;
    estimate.stroke = kEstimate;
    estimate.strokeWidth = 2.5;
    svg.line(x + 4.0, y - 11.0, x + 4.0, y + 3.0, estimate);
    x += 12.0;
    label("observed estimate");
}

// The middle of a long name becomes "...", cut at character boundaries.
std::string elide(const std::string& name, std::size_t keep) {
    if (name.size() <= keep) return name;
    const auto boundary = [&](std::size_t at) {
        while (at < name.size() && (static_cast<unsigned char>(name[at]) & 0xC0) == 0x80) ++at;
        return at;
    };
    const std::size_t head = boundary(keep / 2);
    const std::size_t tail = boundary(name.size() - (keep - keep / 2));
    return name.substr(0, head) + "..." + name.substr(tail);
}

std::string footerText(const BootstrapPlotData& data, const std::string& level) {
    const AnalysisOptions& o = data.options;
    // A name longer than 20 characters is cut, "~" marking the cut, so that
    // the labels and the run's figures keep their room on the line.
    const auto label = [](std::int32_t column, const std::string& name) {
        return namedVariableLabel(column, CutToColumn(name, 20));
    };
    const std::string var1 = label(o.lngVar1, data.name1);
    const std::string var2 = label(o.lngVar2, data.name2);
    const std::string rest = ": " + var1 + " and " + var2 + ", nonpooled SD from " +
                             (o.lngNonpooledSdVar == 2 ? var2 : var1) +
                             ", T = " + integerText(data.summary.lngTrials) + ", " + level +
                             "% level, seed " + std::to_string(data.seed);
    // A name too long for the line loses its middle, but keeps at least 20
    // characters: a trace of the file matters more than the right margin.
    const double room = PLOT_WIDTH - 2 * kMargin - textWidth(rest, kTextSize);
    const auto fits = static_cast<std::size_t>(std::max(20.0, room / (kAdvance * kTextSize)));
    return elide(data.dataFileName, fits) + rest;
}

}  // namespace

std::array<std::vector<float>, kEstimatorCount> validTrialValues(
    std::span<const EffectSizes> trials) {
    std::array<std::vector<float>, kEstimatorCount> lists;
    for (auto& list : lists) list.reserve(trials.size());
    for (const EffectSizes& e : trials) {
        for (std::size_t k = 0; k < lists.size(); ++k)
            if (isComputable(e.d[k])) lists[k].push_back(e.d[k]);
    }
    return lists;
}

AxisTicks roundTicks(double lower, double upper, int maxIntervals) {
    VELMORA_EXPECTS(std::isfinite(lower) && std::isfinite(upper) && lower < upper);
    const double wanted = (upper - lower) / std::max(1, maxIntervals);
    const double power = std::pow(10.0, std::floor(std::log10(wanted)));
    AxisTicks ticks;
    // A hair of tolerance so that a range of exactly 5 steps keeps its step.
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        ticks.step = m * power;
        if (ticks.step >= wanted * (1.0 - 1e-9)) break;
    }
    const double first = std::ceil(lower / ticks.step - 1e-9);
    const double last = std::floor(upper / ticks.step + 1e-9);
    // At most maxIntervals + 1 ticks fit; the bound also ends the loop should
    // a multiple be too large for a double to count on by one.
    for (int i = 0; i <= std::max(1, maxIntervals) && first + i <= last; ++i)
        ticks.values.push_back((first + i) * ticks.step);
    return ticks;
}

std::string tickText(double value, double step) {
    const int decimals = std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, 30);
    return doubleText(roundHalfEven(value, decimals));
}

std::string buildBootstrapPlotSvg(const BootstrapPlotData& data) {
    const std::string level = confidenceLevelText(data.options.sngConfidenceLevel);
    SvgWriter svg(PLOT_WIDTH, PLOT_HEIGHT, kFontFamily);
    SvgStyle background;
    background.fill = "#ffffff";
    svg.rect(0, 0, PLOT_WIDTH, PLOT_HEIGHT, background);
    for (int i = 0; i < 4; ++i) drawPanel(svg, data, i);
    drawKey(svg, level);
    svg.text(kMargin, kFooterBaseline, footerText(data, level),
             textStyle("footer", TextAnchor::Start, kTextSize, kMuted));
    return svg.finish();
}

}  // namespace velmora
