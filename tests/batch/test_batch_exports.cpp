#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch_test_support.h"

namespace velmora::batchtest {
namespace {

const std::string kFixtures = VELMORA_FIXTURES_DIR "/exports/";

// The reports after the import summary (which names the file and its kind).
std::string reportsAfterSummary(const std::string& out) {
    const std::size_t end = out.find("\r\n\r\n\r\n");
    return end == std::string::npos ? std::string() : out.substr(end + 6);
}

ProcessResult runOn(const std::string& delimiter, const std::string& file,
                    const ScratchDir& scratch) {
    return runProcess(VELMORA_BATCH_EXE,
                      {"-d", delimiter, "--var1", "1", "--var2", "2", "--descriptives", "1,2",
                       "--seed", "7", "--trials", "600", kFixtures + file},
                      scratch);
}

// One 30-pair data set with missing cells, written as each tool writes it by
// default: every file gives the plain CSV's Descriptives and effect-size report.
TEST(BatchExports, EveryExportOfTheSameDataGivesTheSameReports) {
    ScratchDir scratch;
    const ProcessResult plain = runOn("comma", "plain.csv", scratch);
    ASSERT_EQ(plain.status, 0) << plain.err;
    const std::string expected = reportsAfterSummary(plain.out);
    ASSERT_NE(expected.find("DESCRIPTIVES"), std::string::npos);
    const std::vector<std::pair<std::string, std::string>> files = {
        {"comma", "r_write_csv.csv"},
        {"space", "r_write_table.txt"},
        {"tab", "r_write_table_tab.tsv"},
        {"comma", "pandas_to_csv.csv"},
        {"comma", "id_column.csv"},
        {"semicolon", "r_write_csv2.csv"},
        {"whitespace", "pandas_to_string.txt"},
        // By content, whatever the delimiter. The SPSS files hold 999, a
        // user-defined missing value, where the CSV has its missing pre of
        // case 4: the same reports show that it is read as missing.
        {"space", "pairs.sav"},
        {"tab", "pairs.zsav"},
        {"comma", "pairs.dta"},
        {"space", "pairs.xpt"},
        {"space", "pairs.sas7bdat"},
    };
    for (const auto& [delimiter, file] : files) {
        SCOPED_TRACE(file);
        const ProcessResult r = runOn(delimiter, file, scratch);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(reportsAfterSummary(r.out), expected);
    }
}

// A quoted name holding the delimiter is one name: the reports show it as the
// same data with that name do when the delimiter needs no quotes (tabs).
TEST(BatchExports, QuotedNameHoldingTheDelimiterIsOneName) {
    ScratchDir scratch;
    const std::string csv = readFile(kFixtures + "plain.csv");
    std::string data = csv.substr(csv.find('\n'));
    for (char& c : data)
        if (c == ',') c = '\t';
    writeFile(scratch.path("tabbed.txt"), "pre, baseline\tpost" + data);
    const ProcessResult plain =
        runProcess(VELMORA_BATCH_EXE,
                   {"-d", "tab", "--var1", "1", "--var2", "2", "--descriptives", "1,2", "--seed",
                    "7", "--trials", "600", scratch.path("tabbed.txt")},
                   scratch);
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_NE(plain.out.find("Var1 = Var 1 (pre, baseline); Var2 = Var 2 (post)"),
              std::string::npos);
    const ProcessResult quoted = runOn("comma", "quoted_names.csv", scratch);
    EXPECT_EQ(quoted.status, 0) << quoted.err;
    EXPECT_EQ(reportsAfterSummary(quoted.out), reportsAfterSummary(plain.out));
}

TEST(BatchExports, SummaryNamesTheFormatAndFilesThatAreNoTextSayWhatTheyAre) {
    ScratchDir scratch;
    const ProcessResult sav = runOn("space", "pairs.sav", scratch);
    EXPECT_EQ(sav.out.substr(0, sav.out.find("\r\n")),
              "Opened the SPSS data file: " + kFixtures + "pairs.sav");
    EXPECT_NE(sav.out.find("Text variables (not analysed): Var 3 = id\r\n"), std::string::npos);

    const ProcessResult xlsx = runOn("comma", "pairs.xlsx", scratch);
    EXPECT_EQ(xlsx.status, 1);
    EXPECT_EQ(xlsx.out, "");
    EXPECT_EQ(xlsx.err, "The data file '" + kFixtures +
                            "pairs.xlsx' is a spreadsheet workbook, not a text file: save the "
                            "sheet as CSV.\n");
}

// A name in Latin-1 reads as that text, so the UTF-8 argument names it.
TEST(BatchExports, Latin1NameIsShownAndMatchedAsItsText) {
    ScratchDir scratch;
    writeFile(scratch.path("l1.csv"), "caf\xE9,b\n1,2\n3,5\n");
    const ProcessResult r = runProcess(
        VELMORA_BATCH_EXE, {"-d", "comma", "--descriptives", "caf\xC3\xA9", scratch.path("l1.csv")},
        scratch);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Variable names: Var 1 = caf\xC3\xA9, Var 2 = b\r\n"), std::string::npos);
}

}  // namespace
}  // namespace velmora::batchtest
