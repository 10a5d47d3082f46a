#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch_options.h"

namespace velmora::batch {
namespace {

using Args = std::vector<std::string>;

TEST(BatchOptions, DefaultsMatchTheDialogsStartingChoices) {
    const ParseOutcome p = parseBatchArguments({"data.txt"});
    ASSERT_EQ(p.status, ParseStatus::Run) << p.error;
    const BatchOptions& o = p.options;
    EXPECT_EQ(o.dataFile, "data.txt");
    EXPECT_EQ(o.delimiter, ' ');
    EXPECT_FALSE(o.var1);
    EXPECT_FALSE(o.var2);
    EXPECT_FALSE(o.wantsEffectSize());
    EXPECT_EQ(o.trials, 600);
    EXPECT_EQ(o.confidenceLevel, 0.95f);
    EXPECT_EQ(o.sdFrom, 1);
    EXPECT_FALSE(o.seed);
    EXPECT_TRUE(o.bootstrapOut.empty());
    EXPECT_TRUE(o.plotFile.empty());
    EXPECT_TRUE(o.outputFile.empty());
    EXPECT_TRUE(o.descriptives.empty());
    EXPECT_EQ(o.threads, 0);
    EXPECT_EQ(o.arithmetic, Arithmetic::Auto);  // what the desktop program always uses
}

TEST(BatchOptions, EveryOptionInLongShortAndEqualsForms) {
    const ParseOutcome p = parseBatchArguments({"--delimiter",
                                                "tab",
                                                "--var1",
                                                "3",
                                                "--var2=12",
                                                "--trials",
                                                "1000000",
                                                "--level",
                                                "99",
                                                "--sd-from=2",
                                                "--seed",
                                                "18446744073709551615",
                                                "--bootstrap-out",
                                                "trials.csv",
                                                "--plot",
                                                "trials.svg",
                                                "-o",
                                                "out.txt",
                                                "--descriptives",
                                                "4,1-2",
                                                "--threads",
                                                "3",
                                                "--arithmetic",
                                                "double",
                                                "in.dat"});
    ASSERT_EQ(p.status, ParseStatus::Run) << p.error;
    const BatchOptions& o = p.options;
    EXPECT_EQ(o.delimiter, '\t');
    EXPECT_EQ(o.var1, 3);
    EXPECT_EQ(o.var2, 12);
    EXPECT_EQ(o.trials, 1000000);
    EXPECT_EQ(o.confidenceLevel, 0.99f);
    EXPECT_EQ(o.sdFrom, 2);
    EXPECT_EQ(o.seed, 18446744073709551615ull);
    EXPECT_EQ(o.bootstrapOut, "trials.csv");
    EXPECT_EQ(o.plotFile, "trials.svg");
    EXPECT_EQ(o.outputFile, "out.txt");
    ASSERT_EQ(o.descriptives.size(), 2u);
    EXPECT_EQ(o.descriptives[0].first, 4);
    EXPECT_EQ(o.descriptives[1].last, 2);
    EXPECT_EQ(o.threads, 3);
    EXPECT_EQ(o.arithmetic, Arithmetic::Double);
    EXPECT_EQ(o.dataFile, "in.dat");
    EXPECT_EQ(parseBatchArguments({"--arithmetic=single", "f"}).options.arithmetic,
              Arithmetic::Single);

    const ParseOutcome shortForms =
        parseBatchArguments({"-d", "comma", "--output=x.txt", "--", "-data.txt"});
    ASSERT_EQ(shortForms.status, ParseStatus::Run) << shortForms.error;
    EXPECT_EQ(shortForms.options.delimiter, ',');
    EXPECT_EQ(shortForms.options.outputFile, "x.txt");
    EXPECT_EQ(shortForms.options.dataFile, "-data.txt");
}

TEST(BatchOptions, LevelsAreTheNearestSingles) {
    struct Case {
        const char* text;
        float level;
    };
    for (const Case c :
         {Case{"90", 0.8999999762f}, Case{"95", 0.9499999881f}, Case{"99", 0.9900000095f}}) {
        const ParseOutcome p = parseBatchArguments({"--level", c.text, "f"});
        ASSERT_EQ(p.status, ParseStatus::Run);
        EXPECT_EQ(p.options.confidenceLevel, c.level) << c.text;
    }
}

TEST(BatchOptions, TrialsAcceptOneToOneMillion) {
    for (const char* ok : {"1", "2", "600", "999999", "1000000", "0600"}) {
        const ParseOutcome p = parseBatchArguments({"--trials", ok, "f"});
        EXPECT_EQ(p.status, ParseStatus::Run) << ok;
    }
    EXPECT_EQ(parseBatchArguments({"--trials", "1", "f"}).options.trials, 1);
    for (const char* bad :
         {"0", "1000001", "-5", "+5", "5.0", "1e3", " 5", "", "99999999999999999999"}) {
        const ParseOutcome p = parseBatchArguments({"--trials", bad, "f"});
        EXPECT_EQ(p.status, ParseStatus::UsageError) << bad;
        EXPECT_EQ(p.error, std::string("--trials must be a whole number from 1 to 1000000, not '") +
                               bad + "'");
    }
}

TEST(BatchOptions, UsageErrorsNameTheFaultExactly) {
    struct Case {
        Args args;
        std::string error;
    };
    const std::vector<Case> cases = {
        {{}, "no data file given"},
        {{"a.txt", "b.txt"}, "more than one data file given: 'a.txt' and 'b.txt'"},
        {{""}, "the data file name is empty"},
        {{"--frobnicate", "f"}, "unknown option '--frobnicate'"},
        {{"-x", "f"}, "unknown option '-x'"},
        {{"-oo", "f"}, "unknown option '-oo'"},
        // Stricter than getopt_long: no abbreviations, no value or flag joined to a short option.
        {{"--thr", "4", "f"}, "unknown option '--thr'"},
        {{"-ofile", "f"}, "unknown option '-ofile'"},
        {{"-hV"}, "unknown option '-hV'"},
        {{"f", "--var1"}, "option '--var1' needs a value"},
        {{"--var1", "2", "--var1", "3", "f"}, "option '--var1' was given twice"},
        {{"-o", "a", "--output", "b", "f"}, "option '--output' was given twice"},
        {{"--var1", "0", "f"}, "--var1 must be a column number from 1, not '0'"},
        {{"--var2", "-1", "f"}, "--var2 must be a column number from 1, not '-1'"},
        {{"--var2", "2147483648", "f"}, "--var2 must be a column number from 1, not '2147483648'"},
        // No data set has more than 1000 columns.
        {{"--var1", "1001", "--var2", "1", "f"},
         "--var1 names column 1001, beyond the 1000 a data set can have"},
        {{"--var2", "2147483647", "f"},
         "--var2 names column 2147483647, beyond the 1000 a data set can have"},
        {{"--descriptives", "1,1000-1001", "f"},
         "--descriptives names column 1001, beyond the 1000 a data set can have"},
        {{"--level", "80", "f"}, "--level must be 90, 95 or 99, not '80'"},
        {{"--level", "0.95", "f"}, "--level must be 90, 95 or 99, not '0.95'"},
        {{"--sd-from", "3", "f"}, "--sd-from must be 1 or 2, not '3'"},
        {{"--delimiter", "pipe", "f"},
         "--delimiter must be space, comma, tab, semicolon or whitespace, not 'pipe'"},
        {{"--seed", "-1", "f"},
         "--seed must be a whole number from 0 to 18446744073709551615, not '-1'"},
        {{"--seed", "18446744073709551616", "f"},
         "--seed must be a whole number from 0 to 18446744073709551615, not "
         "'18446744073709551616'"},
        {{"--threads", "257", "f"}, "--threads must be a whole number from 0 to 256, not '257'"},
        {{"--arithmetic", "Double", "f"},
         "--arithmetic must be auto, single or double, not 'Double'"},
        {{"--descriptives", "3-1", "f"},
         "--descriptives must be a list of columns such as 1,3-5, not '3-1'"},
        {{"--output", "", "f"}, "--output needs a file name"},
        {{"--help=yes", "f"}, "option '--help' takes no value"},
        {{"--bootstrap-out", "t.csv", "f"},
         "--bootstrap-out needs the effect-size analysis (--var1 and --var2)"},
        {{"--plot", "p.svg", "f"}, "--plot needs the effect-size analysis (--var1 and --var2)"},
        {{"--paired", "f"}, "--paired needs the effect-size analysis (--var1 and --var2)"},
        {{"--paired=1", "f"}, "option '--paired' takes no value"},
        {{"--var1", "1", "--var2", "2", "--plot=", "f"}, "--plot needs a file name"},
        // The first fault is the one reported.
        {{"--level", "1", "--trials", "0", "f"}, "--level must be 90, 95 or 99, not '1'"},
    };
    for (const Case& c : cases) {
        const ParseOutcome p = parseBatchArguments(c.args);
        EXPECT_EQ(p.status, ParseStatus::UsageError) << c.error;
        EXPECT_EQ(p.error, c.error);
    }
    const ParseOutcome widest =
        parseBatchArguments({"--var1", "1000", "--var2", "1", "--descriptives", "1000", "f"});
    EXPECT_EQ(widest.status, ParseStatus::Run) << widest.error;
}

TEST(BatchOptions, HelpAndVersionWinOverOtherFaults) {
    EXPECT_EQ(parseBatchArguments({"--trials", "0", "--help"}).status, ParseStatus::Help);
    EXPECT_EQ(parseBatchArguments({"-h"}).status, ParseStatus::Help);
    EXPECT_EQ(parseBatchArguments({"a", "b", "-V"}).status, ParseStatus::Version);
    EXPECT_EQ(parseBatchArguments({"--version"}).status, ParseStatus::Version);
    EXPECT_EQ(parseBatchArguments({"--out", "--help"}).status, ParseStatus::Help);
    EXPECT_NE(batchUsageText().find("Usage: velmora-batch [options] DATAFILE\n"),
              std::string::npos);
    EXPECT_NE(batchUsageText().find("Example:\n  velmora-batch --var1 1 --var2 2"),
              std::string::npos);
    EXPECT_EQ(batchVersionText().rfind("velmora-batch ", 0), 0u);
}

TEST(BatchColumnList, AcceptsColumnsAndRangesSeparatedByCommas) {
    struct Case {
        const char* text;
        std::vector<std::int32_t> columns;
    };
    const std::vector<Case> cases = {
        {"1", {1}},
        {"1,3-5", {1, 3, 4, 5}},
        {"5,1-3,2", {1, 2, 3, 5}},  // sorted, each column once
        {"7-7", {7}},
        {"1000", {1000}},
        {"2,2,2", {2}},
    };
    for (const Case& c : cases) {
        const auto ranges = parseColumnList(c.text);
        ASSERT_TRUE(ranges) << c.text;
        EXPECT_EQ(expandColumns(*ranges), c.columns) << c.text;
    }
    const auto wide = parseColumnList("3,1-2000000000");
    ASSERT_TRUE(wide);
    EXPECT_EQ(highestColumn(*wide), 2000000000);
}

TEST(BatchColumnList, RefusesMalformedLists) {
    for (const char* bad : {"", ",", "1,", ",1", "1,,2", "0", "0-3", "3-1", "1-", "-2", "a",
                            "1-2-3", "1 ,2", "+1", "1.5", "2147483648"}) {
        EXPECT_FALSE(parseColumnList(bad)) << "'" << bad << "'";
    }
}

}  // namespace
}  // namespace velmora::batch
