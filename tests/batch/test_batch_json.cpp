#include <gtest/gtest.h>

#include <string>

#include "batch_json.h"

namespace velmora::batch {
namespace {

// The text between `"key": ` and the next comma or line end, after `from`.
std::string valueAfter(const std::string& json, const std::string& key, std::size_t from = 0) {
    const std::string mark = "\"" + key + "\": ";
    const std::size_t at = json.find(mark, from);
    if (at == std::string::npos) return "(absent)";
    const std::size_t start = at + mark.size();
    return json.substr(start, json.find_first_of(",\r", start) - start);
}

TEST(RunJson, SinglesAreTheirShortestDecimalAndUncomputableFiguresNull) {
    BatchOptions options;
    options.dataFile = "scores.txt";
    options.var1 = 1;
    options.var2 = 2;
    DataSet data;
    data.g_lngNumCases = 3;
    data.g_lngNumVariables = 2;
    AnalysisRun run;
    run.status = AnalysisStatus::Completed;
    run.stats1.sngMean = 0.1f;                                   // 0.100000001490116... as a double
    run.stats1.sngVariance = 1e-45f;                             // the smallest single
    run.stats2.sngMean = 16777216.0f;                            // 2^24
    run.observed.sngPooledD() = NOT_COMPUTABLE;                  // prints 9999999
    run.summary.ciPooledD() = {NOT_COMPUTABLE, NOT_COMPUTABLE};  // no valid trial
    run.observed.sngNonpooledD() = -0.333333343f;

    RunFigures figures;
    figures.options = &options;
    figures.data = &data;
    figures.effectSize = &run;
    figures.seed = 18446744073709551615u;
    const std::string json = buildRunJson(figures);

    const std::size_t var2 = json.find("\"var2\": {");
    EXPECT_EQ(valueAfter(json, "mean", json.find("\"effect_size\"")), "0.1");
    EXPECT_EQ(valueAfter(json, "variance", json.find("\"effect_size\"")), "1e-45");
    EXPECT_EQ(valueAfter(json, "mean", var2), "16777216.0");
    const std::size_t pooled = json.find("\"pooled_d\"");
    EXPECT_EQ(valueAfter(json, "d", pooled), "null");
    EXPECT_EQ(valueAfter(json, "lower", pooled), "null");
    EXPECT_EQ(valueAfter(json, "upper", pooled), "null");
    EXPECT_EQ(valueAfter(json, "d", json.find("\"nonpooled_d\"")), "-0.33333334");
    EXPECT_EQ(valueAfter(json, "seed"), "18446744073709551615");
    EXPECT_EQ(valueAfter(json, "names"), "null");                             // no header line
    EXPECT_EQ(valueAfter(json, "paired", json.rfind("\"paired\"")), "null");  // not the option
}

}  // namespace
}  // namespace velmora::batch
