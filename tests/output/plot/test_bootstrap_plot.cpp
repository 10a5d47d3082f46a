#include <gtest/gtest.h>

#include <numeric>
#include <regex>
#include <string>
#include <vector>

#include "output/plot/bootstrap_plot.h"
#include "output/plot/histogram.h"
#include "support/plot_svg.h"

namespace velmora {
namespace {

using testing::barCounts;
using testing::plotPanel;
using testing::textsOfClass;

// 27 values (n^(1/3) = 3): 0, twelve at q1, thirteen at q3, then top. The
// quartiles at positions 6.5 and 19.5 are q1 and q3 exactly.
std::vector<float> spread(float q1, float q3, float top) {
    std::vector<float> v(27, q1);
    v[0] = 0.0f;
    for (std::size_t i = 13; i < 26; ++i) v[i] = q3;
    v[26] = top;
    return v;
}

TEST(Histogram, FreedmanDiaconisBinCountIsKeptWithinTenToSixty) {
    struct Case {
        const char* name;
        std::vector<float> sorted;
        std::int32_t bins;
    };
    const Case cases[] = {
        {"no value", {}, 0},
        {"all equal", {2.0f, 2.0f, 2.0f}, 1},
        {"7.5 raised to the least", spread(40, 60, 100), 10},          // width 40/3
        {"15.075 rounded up", spread(45, 55, 100.5f), 16},             // width 20/3
        {"25.125 rounded up", spread(47, 53, 100.5f), 26},             // width 4
        {"150.75 cut to the most", spread(49.5f, 50.5f, 100.5f), 60},  // width 2/3
        {"equal quartiles", spread(50, 50, 100.5f), 60},
    };
    for (const Case& c : cases) EXPECT_EQ(freedmanDiaconisBins(c.sorted), c.bins) << c.name;
}

TEST(Histogram, EveryValueLandsInTheBinStartingAtOrBelowItAndTheTopInTheLast) {
    const std::vector<float> values = {10, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9};  // 10 bins of width 1
    const Histogram h = buildHistogram(values);
    EXPECT_EQ(h.lower, 0.0);
    EXPECT_EQ(h.upper, 10.0);
    EXPECT_EQ(h.counts, (std::vector<std::int32_t>{1, 1, 1, 1, 1, 1, 1, 1, 1, 2}));
}

TEST(PlotAxis, TicksFallOnMultiplesOfOneTwoOrFiveTimesAPowerOfTen) {
    struct Case {
        double lower, upper;
        int maxIntervals;
        double step;
        std::vector<std::string> labels;
    };
    const Case cases[] = {
        {-0.9, -0.15, 6, 0.2, {"-0.8", "-0.6", "-0.4", "-0.2"}},
        {-2.9, -0.15, 6, 0.5, {"-2.5", "-2", "-1.5", "-1", "-0.5"}},
        {0, 100, 5, 20, {"0", "20", "40", "60", "80", "100"}},  // exactly 5 steps of 20
        {0, 7, 3, 5, {"0", "5"}},
        {-0.5, 2, 2, 2, {"0", "2"}},  // the tick at -0 prints as 0
        {0.00012, 0.00031, 4, 5e-5, {"0.00015", "0.0002", "0.00025", "0.0003"}},
        {0, 3e7, 3, 1e7, {"0", "10000000", "20000000", "30000000"}},
    };
    for (const Case& c : cases) {
        const AxisTicks ticks = roundTicks(c.lower, c.upper, c.maxIntervals);
        EXPECT_DOUBLE_EQ(ticks.step, c.step) << c.lower << " to " << c.upper;
        std::vector<std::string> labels;
        for (double v : ticks.values) labels.push_back(tickText(v, ticks.step));
        EXPECT_EQ(labels, c.labels) << c.lower << " to " << c.upper;
    }
}

BootstrapPlotData sampleRun() {
    BootstrapPlotData d;
    d.options.lngVar1 = 3;
    d.options.lngVar2 = 1;
    d.options.lngTrials = 10;
    d.options.sngConfidenceLevel = 0.99f;
    d.options.lngNonpooledSdVar = 2;
    d.observed.sngPooledD() = -0.40249f;
    d.observed.sngPooledRobustD() = 9999999.0f;
    d.observed.sngNonpooledD() = 1.5f;
    d.observed.sngNonpooledRobustD() = 0.75f;
    d.summary = {
        10, {5, 3, 0, 4}, {{{0.1f, 0.5f}, {1.0f, 3.0f}, {9999999.0f, 9999999.0f}, {0.75f, 0.75f}}}};
    d.validValues = {std::vector<float>{0.5f, 0.1f, 0.2f, 0.3f, 0.2f},
                     {3.0f, 1.0f, 2.0f},
                     {},
                     {0.75f, 0.75f, 0.75f, 0.75f}};
    d.dataFileName = "a&b <c>.txt";
    d.seed = 18446744073709551615ull;
    return d;
}

TEST(BootstrapPlot, PanelsShowCountsAndTheReportsTextsInReportOrder) {
    const std::string svg = buildBootstrapPlotSvg(sampleRun());
    EXPECT_EQ(
        textsOfClass(svg, "title"),
        (std::vector<std::string>{"Pooled Cohen&apos;s D", "Pooled Robust Cohen&apos;s D",
                                  "Nonpooled Cohen&apos;s D", "Nonpooled Robust Cohen&apos;s D"}));
    struct Panel {
        const char* id;
        const char* subtitle;
        int trials;                       // the bars' counts added up
        std::vector<std::string> labels;  // lower limit, upper limit, estimate
    };
    const Panel panels[] = {
        {"pooled-d", "5 of 10 valid trials", 5, {"0.1", "0.5", "-0.402"}},
        {"pooled-robust-d", "3 of 10 valid trials", 3, {"1", "3", "not computable"}},
        {"nonpooled-d", "0 of 10 valid trials", 0, {}},
        {"nonpooled-robust-d", "4 of 10 valid trials", 4, {"0.75", "0.75", "0.75"}},
    };
    for (const Panel& p : panels) {
        SCOPED_TRACE(p.id);
        const std::string panel = plotPanel(svg, p.id);
        EXPECT_EQ(textsOfClass(panel, "subtitle"), std::vector<std::string>{p.subtitle});
        const std::vector<int> bars = barCounts(panel);
        EXPECT_EQ(std::accumulate(bars.begin(), bars.end(), 0), p.trials);
        std::vector<std::string> labels;
        for (const char* cls : {"lower-limit", "upper-limit", "estimate"})
            for (const std::string& t : textsOfClass(panel, cls)) labels.push_back(t);
        EXPECT_EQ(labels, p.labels);
        EXPECT_EQ(textsOfClass(panel, "no-valid-trial").size(), p.trials == 0 ? 1u : 0u);
    }
    // Equal values make one bar.
    EXPECT_EQ(barCounts(plotPanel(svg, "nonpooled-robust-d")), std::vector<int>{4});
}

TEST(BootstrapPlot, FooterTracesTheRunAndTextIsSansSerifOfNinePointOrMore) {
    const std::string svg = buildBootstrapPlotSvg(sampleRun());
    EXPECT_NE(svg.find("<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"800\" "
                       "height=\"600\" viewBox=\"0 0 800 600\" font-family=\""),
              std::string::npos);
    EXPECT_NE(svg.find(", sans-serif\">"), std::string::npos);
    EXPECT_EQ(textsOfClass(svg, "footer"),
              std::vector<std::string>{"a&amp;b &lt;c&gt;.txt: Var 3 and Var 1, nonpooled SD from "
                                       "Var 1, T = 10, 99% level, seed 18446744073709551615"});
    EXPECT_EQ(textsOfClass(svg, "key")[1], "99% percentile interval, its limits dashed");
    const std::regex size("font-size=\"([0-9.]+)\"");
    int texts = 0;
    for (std::sregex_iterator it(svg.begin(), svg.end(), size), end; it != end; ++it, ++texts)
        EXPECT_GE(std::stod((*it)[1]), 12.0);  // 9 pt at 96 px per inch
    EXPECT_GT(texts, 20);
    EXPECT_EQ(svg.substr(svg.size() - 8), "</svg>\r\n");

    // A long name keeps its ends, at least 20 characters of it, around "...".
    BootstrapPlotData longName = sampleRun();
    longName.dataFileName = std::string(150, 'x') + ".txt";
    EXPECT_EQ(textsOfClass(buildBootstrapPlotSvg(longName), "footer"),
              std::vector<std::string>{"xxxxxxxxxx...xxxxxx.txt: Var 3 and Var 1, nonpooled SD "
                                       "from Var 1, T = 10, 99% level, seed 18446744073709551615"});

    // Names from a header line go beside the labels, one too long for the
    // line cut to 20 characters with a "~" (never inside a character of
    // several bytes: "\xC3\xA9" is one).
    BootstrapPlotData named = sampleRun();
    named.dataFileName = "d.csv";
    named.name1 = "pre";
    named.name2 = "score after \xC3\xA9 treatment";
    EXPECT_EQ(textsOfClass(buildBootstrapPlotSvg(named), "footer"),
              std::vector<std::string>{"d.csv: Var 3 (pre) and Var 1 (score after \xC3\xA9 trea~), "
                                       "nonpooled SD from Var 1 (score after \xC3\xA9 trea~), "
                                       "T = 10, 99% level, seed 18446744073709551615"});
    named.name2 = "score after treatm\xC3\xA9s";  // the cut would fall inside the "\xC3\xA9"
    EXPECT_NE(textsOfClass(buildBootstrapPlotSvg(named), "footer")
                  .at(0)
                  .find("Var 1 (score after treatm~)"),
              std::string::npos);
}

}  // namespace
}  // namespace velmora
