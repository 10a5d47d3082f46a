#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "data/delimited_import.h"
#include "support/scratch_directory.h"

namespace velmora {
namespace {

constexpr float M = MISSING_VALUE;

struct Imported {
    ImportResult result;
    DataSet data;
};

Imported importText(const std::string& text, char delimiter) {
    Imported out;
    out.result = importDelimitedText(text, delimiter, out.data);
    return out;
}

// The cells (i, 1..width) of rows 1..rows.
std::vector<std::vector<float>> cells(const DataSet& data, int rows, int width) {
    std::vector<std::vector<float>> grid;
    for (int i = 1; i <= rows; ++i) {
        std::vector<float> row;
        for (int j = 1; j <= width; ++j) row.push_back(data.cell(i, j));
        grid.push_back(row);
    }
    return grid;
}

using Grid = std::vector<std::vector<float>>;

// An earlier, complete data set: 2 cases of 2 variables.
DataSet earlierDataSet() {
    DataSet data;
    EXPECT_EQ(importDelimitedText("7 8\r\n9 10", ' ', data).status, ImportStatus::Completed);
    return data;
}

void expectEarlierDataSetKept(const DataSet& data) {
    EXPECT_EQ(data.g_lngNumCases, 2);
    EXPECT_EQ(data.g_lngNumVariables, 2);
    ASSERT_EQ(data.g_sngData.caseCapacity(), 2);
    EXPECT_EQ(data.g_sngData(1, 1), 7.0f);
    EXPECT_EQ(data.g_sngData(1, 2), 8.0f);
    EXPECT_EQ(data.g_sngData(2, 1), 9.0f);
    EXPECT_EQ(data.g_sngData(2, 2), 10.0f);
}

TEST(DelimitedImport, SpaceDelimiterNeitherTrimsNorMergesBlanks) {
    Imported two = importText("1  2", ' ');
    ASSERT_EQ(two.result.status, ImportStatus::Completed);
    EXPECT_EQ(two.data.g_lngNumCases, 1);
    EXPECT_EQ(two.data.g_lngNumVariables, 3);
    EXPECT_EQ(cells(two.data, 1, 3), (Grid{{1, M, 2}}));

    Imported blanks = importText("   ", ' ');
    ASSERT_EQ(blanks.result.status, ImportStatus::Completed);
    EXPECT_EQ(blanks.data.g_lngNumVariables, 4);
    EXPECT_EQ(cells(blanks.data, 1, 4), (Grid{{M, M, M, M}}));

    // The trailing blank of line 2 makes a missing third field and a third variable.
    Imported trailing = importText("1 2\r\n3 4 ", ' ');
    ASSERT_EQ(trailing.result.status, ImportStatus::Completed);
    EXPECT_EQ(trailing.data.g_lngNumVariables, 3);
    EXPECT_EQ(cells(trailing.data, 2, 3), (Grid{{1, 2, M}, {3, 4, M}}));
}

TEST(DelimitedImport, LeadingAndTrailingDelimitersMakeMissingFields) {
    for (char delimiter : {',', '\t'}) {
        std::string text = "1,2,\r\n,5";
        for (char& c : text)
            if (c == ',') c = delimiter;
        Imported r = importText(text, delimiter);
        ASSERT_EQ(r.result.status, ImportStatus::Completed) << int(delimiter);
        EXPECT_EQ(r.data.g_lngNumCases, 2);
        EXPECT_EQ(r.data.g_lngNumVariables, 3);
        EXPECT_EQ(cells(r.data, 2, 3), (Grid{{1, 2, M}, {M, 5, M}})) << int(delimiter);
    }
}

TEST(DelimitedImport, BlankFieldRulesWithCommaAndTab) {
    for (char delimiter : {',', '\t'}) {
        const std::string d(1, delimiter);
        // One blank is missing, a number may carry blanks around it, a lone "." is missing.
        Imported ok = importText(" " + d + " 12 " + d + "." + d + "" + d + "-3.5 ", delimiter);
        ASSERT_EQ(ok.result.status, ImportStatus::Completed) << int(delimiter);
        EXPECT_EQ(cells(ok.data, 1, 5), (Grid{{M, 12, M, M, -3.5f}}));

        for (const std::string bad : {"  ", " . ", ". ", " .", "abc", "-", "1,5x", "1e"}) {
            if (bad.find(delimiter) != std::string::npos) continue;
            Imported r = importText("1" + d + bad + d + "3", delimiter);
            EXPECT_EQ(r.result.status, ImportStatus::InvalidEntry) << '"' << bad << '"';
            EXPECT_EQ(r.result.row, 1);
            EXPECT_EQ(r.result.column, 2) << '"' << bad << '"';
        }
    }
    // With the comma, tabs around a number are white space too, but a tab
    // alone is neither a number nor one of the missing forms.
    Imported ws = importText("\t12\t,7", ',');
    ASSERT_EQ(ws.result.status, ImportStatus::Completed);
    EXPECT_EQ(cells(ws.data, 1, 2), (Grid{{12, 7}}));
    EXPECT_EQ(importText("1,\t", ',').result.status, ImportStatus::InvalidEntry);
}

TEST(DelimitedImport, BlankLinesAreCasesOfMissingCellsAndCountInRowNumbers) {
    Imported r = importText("1 2\r\n\r\n3 4\r\n\r\n", ' ');
    ASSERT_EQ(r.result.status, ImportStatus::Completed);
    EXPECT_EQ(r.data.g_lngNumCases, 4);  // the final blank line counts, the end after it does not
    EXPECT_EQ(r.data.g_lngNumVariables, 2);
    EXPECT_EQ(cells(r.data, 4, 2), (Grid{{1, 2}, {M, M}, {3, 4}, {M, M}}));

    Imported bad = importText("1\r\n\r\n2 abc", ' ');
    EXPECT_EQ(bad.result.status, ImportStatus::InvalidEntry);
    EXPECT_EQ(bad.result.row, 3);
    EXPECT_EQ(bad.result.column, 2);
}

TEST(DelimitedImport, LfCrLfAndLoneCrEndLinesAlike) {
    // The same three cases, the second one blank, under every kind of line end.
    const std::vector<std::string> texts = {
        "1 2\n\n3 4\n", "1 2\r\n\r\n3 4\r\n", "1 2\r\r3 4\r",
        "1 2\n\r\n3 4", "1 2\r\n\r3 4\n",     "1 2\r\r\n3 4\r\n",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(::testing::PrintToString(text));
        Imported r = importText(text, ' ');
        ASSERT_EQ(r.result.status, ImportStatus::Completed);
        EXPECT_EQ(r.data.g_lngNumCases, 3);
        EXPECT_EQ(r.data.g_lngNumVariables, 2);
        EXPECT_EQ(cells(r.data, 3, 2), (Grid{{1, 2}, {M, M}, {3, 4}}));
    }
    Imported one = importText("1 2\n", ' ');
    ASSERT_EQ(one.result.status, ImportStatus::Completed);
    EXPECT_EQ(one.data.g_lngNumCases, 1);
    EXPECT_EQ(cells(one.data, 1, 2), (Grid{{1, 2}}));

    // An LF ends the line right after a number and after an empty field.
    Imported comma = importText("1,\n,2\n", ',');
    ASSERT_EQ(comma.result.status, ImportStatus::Completed);
    EXPECT_EQ(cells(comma.data, 2, 2), (Grid{{1, M}, {M, 2}}));

    Imported rows = importText("1\n2\r\n3\rx", ' ');
    EXPECT_EQ(rows.result.status, ImportStatus::InvalidEntry);
    EXPECT_EQ(rows.result.row, 4);
}

TEST(DelimitedImport, ShortLinesLeaveMissingCellsBeyondTheirLastField) {
    Imported r = importText("1 2 3\r\n4\r\n5 6", ' ');
    ASSERT_EQ(r.result.status, ImportStatus::Completed);
    EXPECT_EQ(r.data.g_lngNumVariables, 3);
    EXPECT_EQ(cells(r.data, 3, 3), (Grid{{1, 2, 3}, {4, M, M}, {5, 6, M}}));
    // Only variables that occur are stored.
    EXPECT_EQ(r.data.g_sngData.storedColumns(), 3u);

    // A variable that first appears on a later line is missing on the lines before.
    Imported wide = importText("1\r\n\r\n2 3 4", ' ');
    ASSERT_EQ(wide.result.status, ImportStatus::Completed);
    EXPECT_EQ(cells(wide.data, 3, 3), (Grid{{1, M, M}, {M, M, M}, {2, 3, 4}}));
}

TEST(DelimitedImport, NumberTextsBecomeTheirNearestSingles) {
    Imported r = importText("1.5e3 -.5 +7 5. 007 1e-50 0.1 16777217 9999999", ' ');
    ASSERT_EQ(r.result.status, ImportStatus::Completed);
    EXPECT_EQ(cells(r.data, 1, 9), (Grid{{1500, -0.5f, 7, 5, 7, 0, 0.1f, 16777216, M}}));
    EXPECT_TRUE(isMissing(r.data.cell(1, 9)));  // 9999999 in the file is the missing code

    // The same texts cut by comma, where a blank after a number takes the general route.
    Imported c = importText("1.5e3 ,-.5, +7,5.,007\t,1e-50", ',');
    ASSERT_EQ(c.result.status, ImportStatus::Completed);
    EXPECT_EQ(cells(c.data, 1, 6), (Grid{{1500, -0.5f, 7, 5, 7, 0}}));

    // Just above the midpoint of 1 and 1 + 2^-23: the nearest single is the upper one.
    Imported mid = importText("1.00000005960464477539062501", ' ');
    ASSERT_EQ(mid.result.status, ImportStatus::Completed);
    EXPECT_EQ(mid.data.cell(1, 1), 1.00000011920928955078125f);
}

// Fields of every length side by side on long lines, and a number whose
// eight-character window reaches into the next line.
TEST(DelimitedImport, FieldsOfEveryLengthOnLongLines) {
    Imported r = importText(
        "1 22 333 4444 55555 666666 7777777 88888888 999999999 1.5 0.0625 4096.0625\r\n"
        "1\r\n23456789 8\r\n"
        "16777215,0.00390625\r12345678.",
        ' ');
    ASSERT_EQ(r.result.status, ImportStatus::InvalidEntry);  // the comma is no delimiter here
    EXPECT_EQ(r.result.row, 4);
    EXPECT_EQ(r.result.column, 1);

    Imported ok = importText(
        "1 22 333 4444 55555 666666 7777777 88888888 999999999 1.5 0.0625 4096.0625\r\n"
        "1\r\n23456789 8\r\n"
        "16777215 0.00390625\r12345678.",
        ' ');
    ASSERT_EQ(ok.result.status, ImportStatus::Completed);
    EXPECT_EQ(ok.data.g_lngNumCases, 5);
    EXPECT_EQ(ok.data.g_lngNumVariables, 12);
    // Singles between 2^26 and 2^27 are 8 apart and 88888888 = 8 * 11111111 is
    // one; between 2^29 and 2^30 they are 64 apart, and 999999999 = 64 *
    // 15624999.98 rounds to 1000000000. Between 2^24 and 2^25 they are 2 apart:
    // 23456789 is a tie between 23456788 and 23456790, and the even 23456788 wins.
    EXPECT_EQ(cells(ok.data, 1, 12), (Grid{{1, 22, 333, 4444, 55555, 666666, 7777777, 88888888.0f,
                                            1000000000.0f, 1.5f, 0.0625f, 4096.0625f}}));
    EXPECT_EQ(
        cells(ok.data, 5, 2),
        (Grid{{1, 22}, {1, M}, {23456788.0f, 8}, {16777215.0f, 0.00390625f}, {12345678.0f, M}}));
}

TEST(DelimitedImport, DelimiterThatCanBePartOfANumberStillCutsFirst) {
    Imported dot = importText("1.5.", '.');
    ASSERT_EQ(dot.result.status, ImportStatus::Completed);
    EXPECT_EQ(cells(dot.data, 1, 3), (Grid{{1, 5, M}}));  // the empty last field is missing
    Imported minus = importText("3-4e1", '-');
    ASSERT_EQ(minus.result.status, ImportStatus::Completed);
    EXPECT_EQ(cells(minus.data, 1, 2), (Grid{{3, 40}}));
}

TEST(DelimitedImport, EmptyFileIsACompleteImportOfNothing) {
    DataSet data = earlierDataSet();
    const ImportResult r = importDelimitedText("", ' ', data);
    EXPECT_EQ(r.status, ImportStatus::Completed);
    EXPECT_EQ(data.g_lngNumCases, 0);
    EXPECT_EQ(data.g_lngNumVariables, 0);
    EXPECT_TRUE(data.g_sngData.isAllocated());
    EXPECT_EQ(data.g_sngData.caseCapacity(), 0);  // a matrix of case index 0 only
}

std::string fieldsLine(int count, const std::string& last = "") {
    std::string line;
    for (int j = 1; j <= count; ++j) {
        if (j > 1) line += ',';
        line += (j == count && !last.empty()) ? last : std::to_string(j);
    }
    return line;
}

TEST(DelimitedImport, ThousandFieldsImportAndOneMoreEndsTheImport) {
    Imported full = importText(fieldsLine(1000) + "\r\n1", ',');
    ASSERT_EQ(full.result.status, ImportStatus::Completed);
    EXPECT_EQ(full.data.g_lngNumVariables, 1000);
    EXPECT_EQ(full.data.cell(1, 1000), 1000.0f);
    EXPECT_EQ(full.data.cell(2, 1000), M);

    DataSet data = earlierDataSet();
    const ImportResult over = importDelimitedText("1,2\r\n" + fieldsLine(1001), ',', data);
    EXPECT_EQ(over.status, ImportStatus::TooManyFields);
    EXPECT_EQ(over.row, 2);
    expectEarlierDataSetKept(data);

    // Field 1001 ends the import before it is examined ...
    EXPECT_EQ(importText(fieldsLine(1001, "abc"), ',').result.status, ImportStatus::TooManyFields);
    // ... while an invalid field 1000 is reported as such.
    const Imported bad = importText(fieldsLine(1000, "abc"), ',');
    EXPECT_EQ(bad.result.status, ImportStatus::InvalidEntry);
    EXPECT_EQ(bad.result.column, 1000);
    // An invalid field before the 1001st stops the import first.
    const Imported early = importText("1,x," + fieldsLine(1000), ',');
    EXPECT_EQ(early.result.status, ImportStatus::InvalidEntry);
    EXPECT_EQ(early.result.column, 2);
}

TEST(DelimitedImport, InvalidEntryLeavesTheEarlierDataSetUntouched) {
    DataSet data = earlierDataSet();
    const ImportResult r = importDelimitedText("1 2\r\n3 4 5\r\n6 abc 7", ' ', data);
    EXPECT_EQ(r.status, ImportStatus::InvalidEntry);
    EXPECT_EQ(r.row, 3);
    EXPECT_EQ(r.column, 2);
    EXPECT_EQ(invalidEntryMessage(r.row, r.column),
              "Row 3 of Column 2 has an invalid entry for analysis.");
    // Nothing of the new file reached the data set: not 1, 2 or 6 of its first cells.
    expectEarlierDataSetKept(data);
}

TEST(DelimitedImport, NumberBeyondSingleRangeEndsTheImport) {
    DataSet data = earlierDataSet();
    const ImportResult r = importDelimitedText("1\r\n2 -4e38", ' ', data);
    EXPECT_EQ(r.status, ImportStatus::NumberOutOfRange);
    EXPECT_EQ(r.row, 2);
    EXPECT_EQ(r.column, 2);
    expectEarlierDataSetKept(data);
}

TEST(DelimitedImport, SecondImportReplacesTheDataSetWholesale) {
    DataSet data;
    ASSERT_EQ(importDelimitedText("1 2 3\r\n4 5 6\r\n7 8 9", ' ', data).status,
              ImportStatus::Completed);
    ASSERT_EQ(importDelimitedText("42", ' ', data).status, ImportStatus::Completed);
    EXPECT_EQ(data.g_lngNumCases, 1);
    EXPECT_EQ(data.g_lngNumVariables, 1);
    EXPECT_EQ(data.g_sngData.caseCapacity(), 1);
    EXPECT_EQ(data.cell(1, 1), 42.0f);
    EXPECT_EQ(data.g_sngData(1, 2), 0.0f);  // the old variable 2 is gone
    EXPECT_EQ(data.g_sngData.columnData(3), nullptr);
}

TEST(DelimitedImport, KeepsValuesAsWrittenOnlyForVariablesTheirSinglesCannotHold) {
    // A variable keeps them when a value lies further from its single than a
    // two-thousandth of the SD of the singles (any distance without spread).
    struct Case {
        const char* what;
        std::string text;
        char delimiter;
        std::vector<std::int32_t> kept;
        std::vector<double> var1;  // Var 1 as written, when kept
    };
    const Case cases[] = {
        {"tenths near a million beside whole numbers",
         "1000000.1 12\r\n1000000.3 15\r\n1000000.3 1",
         ' ',
         {1},
         {1000000.1, 1000000.3, 1000000.3}},
        {"tenths near ten million, whose singles are all equal",
         "10000000.1\r\n10000000.3",
         ' ',
         {1},
         {10000000.1, 10000000.3}},
        {"missing cells keep the missing code",
         "1000000.1,.\r\n,2\r\n1000000.3,3\r\n9999999,4",
         ',',
         {1},
         {1000000.1, 9999999.0, 1000000.3, 9999999.0}},
        {"equal tenths have no spread", "0.1\r\n0.1", ' ', {1}, {0.1, 0.1}},
        {"whole numbers that singles hold exactly",
         "10000001\r\n10000003\r\n10000002",
         ' ',
         {},
         {}},
        {"ordinary tenths", "1.2\t4\r\n1.1\t5\r\n1.3\t6", '\t', {}, {}},
        {"a single value has no spread to keep", "1000000.1\r\n.", ' ', {}, {}},
    };
    for (const Case& c : cases) {
        const Imported in = importText(c.text, c.delimiter);
        ASSERT_EQ(in.result.status, ImportStatus::Completed) << c.what;
        EXPECT_EQ(in.data.writtenValues.variables(), c.kept) << c.what;
        const auto written = in.data.writtenValues.column(1);
        EXPECT_EQ(std::vector<double>(written.begin(), written.end()), c.var1) << c.what;
        EXPECT_EQ(in.data.writtenValues.bytes(), 8 * c.var1.size()) << c.what;
    }
    // The cells stay the singles.
    EXPECT_EQ(importText(cases[0].text, ' ').data.cell(1, 1), 1000000.125f);
}

TEST(DelimitedImport, SummaryBlockAndInvalidEntryMessageTexts) {
    DataSet data;
    data.g_lngNumCases = 1234;
    data.g_lngNumVariables = 56;
    EXPECT_EQ(buildImportSummary("/data//my file.txt", data),
              "Opened the text file: /data//my file.txt\r\n"
              "Number of Cases: 1234\r\n"
              "Number of Variables: 56\r\n"
              "\r\n"
              "\r\n");
    EXPECT_EQ(buildImportSummary("//x.dat", DataSet{}),
              "Opened the text file: //x.dat\r\nNumber of Cases: 0\r\nNumber of Variables: "
              "0\r\n\r\n\r\n");
    EXPECT_EQ(invalidEntryMessage(1, 1000),
              "Row 1 of Column 1000 has an invalid entry for analysis.");
}

class DelimitedFileImport : public testing::ScratchDirectoryTest {};

TEST_F(DelimitedFileImport, ReadsTheNamedFileEvenThroughADoubleSlash) {
    const std::string path = writeFile("data.txt", "1,2\r\n3,.\r\n");
    DataSet data;
    const ImportResult r = importDelimitedFile(m_dir + "//data.txt", ',', data);
    ASSERT_EQ(r.status, ImportStatus::Completed);
    EXPECT_EQ(data.g_lngNumCases, 2);
    EXPECT_EQ(data.g_lngNumVariables, 2);
    EXPECT_EQ(cells(data, 2, 2), (Grid{{1, 2}, {3, M}}));
}

// Larger than one read block, so lines are carried across block ends.
TEST_F(DelimitedFileImport, FileLargerThanAReadBlockImportsEveryLine) {
    std::string text;
    for (int i = 1; i <= 200000; ++i) {
        text += std::to_string(i) + "\t-" + std::to_string(i) + ".5";
        text += (i % 3 == 0) ? "\r" : (i % 3 == 1 ? "\r\n" : "\n");
    }
    const std::string path = writeFile("large.txt", text);
    DataSet data;
    const ImportResult r = importDelimitedFile(path, '\t', data);
    ASSERT_EQ(r.status, ImportStatus::Completed);
    EXPECT_EQ(data.g_lngNumCases, 200000);
    EXPECT_EQ(data.g_lngNumVariables, 2);
    int wrong = 0;
    for (int i = 1; i <= 200000; ++i) {
        if (data.cell(i, 1) != static_cast<float>(i) || data.cell(i, 2) != -(i + 0.5f)) ++wrong;
    }
    EXPECT_EQ(wrong, 0);

    // An invalid entry far into the file is found with its line number.
    const std::string bad = writeFile("large_bad.txt", text + "1\t2\r\n3\t4 x");
    const ImportResult b = importDelimitedFile(bad, '\t', data);
    EXPECT_EQ(b.status, ImportStatus::InvalidEntry);
    EXPECT_EQ(b.row, 200002);
    EXPECT_EQ(b.column, 2);
}

// The third reading of the file gives each line's values as written,
// across read blocks.
TEST_F(DelimitedFileImport, ValuesAsWrittenAreReadAgainFromTheFile) {
    std::string text;
    for (int i = 0; i < 200000; ++i) text += i % 2 == 0 ? "1000000.1\t7\r\n" : "1000000.3\t8\n";
    DataSet data;
    ASSERT_EQ(importDelimitedFile(writeFile("tenths.txt", text), '\t', data).status,
              ImportStatus::Completed);
    EXPECT_EQ(data.writtenValues.variables(), std::vector<std::int32_t>{1});
    const auto written = data.writtenValues.column(1);
    ASSERT_EQ(written.size(), 200000u);
    int wrong = 0;
    for (std::size_t k = 0; k < written.size(); ++k)
        if (written[k] != (k % 2 == 0 ? 1000000.1 : 1000000.3)) ++wrong;
    EXPECT_EQ(wrong, 0);
}

TEST_F(DelimitedFileImport, NoFileSelectedLeavesTheEarlierDataSet) {
    DataSet data = earlierDataSet();
    const ImportResult r = importDelimitedFile("", ' ', data);
    EXPECT_EQ(r.status, ImportStatus::NoFileSelected);
    expectEarlierDataSetKept(data);
}

TEST_F(DelimitedFileImport, UnreadableFileLeavesTheEarlierDataSetAndSaysWhy) {
    DataSet data = earlierDataSet();
    const ImportResult r = importDelimitedFile(m_dir + "/absent.txt", ' ', data);
    EXPECT_EQ(r.status, ImportStatus::OpenFailed);
    EXPECT_EQ(r.reason, "No such file or directory");
    expectEarlierDataSetKept(data);

    const ImportResult dir = importDelimitedFile(m_dir, ' ', data);
    EXPECT_EQ(dir.status, ImportStatus::OpenFailed);
    EXPECT_EQ(dir.reason, "Is a directory");
}

}  // namespace
}  // namespace velmora
