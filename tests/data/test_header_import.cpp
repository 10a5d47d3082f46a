#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "data/delimited_import.h"
#include "support/data_grid.h"
#include "support/scratch_directory.h"

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
};

// Line 1 is the variables' names only when every field is one and a line follows.
TEST(HeaderImport, LineOfNamesNamesTheVariablesAndIsNoCase) {
    const std::vector<Case> cases = {
        {"csv", "pre,post\n1,2\n3,4\n", ',', {"pre", "post"}, {{1, 2}, {3, 4}}},
        {"quoted by write.csv", "\"pre\",\"post\"\r\n1,2\r\n", ',', {"pre", "post"}, {{1, 2}}},
        {"blanks trimmed", " pre a ,\tpost \n1,2", ',', {"pre a", "post"}, {{1, 2}}},
        {"inner quotes kept", "\"a\"b\",'c'\n1,2", ',', {"a\"b", "'c'"}, {{1, 2}}},
        {"space-delimited", "x y\n5 6\n", ' ', {"x", "y"}, {{5, 6}}},
        // One name fewer than data fields is R's mark of a row-name column.
        {"header shorter than data", "a\n1,2\n", ',', {"a"}, {{2}}},
        {"header two shorter than data", "a\n1,2,3\n", ',', {"a"}, {{1, 2, 3}}},
        {"a quoted number in data", "pre,post\n\"1\",2\n", ',', {"pre", "post"}, {{1, 2}}},
        {"header wider than data", "a,b,c\n1,2\n", ',', {"a", "b", "c"}, {{1, 2, M}}},
        {"a blank line after it is a case", "a\r\n\r\n", ',', {"a"}, {{M}}},
        {"tsv with NA and a byte-order mark",
         "\xEF\xBB\xBFpre\tpost\nNA\t2\n3\tNA\n",
         '\t',
         {"pre", "post"},
         {{M, 2}, {3, M}}},
        {"byte-order mark before numbers",
         "\xEF\xBB\xBF"
         "1 2\r\n",
         ' ',
         {},
         {{1, 2}}},
        {"only a byte-order mark", "\xEF\xBB\xBF", ' ', {}, {}},
        {"no header", "1,2\n3,4\n", ',', {}, {{1, 2}, {3, 4}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DataSet data;
        ASSERT_EQ(importDelimitedText(c.text, c.delimiter, data).status, ImportStatus::Completed);
        EXPECT_EQ(data.variableNames, c.names);
        EXPECT_EQ(data.g_lngNumCases, static_cast<int>(c.grid.size()));
        EXPECT_EQ(cells(data), c.grid);
    }
}

TEST(HeaderImport, LineThatIsNotAllNamesIsReadAsDataAndRefusedAsBefore) {
    struct Refused {
        const char* what;
        std::string text;
        std::int32_t row;
        std::int32_t column;
    };
    const std::vector<Refused> cases = {
        {"a name and a number", "pre,2\n1,2\n", 1, 1},
        {"a number and a name", "1,post\n1,2\n", 1, 2},
        {"a name and a missing code", "pre,NA\n1,2\n", 1, 1},
        {"a name and an empty field", "pre,\n1,2\n", 1, 1},
        {"a name and empty quotes", "pre,\"\"\n1,2\n", 1, 1},
        {"names with no line after them", "pre,post\n", 1, 1},
        {"a name and a missing code with blanks", " . ,b\r\n1,2\r\n3,4\r\n", 1, 1},
        {"a name and NA with blanks", "a, NA \n1,2\n", 1, 1},
        {"a byte-order mark not at the start",
         "1,2\n\xEF\xBB\xBF"
         "3,4\n",
         2, 1},
        {"a name on line 2", "1,2\nb,c\n", 2, 1},
    };
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.what);
        DataSet data;
        const ImportResult r = importDelimitedText(c.text, ',', data);
        EXPECT_EQ(r.status, ImportStatus::InvalidEntry);
        EXPECT_EQ(r.row, c.row);
        EXPECT_EQ(r.column, c.column);
        EXPECT_EQ(importFailureMessage(r, "f"), invalidEntryMessage(c.row, c.column));
    }
}

TEST(HeaderImport, NaAndNanAreMissingAfterTheTrimmingNumbersGet) {
    for (const char* field : {"NA", "NaN", " NA", "NA\t", " NaN "}) {
        DataSet data;
        ASSERT_EQ(importDelimitedText(std::string("1,") + field + "\n2,3", ',', data).status,
                  ImportStatus::Completed)
            << field;
        EXPECT_EQ(cells(data), (Grid{{1, M}, {2, 3}})) << field;
    }
    for (const char* field : {"na", "nan", "NAN", "N A", "NA.", "-NaN", "\"NA\""}) {
        DataSet data;
        const ImportResult r = importDelimitedText(std::string("1,") + field + "\n2,3", ',', data);
        EXPECT_EQ(r.status, ImportStatus::InvalidEntry) << field;
        EXPECT_EQ(r.row, 1) << field;
        EXPECT_EQ(r.column, 2) << field;
    }
}

TEST(HeaderImport, SummaryNamesTheNamedVariablesAfterTheCounts) {
    DataSet data;
    ASSERT_EQ(importDelimitedText("pre,post\n1,2\n", ',', data).status, ImportStatus::Completed);
    EXPECT_EQ(buildImportSummary("d.csv", data),
              "Opened the text file: d.csv\r\n"
              "Number of Cases: 1\r\n"
              "Number of Variables: 2\r\n"
              "Variable names: Var 1 = pre, Var 2 = post\r\n"
              "\r\n"
              "\r\n");
    DataSet shortHeader;
    ASSERT_EQ(importDelimitedText("a\n1,2,3\n", ',', shortHeader).status, ImportStatus::Completed);
    EXPECT_EQ(buildImportSummary("s", shortHeader),
              "Opened the text file: s\r\nNumber of Cases: 1\r\nNumber of Variables: 3\r\n"
              "Variable names: Var 1 = a\r\n\r\n\r\n");
    EXPECT_EQ(variableListItem(shortHeader, 1), "Var 1 a");
    EXPECT_EQ(variableListItem(shortHeader, 2), "Var 2");
}

class HeaderFileImport : public testing::ScratchDirectoryTest {};

// Each pass over a file finds the same start as the text held in memory.
TEST_F(HeaderFileImport, FileWithHeaderAndMarkImportsAsItsText) {
    std::string text = "\xEF\xBB\xBF" + std::string(3000, 'n') + ",b\r\n";
    for (int i = 0; i < 100000; ++i) text += i % 7 == 0 ? "NA,1\n" : "2,3\n";
    DataSet fromFile;
    ASSERT_EQ(importDelimitedFile(writeFile("h.csv", text), ',', fromFile).status,
              ImportStatus::Completed);
    DataSet fromText;
    ASSERT_EQ(importDelimitedText(text, ',', fromText).status, ImportStatus::Completed);
    EXPECT_EQ(fromFile.variableNames, (Names{std::string(3000, 'n'), "b"}));
    EXPECT_EQ(fromFile.g_lngNumCases, 100000);
    EXPECT_EQ(cells(fromFile), cells(fromText));
    EXPECT_EQ(fromFile.cell(1, 1), M);
    EXPECT_EQ(fromFile.cell(2, 1), 2.0f);
}

// A FIFO gives its bytes once: it is read whole, never opened a second time.
TEST_F(HeaderFileImport, FifoIsReadOnceAndImportsAsAFile) {
    const std::string fifo = path("data.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string text = "pre post\n1 2\n3 4\n";
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    std::thread writer([&] {
        const int fd = ::open(fifo.c_str(), O_WRONLY);
        if (fd >= 0) {
            EXPECT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
            ::close(fd);
        }
        // A second opening would wait for a writer for ever: give it one, so
        // that the test fails instead of hanging.
        if (finished.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
            ADD_FAILURE() << "the import opened the FIFO again";
            ::close(::open(fifo.c_str(), O_WRONLY));
        }
    });
    DataSet data;
    const ImportResult r = importDelimitedFile(fifo, ' ', data);
    done.set_value();
    writer.join();
    EXPECT_EQ(r.status, ImportStatus::Completed) << r.reason;
    EXPECT_EQ(data.variableNames, (Names{"pre", "post"}));
    EXPECT_EQ(cells(data), (Grid{{1, 2}, {3, 4}}));
}

}  // namespace
}  // namespace velmora
