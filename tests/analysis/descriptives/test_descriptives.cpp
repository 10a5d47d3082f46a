#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "analysis/descriptives/descriptives.h"
#include "analysis/descriptives/descriptives_analysis.h"
#include "analysis/descriptives/descriptives_report.h"

namespace velmora {
namespace {

// A data set holding `values` in `column`, one case per value.
DataSet columnOf(std::int32_t column, std::initializer_list<float> values) {
    DataSet data;
    data.g_lngNumCases = static_cast<std::int32_t>(values.size());
    data.g_lngNumVariables = column;
    data.g_sngData = DataMatrix(data.g_lngNumCases);
    std::int32_t i = 1;
    for (float v : values) data.g_sngData.set(i++, column, v);
    return data;
}

// The table line of one row as the report prints it (without CR LF).
std::string rowLine(const DataSet& data, std::int32_t column) {
    const auto row = ComputeDescriptiveRow(data, column);
    EXPECT_TRUE(row.has_value());
    if (!row) return {};
    const std::string report = BuildDescriptivesReport({*row});
    // Line 5 of a one-row report.
    std::size_t pos = 0;
    for (int line = 1; line < 5; ++line) pos = report.find("\r\n", pos) + 2;
    return report.substr(pos, report.find("\r\n", pos) - pos);
}

TEST(DescriptivesRow, ValuesOneTwoFourInVariableThreeGiveTheDocumentedRow) {
    const DataSet data = columnOf(3, {1.0f, 2.0f, 4.0f});
    EXPECT_EQ(rowLine(data, 3),
              "Var 3     "
              "     2.333"
              "     1.528"
              "         1"
              "         4"
              "         3");
    const auto row = ComputeDescriptiveRow(data, 3);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->lngN, 3);
    EXPECT_DOUBLE_EQ(*row->dblMean, 2.333);
    EXPECT_DOUBLE_EQ(*row->dblSD, 1.528);
}

TEST(DescriptivesRow, VariableWithoutValuesShowsDotsAndZeroCount) {
    const DataSet data = columnOf(2, {9999999.0f, 9999999.0f});
    EXPECT_EQ(rowLine(data, 2),
              "Var 2     "
              "         ."
              "         ."
              "         ."
              "         ."
              "         0");
    // No cases at all behaves the same.
    DataSet empty;
    empty.g_sngData = DataMatrix(0);
    const auto row = ComputeDescriptiveRow(empty, 1);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->lngN, 0);
    EXPECT_FALSE(row->dblMean || row->dblSD || row->sngMin || row->sngMax);
}

TEST(DescriptivesRow, SingleValueHasMeanMinMaxButNoSd) {
    const DataSet data = columnOf(1, {9999999.0f, 7.25f, 9999999.0f});
    EXPECT_EQ(rowLine(data, 1),
              "Var 1     "
              "      7.25"
              "         ."
              "      7.25"
              "      7.25"
              "         1");
}

TEST(DescriptivesRow, MissingCodeIsSkippedButZerosCount) {
    // Three cases; column 1 holds 1, missing, 4; column 3 holds 3 and two zeros.
    DataSet data;
    data.g_lngNumCases = 3;
    data.g_lngNumVariables = 3;
    data.g_sngData = DataMatrix(3);
    data.g_sngData.set(1, 1, 1.0f);
    data.g_sngData.set(1, 2, 2.0f);
    data.g_sngData.set(1, 3, 3.0f);
    data.g_sngData.set(2, 1, 9999999.0f);
    data.g_sngData.set(2, 2, 5.0f);
    data.g_sngData.set(3, 1, 4.0f);

    EXPECT_EQ(rowLine(data, 1),
              "Var 1     "
              "       2.5"
              "     2.121"
              "         1"
              "         4"
              "         2");
    EXPECT_EQ(rowLine(data, 3),
              "Var 3     "
              "         1"
              "     1.732"
              "         0"
              "         3"
              "         3");
}

TEST(DescriptivesRow, LongNumbersTakeTheFixedOrExponentFormThatFitsNineCharacters) {
    // Mean 123456.789 (the double text "123456.789") keeps its whole part and
    // the two decimals that fit; Min/Max "123456.8" fit.
    EXPECT_EQ(rowLine(columnOf(1, {123456.789f}), 1),
              "Var 1     "
              " 123456.79"
              "         ."
              "  123456.8"
              "  123456.8"
              "         1");
    // 12345678 is "1.234568E+07" as a single, but a plain 8-digit double.
    EXPECT_EQ(rowLine(columnOf(1, {12345678.0f}), 1),
              "Var 1     "
              "  12345678"
              "         ."
              "  12345678"
              "  12345678"
              "         1");
    // "-0.1234567" is one character too long.
    EXPECT_EQ(rowLine(columnOf(1, {-0.1234567f}), 1),
              "Var 1     "
              "    -0.123"
              "         ."
              " -1.23E-01"
              " -1.23E-01"
              "         1");
}

// In double arithmetic nothing overflows, so the largest singles reach the table.
TEST(DescriptivesCommand, HugeTinyAndLongNumbersInDoubleArithmeticPrintFitted) {
    // Column 1: -123456789 twice (the single -123456792). Column 2: 1.7E38 (the
    // single 1.69999997607218E+38) and 1.7014117E38 (1.70141173319264E+38):
    // mean 1.70070585463241E+38, SD their distance over sqrt 2,
    // 9.98263033267197E+34. Column 3: 1E-05 twice. Single precision fails all
    // three: the squares of columns 1 and 3 are not singles, so their one-pass
    // variance is not the true 0, and column 2's sum of squares overflows.
    DataSet data;
    data.g_lngNumCases = 2;
    data.g_lngNumVariables = 3;
    data.g_sngData = DataMatrix(2);
    for (std::int32_t k = 1; k <= 2; ++k) {
        data.g_sngData.set(k, 1, -123456789.0f);
        data.g_sngData.set(k, 2, k == 1 ? 1.7E38f : 1.7014117E38f);
        data.g_sngData.set(k, 3, 1E-05f);
    }
    const DescriptivesRun run =
        RunDescriptivesAnalysis(data, {true, true, true}, Arithmetic::Double);
    ASSERT_EQ(run.status, DescriptivesStatus::Completed);
    const std::string rule(60, '-');
    const std::string table =
        "Var 1      -1.23E+08         0 -1.23E+08 -1.23E+08         2\r\n"
        "Var 2      1.701E+38 9.983E+34   1.7E+38 1.701E+38         2\r\n"
        "Var 3              0         0     1E-05     1E-05         2\r\n";
    EXPECT_EQ(run.report,
              "DESCRIPTIVES\r\n" + rule + "\r\n" +
                  "Name            Mean        SD       Min       Max         N\r\n" + rule +
                  "\r\n" + table + rule +
                  "\r\nComputed in double precision: Var 1, Var 2, Var 3.\r\n\r\n\r\n\r\n");
}

TEST(DescriptivesRow, EqualValuesWhoseVarianceTermRoundsNegativeGiveSdZero) {
    // With singles the one-pass term for three 0.1 is about -1.2E-09.
    const DataSet data = columnOf(4, {0.1f, 0.1f, 0.1f});
    const auto row = ComputeDescriptiveRow(data, 4);
    ASSERT_TRUE(row);
    ASSERT_TRUE(row->dblSD);
    EXPECT_EQ(*row->dblSD, 0.0);
    EXPECT_EQ(rowLine(data, 4),
              "Var 4     "
              "       0.1"
              "         0"
              "       0.1"
              "       0.1"
              "         3");
}

TEST(DescriptivesRow, RunningSumsAreSinglePrecision) {
    // 2^24 + 1 + 1 stays 2^24 in a single accumulator: the mean is 2^24 / 3,
    // not 16777218 / 3 = 5592406. The SD is sqrt(2^48 / 3) = 9686330.17385.
    // Each keeps its whole part and the one decimal that fits.
    EXPECT_EQ(rowLine(columnOf(1, {16777216.0f, 1.0f, 1.0f}), 1),
              "Var 1     "
              " 5592405.3"
              " 9686330.2"
              "         1"
              "  16777216"
              "         3");
}

TEST(DescriptivesRow, ThirdDecimalRoundsHalfToEven) {
    const auto quarter = ComputeDescriptiveRow(columnOf(1, {0.0625f}), 1);  // exact binary half
    ASSERT_TRUE(quarter);
    EXPECT_EQ(*quarter->dblMean, 0.062);
    const auto threeSixteenths = ComputeDescriptiveRow(columnOf(1, {0.1875f}), 1);
    ASSERT_TRUE(threeSixteenths);
    EXPECT_EQ(*threeSixteenths->dblMean, 0.188);
    // A tiny negative mean rounds to zero and prints without a sign.
    EXPECT_EQ(DescriptiveCellTexts(*ComputeDescriptiveRow(columnOf(1, {-0.0004f}), 1))[1], "0");
}

TEST(DescriptivesRow, MinAndMaxAreUnroundedExtremesFromTheFirstPresentValue) {
    const DataSet data = columnOf(2, {9999999.0f, -3.0f, 5.0f, -7.0f, 1.23456f, 9999999.0f});
    const auto row = ComputeDescriptiveRow(data, 2);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->lngN, 4);
    EXPECT_EQ(*row->sngMin, -7.0f);
    EXPECT_EQ(*row->sngMax, 5.0f);
    // A first present value that stays the maximum.
    const auto falling = ComputeDescriptiveRow(columnOf(1, {9999999.0f, 1.23456f, 0.5f}), 1);
    ASSERT_TRUE(falling);
    EXPECT_EQ(*falling->sngMax, 1.23456f);
    EXPECT_EQ(*falling->sngMin, 0.5f);
    EXPECT_EQ(DescriptiveCellTexts(*falling)[4], "1.23456");
}

TEST(DescriptivesRow, SumsBeyondTheSingleRangeAreAnArithmeticFault) {
    // The sum of two 3E38 leaves the range.
    EXPECT_FALSE(ComputeDescriptiveRow(columnOf(1, {3e38f, 3e38f}), 1));
    // 1.5E19 squared is 2.25E38; twice that leaves the range.
    EXPECT_TRUE(ComputeDescriptiveRow(columnOf(1, {1.5e19f}), 1));
    EXPECT_FALSE(ComputeDescriptiveRow(columnOf(1, {1.5e19f, 1.5e19f}), 1));
    // A square that alone is beyond the range.
    EXPECT_FALSE(ComputeDescriptiveRow(columnOf(1, {2e19f}), 1));
}

TEST(DescriptivesReport, LaysOutTitleRulesHeaderRowsAndThreeEmptyLines) {
    DescriptiveRow a;
    a.lngColumn = 1;
    a.lngN = 0;
    DescriptiveRow b;
    b.lngColumn = 1000;
    b.lngN = 2;
    b.dblMean = -1.5;
    b.dblSD = 0.25;
    b.sngMin = -2.0f;
    b.sngMax = 0.00001f;
    const std::string rule(60, '-');
    const std::string expected =
        "DESCRIPTIVES\r\n" + rule + "\r\n" +
        "Name            Mean        SD       Min       Max         N\r\n" + rule + "\r\n" +
        "Var 1              .         .         .         .         0\r\n" +
        "Var 1000        -1.5      0.25        -2     1E-05         2\r\n" + rule + "\r\n" +
        "\r\n\r\n\r\n";
    EXPECT_EQ(BuildDescriptivesReport({a, b}), expected);
}

TEST(DescriptivesReport, HasKPlusEightLinesOfSixtyCharacters) {
    for (std::size_t k : {1u, 3u, 10u}) {
        std::vector<DescriptiveRow> rows(k);
        for (std::size_t i = 0; i < k; ++i) rows[i].lngColumn = static_cast<std::int32_t>(i + 1);
        const std::string report = BuildDescriptivesReport(rows);
        std::size_t lines = 0;
        std::size_t start = 0;
        for (std::size_t pos; (pos = report.find("\r\n", start)) != std::string::npos;
             start = pos + 2) {
            const std::size_t length = pos - start;
            const bool tableLine = lines >= 1 && lines < 5 + k;
            if (tableLine) {
                EXPECT_EQ(length, 60u) << "line " << lines + 1;
            }
            ++lines;
        }
        EXPECT_EQ(start, report.size());  // ends with CR LF
        EXPECT_EQ(lines, k + 8);
        EXPECT_EQ(report.substr(report.size() - 8), "\r\n\r\n\r\n\r\n");
    }
}

// Three cases: column 1 holds 1, 2, 4; column 2 overflows its sum; column 3
// is missing throughout.
DataSet threeColumns() {
    DataSet data;
    data.g_lngNumCases = 3;
    data.g_lngNumVariables = 3;
    data.g_sngData = DataMatrix(3);
    const float column1[] = {1.0f, 2.0f, 4.0f};
    for (std::int32_t k = 1; k <= 3; ++k) {
        data.g_sngData.set(k, 1, column1[k - 1]);
        data.g_sngData.set(k, 2, 3e38f);
        data.g_sngData.set(k, 3, MISSING_VALUE);
    }
    return data;
}

TEST(DescriptivesCommand, TicksOfTheFirstAndThirdItemGiveTheirRowsInOrder) {
    const DescriptivesRun run = RunDescriptivesAnalysis(threeColumns(), {true, false, true});
    ASSERT_EQ(run.status, DescriptivesStatus::Completed);
    const std::string rule(60, '-');
    EXPECT_EQ(run.report, "DESCRIPTIVES\r\n" + rule + "\r\n" +
                              "Name            Mean        SD       Min       Max         N\r\n" +
                              rule + "\r\n" +
                              "Var 1          2.333     1.528         1         4         3\r\n" +
                              "Var 3              .         .         .         .         0\r\n" +
                              rule + "\r\n\r\n\r\n\r\n");
}

TEST(DescriptivesCommand, SelectionStopsAtTheDataSetsVariableCount) {
    struct Case {
        const char* name;
        std::int32_t numVariables;
        std::vector<bool> ticked;
        std::vector<std::int32_t> columns;  // empty: the no-items message
    };
    const Case cases[] = {
        {"ticks past the count are ignored", 1, {false, false, true}, {}},
        {"a shorter list counts as far as it goes", 3, {true}, {1}},
        {"no variables under a longer list", 0, {true, true, true}, {}},
        {"nothing ticked", 3, {false, false, false}, {}},
        {"no list at all", 3, {}, {}},
        {"the last item inside the count", 3, {false, false, true}, {3}},
    };
    for (const Case& c : cases) {
        DataSet data = threeColumns();
        data.g_lngNumVariables = c.numVariables;
        const DescriptivesRun run = RunDescriptivesAnalysis(data, c.ticked);
        std::vector<std::int32_t> columns;
        for (const DescriptiveRow& row : run.rows) columns.push_back(row.lngColumn);
        EXPECT_EQ(columns, c.columns) << c.name;
        if (c.columns.empty()) {
            EXPECT_EQ(run.status, DescriptivesStatus::NoItems) << c.name;
            EXPECT_EQ(run.message, "At least one item must be selected.") << c.name;
            EXPECT_EQ(run.report, "") << c.name;
        }
    }
}

TEST(DescriptivesCommand, OverflowInAnyRowGivesNoRowsAndNamesTheColumn) {
    const DescriptivesRun run = RunDescriptivesAnalysis(threeColumns(), {true, true, true});
    EXPECT_EQ(run.status, DescriptivesStatus::Fault);
    EXPECT_EQ(run.lngFaultColumn, 2);
    EXPECT_TRUE(run.rows.empty());
    EXPECT_EQ(run.report, "");
}

TEST(DescriptivesCommand, ColumnsSinglePrecisionFailsForAreComputedInDoublePrecisionAndNamed) {
    // Thirty cases. Column 1: 1..9 (mean 5, variance 206/29). Column 3: values
    // around 60000 (mean 60001.4, variance 4666/145 = 5.673^2), whose one-pass
    // term in single precision is -280.1. Column 7: three values 0.1, whose
    // term is -6E-10. Both negative terms print as SD 0.
    DataSet data;
    data.g_lngNumCases = 30;
    data.g_lngNumVariables = 7;
    data.g_sngData = DataMatrix(30);
    const float large[] = {59995, 60002, 59994, 59992, 59995, 60006, 59997, 59999, 60004, 60000,
                           60004, 60007, 60003, 60009, 60002, 60008, 60009, 60004, 60009, 59998,
                           60001, 59991, 59999, 59996, 60001, 60008, 60009, 60009, 59994, 59997};
    for (std::int32_t k = 1; k <= 30; ++k) {
        data.g_sngData.set(k, 1, static_cast<float>(((k - 1) * 7) % 9 + 1));
        data.g_sngData.set(k, 3, large[k - 1]);
        data.g_sngData.set(k, 7, k <= 3 ? 0.1f : MISSING_VALUE);
    }
    const std::vector<bool> ticks = {true, false, true, false, false, false, true};
    const std::string rule(60, '-');
    const std::string head = "DESCRIPTIVES\r\n" + rule + "\r\n" +
                             "Name            Mean        SD       Min       Max         N\r\n" +
                             rule + "\r\n" +
                             "Var 1              5     2.665         1         9        30\r\n";
    const std::string tenths = "Var 7            0.1         0       0.1       0.1         3\r\n";
    struct Case {
        Arithmetic arithmetic;
        std::string report;
    };
    const Case cases[] = {
        {Arithmetic::Single,
         head + "Var 3        60001.4         0     59991     60009        30\r\n" + tenths + rule +
             "\r\n\r\n\r\n\r\n"},
        {Arithmetic::Auto,
         head + "Var 3        60001.4     5.673     59991     60009        30\r\n" + tenths + rule +
             "\r\nComputed in double precision: Var 3, Var 7.\r\n\r\n\r\n\r\n"},
    };
    for (const Case& c : cases) {
        const DescriptivesRun run = RunDescriptivesAnalysis(data, ticks, c.arithmetic);
        ASSERT_EQ(run.status, DescriptivesStatus::Completed);
        EXPECT_EQ(run.report, c.report);
    }
    // Double precision throughout: the same figures here, and the same verdicts.
    EXPECT_EQ(RunDescriptivesAnalysis(data, ticks, Arithmetic::Double).report, cases[1].report);
}

TEST(DescriptivesRow, OnesBeyondTwoToTheTwentyFourAreCountedInDoublePrecision) {
    // 2^25 values 1: the single running sums stop at 2^24, so single precision
    // gives mean 0.5 and SD sqrt(2^23 / (2^25 - 1)) = 0.5.
    DataSet data;
    data.g_lngNumCases = 1 << 25;
    data.g_lngNumVariables = 1;
    data.g_sngData = DataMatrix(data.g_lngNumCases);
    float* cells = data.g_sngData.column(1);
    std::fill(cells + 1, cells + data.g_lngNumCases + 1, 1.0f);
    const auto single = ComputeDescriptiveRow(data, 1, Arithmetic::Single);
    ASSERT_TRUE(single);
    EXPECT_EQ(DescriptiveCellTexts(*single)[1], "0.5");
    EXPECT_EQ(DescriptiveCellTexts(*single)[2], "0.5");
    EXPECT_FALSE(single->lostSinglePrecision);
    const auto accurate = ComputeDescriptiveRow(data, 1, Arithmetic::Auto);
    ASSERT_TRUE(accurate);
    EXPECT_TRUE(accurate->lostSinglePrecision);
    EXPECT_EQ(DescriptiveCellTexts(*accurate),
              (std::array<std::string, 6>{"Var 1", "1", "0", "1", "1", "33554432"}));
}

}  // namespace
}  // namespace velmora
