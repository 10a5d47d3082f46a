// velmora-batch --plot, run as a separate process, read back against its report.
#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "batch_test_support.h"
#include "support/plot_svg.h"

namespace velmora {
namespace {

using batchtest::crlfLines;
using batchtest::ProcessResult;
using batchtest::readFile;
using batchtest::ScratchDir;
using batchtest::writeFile;
using testing::barCounts;
using testing::plotPanel;
using testing::textsOfClass;

const std::string kExample = VELMORA_EXAMPLES_DIR "/pre_post_scores.txt";

ProcessResult run(const std::vector<std::string>& args, const ScratchDir& dir) {
    return batchtest::runProcess(VELMORA_BATCH_EXE, args, dir);
}

// The text after `label` on the report line that starts with it.
std::string after(const std::string& report, const std::string& label) {
    for (const std::string& line : crlfLines(report))
        if (line.rfind(label, 0) == 0) return line.substr(label.size());
    ADD_FAILURE() << "no line " << label;
    return {};
}

TEST(BatchPlot, ExamplePlotParsesAsXmlAndRendersAtEightHundredBySixHundred) {
    ScratchDir dir;
    const std::string svg = dir.path("plot.svg");
    const ProcessResult r =
        run({"--var1", "1", "--var2", "2", "--seed", "20261208", "--plot", svg, kExample}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    // The plot changes nothing of the text.
    EXPECT_EQ(run({"--var1", "1", "--var2", "2", "--seed", "20261208", kExample}, dir).out, r.out);

    const ProcessResult lint = batchtest::runProcess("/usr/bin/xmllint", {"--noout", svg}, dir);
    EXPECT_EQ(lint.status, 0) << lint.err;
    EXPECT_EQ(lint.err, "");
    const std::string png = dir.path("plot.png");
    const ProcessResult render =
        batchtest::runProcess("/usr/bin/rsvg-convert", {"-o", png, svg}, dir);
    ASSERT_EQ(render.status, 0) << render.err;
    const std::string bytes = readFile(png);
    ASSERT_GE(bytes.size(), 24u);
    EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1a\n");
    const auto be32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
        return v;
    };
    EXPECT_EQ(be32(16), 800u);  // IHDR width
    EXPECT_EQ(be32(20), 600u);  // IHDR height
}

TEST(BatchPlot, PanelsAddUpToTheReportsCountsAndCarryItsTexts) {
    struct Case {
        const char* name;
        std::string data;  // empty: the example data set, every trial valid
        std::vector<std::string> args;
        std::string level;  // as the report prints it
    };
    const Case cases[] = {
        {"every trial valid", "", {"--seed", "20261208"}, "95"},
        // Three pairs of whole numbers: trials drawing one pair three times are invalid.
        {"some trials invalid",
         "1 2\r\n2 4\r\n3 3\r\n",
         {"--trials", "400", "--level", "90", "--sd-from", "2", "--seed", "3"},
         "90"},
        // Var 1, the SD source, holds two equal whole numbers: the nonpooled
        // estimators have no valid trial; the pooled ones are valid exactly when a
        // trial draws both pairs, and then equal, so they fill one bin.
        {"no valid trial", "3 1\r\n3 2\r\n", {"--seed", "3"}, "95"},
    };
    const char* ids[] = {"pooled-d", "pooled-robust-d", "nonpooled-d", "nonpooled-robust-d"};
    const char* counts[] = {"pooled D", "pooled robust D", "nonpooled D", "nonpooled robust D"};
    const char* intervals[] = {"pooled D", "pooled Robust D", "nonpooled D", "nonpooled Robust D"};
    const char* estimates[] = {"Pooled", "Pooled Robust", "Nonpooled", "Nonpooled Robust"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        std::string data = kExample;
        if (!c.data.empty()) writeFile(data = dir.path("in.txt"), c.data);
        const std::string svgPath = dir.path("plot.svg");
        std::vector<std::string> args = {"--var1", "1", "--var2", "2", "--plot", svgPath, data};
        args.insert(args.begin(), c.args.begin(), c.args.end());
        const ProcessResult r = run(args, dir);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string svg = readFile(svgPath);
        for (int k = 0; k < 4; ++k) {
            SCOPED_TRACE(ids[k]);
            const std::string panel = plotPanel(svg, ids[k]);
            const std::vector<int> bars = barCounts(panel);
            const std::string valid =
                after(r.out, std::string("Number of valid ") + counts[k] + " bootstrap trials = ");
            EXPECT_EQ(std::to_string(std::accumulate(bars.begin(), bars.end(), 0)), valid);
            if (valid == "0") {
                EXPECT_EQ(textsOfClass(panel, "no-valid-trial"),
                          std::vector<std::string>{"no valid trial"});
                continue;
            }
            EXPECT_EQ("(" + textsOfClass(panel, "lower-limit").at(0) + ", " +
                          textsOfClass(panel, "upper-limit").at(0) + ")",
                      after(r.out, c.level + "% CI for population " + intervals[k] + " = "));
            const std::string estimate = after(r.out, estimates[k] + std::string(" Cohen's D = "));
            EXPECT_EQ(
                textsOfClass(panel, "estimate"),
                std::vector<std::string>{estimate == "9999999" ? "not computable" : estimate});
        }
        if (std::string(c.name) == "no valid trial") {
            EXPECT_EQ(after(r.out, "Number of valid nonpooled D bootstrap trials = "), "0");
            EXPECT_EQ(barCounts(plotPanel(svg, "pooled-d")).size(), 1u);
        }
    }
}

// The fields of the report line that starts with `label`, split at blanks.
std::vector<std::string> fieldsAfter(const std::string& report, const std::string& label) {
    std::vector<std::string> fields;
    std::string rest = after(report, label);
    for (std::size_t at = 0; (at = rest.find_first_not_of(' ', at)) != std::string::npos;) {
        const std::size_t end = std::min(rest.find(' ', at), rest.size());
        fields.push_back(rest.substr(at, end - at));
        at = end;
    }
    return fields;
}

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(BatchPairedPlot, EstimationPlotCarriesTheReportsDzRowAndAtMost500Pairs) {
    struct Case {
        const char* name;
        int pairs;  // 0: the example data set (37 complete pairs)
        std::string pairsText;
    };
    for (const Case& c : {Case{"all pairs", 0, "37 pairs"},
                          Case{"a sample", 1200, "a sample of 500 of 1200 pairs"}}) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        std::string data = kExample;
        if (c.pairs > 0) {
            std::string text;
            for (int i = 0; i < c.pairs; ++i)
                text += std::to_string(i % 97) + " " + std::to_string((i * 7) % 101) + "\r\n";
            writeFile(data = dir.path("in.txt"), text);
        }
        const std::string svgPath = dir.path("paired.svg");
        const ProcessResult r = run({"--var1", "1", "--var2", "2", "--trials", "800", "--seed", "5",
                                     "--paired", "--paired-plot", svgPath, data},
                                    dir);
        ASSERT_EQ(r.status, 0) << r.err;
        const ProcessResult lint =
            batchtest::runProcess("/usr/bin/xmllint", {"--noout", svgPath}, dir);
        EXPECT_EQ(lint.status, 0) << lint.err;
        const std::string svg = readFile(svgPath);
        EXPECT_EQ(occurrences(svg, "class=\"pair\""), c.pairs == 0 ? 37u : 500u);
        EXPECT_EQ(textsOfClass(svg, "pairs"), std::vector<std::string>{c.pairsText});
        // d, g, percentile lower and upper, BCa lower and upper, analytic
        // lower and upper, valid trials.
        const std::vector<std::string> dz = fieldsAfter(r.out, "d_z ");
        ASSERT_EQ(dz.size(), 9u);
        const std::vector<int> bars = barCounts(svg);
        EXPECT_EQ(std::to_string(std::accumulate(bars.begin(), bars.end(), 0)), dz[8]);
        EXPECT_EQ(textsOfClass(svg, "estimate"), std::vector<std::string>{dz[0]});
        EXPECT_EQ(textsOfClass(svg, "percentile-lower"), std::vector<std::string>{dz[2]});
        EXPECT_EQ(textsOfClass(svg, "percentile-upper"), std::vector<std::string>{dz[3]});
        EXPECT_EQ(textsOfClass(svg, "bca-lower"), std::vector<std::string>{dz[4]});
        EXPECT_EQ(textsOfClass(svg, "bca-upper"), std::vector<std::string>{dz[5]});
    }
    // Names of a header line go beside the labels of the pairs' axis.
    {
        ScratchDir dir;
        writeFile(dir.path("named.csv"), "pre,post\r\n1,2\r\n2,4\r\n3,3\r\n5,8\r\n");
        const std::string svgPath = dir.path("named.svg");
        const ProcessResult r = run({"-d", "comma", "--var1", "1", "--var2", "2", "--seed", "5",
                                     "--paired", "--paired-plot", svgPath, dir.path("named.csv")},
                                    dir);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(textsOfClass(readFile(svgPath), "x-label"),
                  (std::vector<std::string>{"Var 1 (pre)", "Var 2 (post)"}));
    }
    // Without the paired run there is nothing to draw: refused, nothing written.
    ScratchDir dir;
    const ProcessResult r =
        run({"--var1", "1", "--var2", "2", "--paired-plot", dir.path("p.svg"), kExample}, dir);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("--paired-plot needs --paired"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path("p.svg")));
}

}  // namespace
}  // namespace velmora
