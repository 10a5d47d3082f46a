#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/delimited_import.h"
#include "support/data_grid.h"

namespace velmora {
namespace {

constexpr float M = MISSING_VALUE;
using testing::cells;
using testing::Grid;
using testing::Names;

struct Case {
    const char* what;
    std::string text;
    char delimiter;
    Names names;
    Grid grid;
    bool rowNames = false;
    std::vector<std::int32_t> texts = {};
};

// The files statistics tools write: quotes, row names, texts, the two
// delimiters of their own. Expected cells follow from the fields as written.
TEST(ExportImport, FilesAsToolsWriteThemImportToTheirValues) {
    const std::vector<Case> cases = {
        {"quoted name holding the delimiter",
         "\"pre, baseline\",post\n1,2\n",
         ',',
         {"pre, baseline", "post"},
         {{1, 2}}},
        {"doubled quote and a line break inside quotes",
         "\"say \"\"a\"\"\",\"b\r\nc\"\n1,2\n",
         ',',
         {"say \"a\"", "b\r\nc"},
         {{1, 2}}},
        {"quoted numbers are numbers",
         "\"a\",b\n\"1\",\"2.5\"\n3,\"-4\"\n",
         ',',
         {"a", "b"},
         {{1, 2.5f}, {3, -4}}},
        {"R write.csv",
         "\"\",\"pre\",\"post\"\n\"1\",5,NA\n\"b\",7,8\n",
         ',',
         {"pre", "post"},
         {{5, M}, {7, 8}},
         true},
        {"R write.table, tab, unquoted",
         "pre\tpost\n1\t5\t6\n2\t7\tNA\n",
         '\t',
         {"pre", "post"},
         {{5, 6}, {7, M}},
         true},
        {"pandas to_csv",
         ",pre,post\n0,5.0,\n1,7.0,8.0\n",
         ',',
         {"pre", "post"},
         {{5, M}, {7, 8}},
         true},
        {"a text column",
         "a,b,id\n1,2,x\n3,4,\"NA\"\n",
         ',',
         {"a", "b", "id"},
         {{1, 2, M}, {3, 4, M}},
         false,
         {3}},
        {"a column with one text",
         "a,b\n1,2\n3,x\n",
         ',',
         {"a", "b"},
         {{1, M}, {3, M}},
         false,
         {2}},
        {"semicolon and decimal commas",
         "pre;post\n1,5;2\n\"3,25\";.\n-0,5;1e1\n",
         kSemicolonDelimiter,
         {"pre", "post"},
         {{1.5f, 2}, {3.25f, M}, {-0.5f, 10}}},
        {"runs of blanks and tabs",
         "   pre  \t post\n0   1.5   2\n1 \t NaN  4  \n",
         kWhitespaceDelimiter,
         {"pre", "post"},
         {{1.5f, 2}, {M, 4}},
         true},
        {"whitespace without header",
         "  1  2\n\n3\t\t4\n",
         kWhitespaceDelimiter,
         {},
         {{1, 2}, {M, M}, {3, 4}}},
        {"a Latin-1 name", "caf\xE9,b\n1,2\n", ',', {"caf\xC3\xA9", "b"}, {{1, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DataSet data;
        const ImportResult r = importDelimitedText(c.text, c.delimiter, data);
        ASSERT_EQ(r.status, ImportStatus::Completed) << importFailureMessage(r, "f");
        EXPECT_EQ(data.variableNames, c.names);
        EXPECT_EQ(cells(data), c.grid);
        EXPECT_EQ(data.rowNames, c.rowNames);
        EXPECT_EQ(data.textVariables, c.texts);
    }
}

// Without a header a text still stops the import; messages name the file's
// line where it is not the row.
TEST(ExportImport, TextsWithoutHeaderStopAndMessagesNameTheFileLine) {
    struct Refused {
        const char* what;
        std::string text;
        char delimiter;
        std::string message;
    };
    const std::vector<Refused> cases = {
        {"quoted NA is a text", "1,\"NA\"\n", ',',
         "Row 1 of Column 2 has an invalid entry for analysis."},
        {"unclosed quote", "1,2\n\"3,4\n", ',',
         "Row 2 of Column 1 has an invalid entry for analysis."},
        {"a record over two lines", "1,\"2\n\"\nx,4\n", ',',
         "Row 2 (line 3 of the file) of Column 1 has an invalid entry for analysis."},
        {"decimal comma only with semicolons", "1,5 2\n", ' ',
         "Row 1 of Column 1 has an invalid entry for analysis."},
        {"two decimal marks", "1,5.5;2\n", kSemicolonDelimiter,
         "Row 1 of Column 1 has an invalid entry for analysis."},
        {"header, number too large", "a,b\n1,2\n1e39,3\n", ',',
         "Row 2 (line 3 of the file) of Column 1 holds a number beyond the single-precision "
         "range."},
        {"header, quoted, number too large", "\"a\",b\n1,2\n1e39,3\n", ',',
         "Row 2 (line 3 of the file) of Column 1 holds a number beyond the single-precision "
         "range."},
    };
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.what);
        DataSet data;
        EXPECT_EQ(importFailureMessage(importDelimitedText(c.text, c.delimiter, data), "f"),
                  c.message);
    }
}

TEST(ExportImport, SummaryAndListsShowRowNamesAndTextVariables) {
    DataSet data;
    ASSERT_EQ(importDelimitedText(",a,g\n1,2,x\n2,3,y\n", ',', data).status,
              ImportStatus::Completed);
    EXPECT_EQ(buildImportSummary("d.csv", data),
              "Opened the text file: d.csv\r\n"
              "Number of Cases: 2\r\n"
              "Number of Variables: 2\r\n"
              "Variable names: Var 1 = a, Var 2 = g\r\n"
              "Row names: column 1 (not a variable)\r\n"
              "Text variables (not analysed): Var 2 = g\r\n"
              "\r\n"
              "\r\n");
    EXPECT_EQ(variableListItem(data, 2), "Var 2 g (text)");
    EXPECT_EQ(variableListItem(data, 1), "Var 1 a");
}

}  // namespace
}  // namespace velmora
