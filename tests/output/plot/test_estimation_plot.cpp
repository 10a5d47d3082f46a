#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>

#include "output/plot/estimation_plot.h"

namespace velmora {
namespace {

// The y of the one <text> of class `cls`, or NaN when there is none.
double textY(const std::string& svg, const std::string& cls) {
    const std::regex text("<text class=\"" + cls + "\" x=\"[^\"]*\" y=\"([^\"]*)\"");
    std::smatch m;
    return std::regex_search(svg, m, text) ? std::stod(m[1]) : std::nan("");
}

// The limits' labels sit right of their lines; a percentile and a BCa limit
// close together (or equal, or in either order) must not print over each
// other: their labels stay a line of text (14 px of a 12 px face) apart.
TEST(EstimationPlot, CloseLimitsOfOneSideKeepTheirLabelsApart) {
    const struct {
        double pct, bca;
    } sides[] = {{-0.474, -0.427}, {-0.427, -0.474}, {-0.45, -0.45}, {-1.126, -1.082}};
    for (const auto& side : sides) {
        SCOPED_TRACE(std::to_string(side.pct) + " " + std::to_string(side.bca));
        EstimationPlotData data;
        data.options.lngTrials = 5;
        data.dzValues = {-1.2, -0.9, -0.76, -0.6, -0.4};
        data.observedDz = -0.764;
        data.percentile = {side.pct, -0.2};
        data.bca = {side.bca, -0.1};
        const std::string svg = buildEstimationPlotSvg(data);
        const double pct = textY(svg, "percentile-lower"), bca = textY(svg, "bca-lower");
        ASSERT_FALSE(std::isnan(pct) || std::isnan(bca)) << svg;
        EXPECT_GE(std::abs(pct - bca), 14.0);
        // The label of the higher limit (the larger d_z, drawn higher up) is
        // the upper one of the two.
        if (side.pct != side.bca) EXPECT_EQ(side.pct > side.bca, pct < bca);
    }
}

}  // namespace
}  // namespace velmora
