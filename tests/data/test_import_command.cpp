#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "data/import_command.h"
#include "support/address_space_limit.h"
#include "support/scratch_directory.h"
#include "support/fake_message_box.h"

namespace velmora {
namespace {

// A window stand-in: records what the command did to the label, pane and dialogs.
class ImportCommandTest : public testing::ScratchDirectoryTest {
protected:
    ImportResult press(const std::string& fileName, char delimiter, const std::string& bareName) {
        ImportCommandContext context;
        context.fileName = fileName;
        context.delimiter = delimiter;
        context.selectedBareName = bareName;
        context.data = &data;
        context.messageBox = &boxes;
        context.appendToPane = [this](const std::string& block) {
            pane += block;
            events.push_back("append");
        };
        context.setCurrentFile = [this](const std::string& caption) {
            currentFile = caption;
            events.push_back("caption");
        };
        context.discardAnalysisDialogs = [this] { events.push_back("discard"); };
        return runImportCommand(context);
    }

    // The one "Data Editor" box, and no caption, summary or discarded dialog.
    void expectOnlyTheBox(const std::string& text) {
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, text);
        EXPECT_EQ(boxes.shown[0].title, "Data Editor");
        EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Warning);
        EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::Ok);
        EXPECT_TRUE(events.empty());
        EXPECT_EQ(pane, "typed");
        EXPECT_EQ(currentFile, "old.txt");
        boxes.shown.clear();
    }

    // The data set of good.txt ("7 8", "9 10"), as the earlier import left it.
    void expectGoodDataSet() {
        const std::vector<float> cells = {data.cell(1, 1), data.cell(1, 2), data.cell(2, 1),
                                          data.cell(2, 2)};
        EXPECT_EQ(cells, (std::vector<float>{7, 8, 9, 10}));
        EXPECT_EQ(data.g_lngNumCases, 2);
        EXPECT_EQ(data.g_lngNumVariables, 2);
        EXPECT_EQ(data.g_sngData.caseCapacity(), 2);
    }

    void importGood() {
        ASSERT_EQ(press(writeFile("good.txt", "7 8\r\n9 10"), ' ', "good.txt").status,
                  ImportStatus::Completed);
        pane = "typed";
        currentFile = "old.txt";
        events.clear();
    }

    DataSet data;
    testing::FakeMessageBox boxes;
    std::string pane = "typed";
    std::string currentFile = "old.txt";
    std::vector<std::string> events;
};

TEST_F(ImportCommandTest, CompleteImportSetsCaptionAppendsSummaryThenDiscardsDialogs) {
    const std::string path = writeFile("a.txt", "1 2 3\r\n4 5 6");
    const std::string stored = m_dir + "//a.txt";  // as the file list joins it in a root
    const ImportResult r = press(stored, ' ', "a.txt");
    ASSERT_EQ(r.status, ImportStatus::Completed);
    EXPECT_EQ(events, (std::vector<std::string>{"caption", "append", "discard"}));
    EXPECT_EQ(currentFile, "a.txt");
    EXPECT_EQ(pane, "typedOpened the text file: " + stored +
                        "\r\nNumber of Cases: 2\r\nNumber of Variables: 3\r\n\r\n\r\n");
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(data.g_lngNumCases, 2);
    EXPECT_EQ(data.g_lngNumVariables, 3);
    EXPECT_EQ(data.cell(2, 3), 6.0f);
}

TEST_F(ImportCommandTest, SecondImportReplacesDataAndAppendsASecondSummary) {
    const std::string first = writeFile("first.txt", "1,2\r\n3,4\r\n5,6");
    const std::string second = writeFile("second.txt", "9");
    ASSERT_EQ(press(first, ',', "first.txt").status, ImportStatus::Completed);
    ASSERT_EQ(press(second, ',', "second.txt").status, ImportStatus::Completed);
    EXPECT_EQ(pane,
              "typed"
              "Opened the text file: " +
                  first +
                  "\r\nNumber of Cases: 3\r\nNumber of Variables: 2\r\n\r\n\r\n"
                  "Opened the text file: " +
                  second + "\r\nNumber of Cases: 1\r\nNumber of Variables: 1\r\n\r\n\r\n");
    EXPECT_EQ(currentFile, "second.txt");
    EXPECT_EQ(events.size(), 6u);
    EXPECT_EQ(data.g_lngNumCases, 1);
    EXPECT_EQ(data.g_lngNumVariables, 1);
    EXPECT_EQ(data.cell(1, 1), 9.0f);
    EXPECT_EQ(data.g_sngData(1, 2), 0.0f);
}

TEST_F(ImportCommandTest, FailureShowsWhyAndLeavesTheEarlierDataSetAndWindow) {
    importGood();
    std::string wide;
    for (int j = 1; j <= 1001; ++j) wide += (j > 1 ? " " : "") + std::to_string(j);
    const struct {
        std::string path;
        std::string content;  // empty: no file is written
        ImportStatus status;
        std::string message;
    } cases[] = {
        {"bad.txt", "1 2\r\n3 4\r\n5 abc\r\n6 7", ImportStatus::InvalidEntry,
         "Row 3 of Column 2 has an invalid entry for analysis."},
        {"wide.txt", "1\r\n" + wide, ImportStatus::TooManyFields,
         "Line 2 has more than 1000 fields."},
        {"huge.txt", "1 2\r\n3 1e39", ImportStatus::NumberOutOfRange,
         "Row 2 of Column 2 holds a number beyond the single-precision range."},
        {"absent.txt", "", ImportStatus::OpenFailed,
         "Cannot open the data file '" + m_dir + "/absent.txt': No such file or directory"},
        {"", "", ImportStatus::NoFileSelected, "No data file is selected."},
        {"book.xlsx", std::string("PK\x03\x04\x14\0\0\0\0\0xl/workbook.xml", 25),
         ImportStatus::NotText,
         "The data file '" + m_dir +
             "/book.xlsx' is a spreadsheet workbook, not a text file: save the sheet as CSV."},
        {"odd.bin", std::string("1 2\r\n\0\x01", 7), ImportStatus::NotText,
         "The data file '" + m_dir +
             "/odd.bin' is binary data, not a text file: import a text file of numbers."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const std::string path = c.path.empty() ? "" : m_dir + "/" + c.path;
        if (!c.content.empty()) writeFile(c.path, c.content);
        EXPECT_EQ(press(path, ' ', c.path).status, c.status);
        expectOnlyTheBox(c.message);
        expectGoodDataSet();
    }
}

// 200,001 lines, the first with 1000 fields: a matrix of 1000 columns of
// 200,002 singles (800 MB) that the child's 128 MB of headroom cannot hold.
TEST_F(ImportCommandTest, MatrixBeyondTheMemoryLimitSaysSoKeepingTheEarlierData) {
    VELMORA_TEST_ALONE_UNDER_MEMORY_LIMITS();
    std::string text = "1";
    for (int j = 2; j <= 1000; ++j) text += " 1";
    text += "\r\n";
    for (int i = 0; i < 200000; ++i) text += "1\r\n";
    const std::string big = writeFile("big.txt", text);
    ASSERT_EQ(importDelimitedText("1 2\r\n3 4\r\n", ' ', data).status, ImportStatus::Completed);
    const std::string box = "The data file '" + big + "' is too large to be held in memory.";

    const std::string seen = testing::runUnderAddressSpaceLimit(128u << 20, [&] {
        const ImportResult r = press(big, ' ', "big.txt");
        std::string s = r.status == ImportStatus::OutOfMemory ? "OutOfMemory" : "other";
        s += ", counts " + std::to_string(data.g_lngNumCases) + " " +
             std::to_string(data.g_lngNumVariables) + ", cells";
        for (float v : {data.g_sngData.at(1, 1), data.g_sngData.at(1, 2), data.g_sngData.at(2, 1),
                        data.g_sngData.at(2, 2)})
            s += " " + std::to_string(static_cast<int>(v));
        s += ", boxes " + std::to_string(boxes.shown.size()) +
             (boxes.shown.size() == 1 && boxes.shown[0].text == box ? " saying so" : "") +
             ", events " + std::to_string(events.size()) + ", pane " + pane + ", label " +
             currentFile;
        return s;
    });
    EXPECT_EQ(seen,
              "OutOfMemory, counts 2 2, cells 1 2 3 4, boxes 1 saying so, events 0, pane typed, "
              "label old.txt");
}

TEST_F(ImportCommandTest, EmptyFileIsReportedAsZeroCasesAndZeroVariables) {
    const std::string empty = writeFile("empty.txt", "");
    ASSERT_EQ(press(empty, '\t', "empty.txt").status, ImportStatus::Completed);
    EXPECT_EQ(pane, "typedOpened the text file: " + empty +
                        "\r\nNumber of Cases: 0\r\nNumber of Variables: 0\r\n\r\n\r\n");
    EXPECT_EQ(currentFile, "empty.txt");
}

}  // namespace
}  // namespace velmora
