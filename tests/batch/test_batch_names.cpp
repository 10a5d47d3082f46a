// velmora-batch on files with a line of names, other tools' missing codes,
// and data that comes through standard input or a pipe.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "batch_test_support.h"

namespace velmora {
namespace {

using batchtest::crlfLines;
using batchtest::ProcessResult;
using batchtest::ScratchDir;
using batchtest::writeFile;

ProcessResult runBatchExe(const std::vector<std::string>& args, const ScratchDir& dir) {
    return batchtest::runProcess(VELMORA_BATCH_EXE, args, dir);
}

// A shell command line, with EXE standing for velmora-batch.
ProcessResult runShell(std::string script, const ScratchDir& dir) {
    for (std::size_t at = script.find("EXE"); at != std::string::npos; at = script.find("EXE"))
        script.replace(at, 3, "'" VELMORA_BATCH_EXE "'");
    return batchtest::runProcess("/bin/sh", {"-c", script}, dir);
}

// One data set written three ways: space-delimited without names as the
// desktop program has always read it, a CSV as pandas writes it (LF, a line
// of names, empty cells), a TSV as a spreadsheet exports R's data (CR LF, a
// byte-order mark, quoted names, NA).
const char* const kSpaceText =
    "12.5 14 3\r\n10 11.5 1\r\n. 9 2\r\n13 15.5 .\r\n9.5 10 4\r\n"
    "11 13.5 2\r\n14.5 . 5\r\n8 9.5 1\r\n12 12.5 3\r\n10.5 13 2\r\n";
const char* const kCsvText =
    "pre,post,age\n12.5,14,3\n10,11.5,1\n,9,2\n13,15.5,\n9.5,10,4\n"
    "11,13.5,2\n14.5,,5\n8,9.5,1\n12,12.5,3\n10.5,13,2\n";
const char* const kTsvText =
    "\xEF\xBB\xBF\"pre\"\t\"post\"\t\"age\"\r\n12.5\t14\t3\r\n10\t11.5\t1\r\nNA\t9\t2\r\n"
    "13\t15.5\tNA\r\n9.5\t10\t4\r\n11\t13.5\t2\r\n14.5\tNA\t5\r\n8\t9.5\t1\r\n12\t12.5\t3\r\n"
    "10.5\t13\t2\r\n";
const char* const kNamesLine = "Variable names: Var 1 = pre, Var 2 = post, Var 3 = age";

std::vector<std::string> analysis(std::vector<std::string> columns) {
    std::vector<std::string> args = {"--seed", "31", "--trials", "300", "--sd-from", "2"};
    args.insert(args.end(), columns.begin(), columns.end());
    return args;
}

std::vector<std::string> withFile(std::vector<std::string> args, const std::string& file) {
    args.push_back(file);
    return args;
}

// The report lines after "Opened the text file: ..." and the names line.
std::vector<std::string> reportBody(const std::string& out, bool named) {
    std::vector<std::string> lines = crlfLines(out);
    if (lines.size() < 4) return lines;
    if (named && lines[3] == kNamesLine) lines.erase(lines.begin() + 3);
    lines.erase(lines.begin());
    return lines;
}

TEST(BatchNames, OneDataSetWrittenThreeWaysGivesOneReport) {
    ScratchDir dir;
    writeFile(dir.path("d.txt"), kSpaceText);
    writeFile(dir.path("d.csv"), kCsvText);
    writeFile(dir.path("d.tsv"), kTsvText);
    const auto numbers = analysis({"--var1", "1", "--var2", "2", "--descriptives", "1-3"});
    const ProcessResult plain = runBatchExe(withFile(numbers, dir.path("d.txt")), dir);
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_EQ(crlfLines(plain.out).at(0), "Opened the text file: " + dir.path("d.txt"));
    EXPECT_EQ(crlfLines(plain.out).at(1), "Number of Cases: 10");
    EXPECT_EQ(crlfLines(plain.out).at(3), "");  // no names line without a line of names

    struct Named {
        const char* file;
        const char* delimiter;
        std::vector<std::string> columns;
    };
    const std::vector<Named> runs = {
        {"d.csv", "comma", {"--var1", "1", "--var2", "2", "--descriptives", "1-3"}},
        {"d.tsv", "tab", {"--var1", "1", "--var2", "2", "--descriptives", "1-3"}},
        {"d.csv", "comma", {"--var1", "pre", "--var2", "post", "--descriptives", "pre-age"}},
        {"d.tsv", "tab", {"--var1", "pre", "--var2", "post", "--descriptives", "age,1-post"}},
    };
    for (const Named& run : runs) {
        auto args = analysis(run.columns);
        args.insert(args.end(), {"-d", run.delimiter, dir.path(run.file)});
        const ProcessResult r = runBatchExe(args, dir);
        ASSERT_EQ(r.status, 0) << run.file << ": " << r.err;
        const std::vector<std::string> lines = crlfLines(r.out);
        ASSERT_GE(lines.size(), 4u);
        EXPECT_EQ(lines[0], "Opened the text file: " + dir.path(run.file));
        EXPECT_EQ(lines[1], "Number of Cases: 10");
        EXPECT_EQ(lines[3], kNamesLine);
        // The reports are those of the file without names, but for the lines
        // that name a variable: the Descriptives' Name cells and the group
        // table's heads show the names, the other lines add them to the labels.
        std::vector<std::string> expected = reportBody(plain.out, false);
        const std::vector<std::pair<std::string, std::string>> named = {
            {"Var 1     ", "pre       "},
            {"Var 2     ", "post      "},
            {"Var 3     ", "age       "},
            {"Statistic                Var 1          Var 2",
             "Statistic                  pre           post"},
            {"Var1 = Var 1; Var2 = Var 2", "Var1 = Var 1 (pre); Var2 = Var 2 (post)"},
            {"Nonpooled variance obtained from Varaible 2",
             "Nonpooled variance obtained from Varaible 2 (post)"}};
        int replaced = 0;
        for (std::string& line : expected)
            for (const auto& [from, to] : named)
                if (line.rfind(from, 0) == 0) {
                    line = to + line.substr(from.size());
                    ++replaced;
                }
        EXPECT_EQ(replaced, 6);
        EXPECT_EQ(reportBody(r.out, true), expected) << run.file;
    }
    // Both files have missing cells, so both reports say which cases were used.
    const std::string cases =
        "Estimates use all values (9 and 9); the bootstrap trials resample the 8 complete pairs.";
    EXPECT_NE(plain.out.find("\r\n" + cases + "\r\n"), std::string::npos);

    // The paired block's variables line names them too.
    const ProcessResult paired = runBatchExe(
        withFile(analysis({"--var1", "pre", "--var2", "post", "--paired", "-d", "comma"}),
                 dir.path("d.csv")),
        dir);
    ASSERT_EQ(paired.status, 0) << paired.err;
    EXPECT_NE(paired.out.find("\r\nPAIRED EFFECT SIZES\r\n" + std::string(108, '-') +
                              "\r\nVar1 = Var 1 (pre); Var2 = Var 2 (post); D = Var2 - Var1\r\n"),
              std::string::npos);

    // A name too long for its cell is cut with a "~"; the lines keep it whole.
    writeFile(dir.path("long.csv"),
              "pretreatment_score_total,post,age\n" + std::string(kCsvText).substr(13));
    const ProcessResult r = runBatchExe(
        withFile(analysis({"--var1", "1", "--var2", "2", "--descriptives", "1", "-d", "comma"}),
                 dir.path("long.csv")),
        dir);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = crlfLines(r.out);
    EXPECT_EQ(lines.at(10).substr(0, 10), "pretreat~ ");
    EXPECT_NE(
        std::find(lines.begin(), lines.end(), "Statistic       pretreatment_~           post"),
        lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Var1 = Var 1 (pretreatment_score_total); Var2 = Var 2 (post)"),
              lines.end());
}

TEST(BatchNames, NameThatIsMissingOrGivenTwiceIsAUsageError) {
    ScratchDir dir;
    writeFile(dir.path("d.csv"), kCsvText);
    writeFile(dir.path("twice.csv"), "a,b,a\n1,2,3\n4,5,6\n");
    writeFile(dir.path("plain.csv"), "1,2\n3,4\n");
    const std::string usage = " (see velmora-batch --help)";
    struct Fault {
        std::vector<std::string> args;
        std::string file;
        std::string error;
    };
    const std::vector<Fault> faults = {
        {{"--var1", "pree", "--var2", "post"},
         "d.csv",
         "velmora-batch: --var1: the data file has no variable named 'pree'"},
        {{"--var1", "pre", "--var2", "Post"},
         "d.csv",
         "velmora-batch: --var2: the data file has no variable named 'Post'"},
        {{"--var1", "a", "--var2", "b"},
         "twice.csv",
         "velmora-batch: --var1: 'a' is the name of more than one variable (Var 1 and Var 3)"},
        {{"--descriptives", "b,a"},
         "twice.csv",
         "velmora-batch: --descriptives: 'a' is the name of more than one variable (Var 1 and "
         "Var 3)"},
        {{"--descriptives", "age-pre"},
         "d.csv",
         "velmora-batch: --descriptives: the range 'age-pre' runs from Var 3 back to Var 1"},
        {{"--descriptives", "pre-weight"},
         "d.csv",
         "velmora-batch: --descriptives: the data file has no variable named 'pre-weight'"},
        {{"--var1", "x", "--var2", "2"},
         "plain.csv",
         "velmora-batch: --var1: the data file has no variable named 'x'"},
    };
    for (const Fault& f : faults) {
        auto args = f.args;
        args.insert(args.end(), {"-d", "comma", dir.path(f.file)});
        const ProcessResult r = runBatchExe(args, dir);
        EXPECT_EQ(r.status, 2) << f.error;
        EXPECT_EQ(r.err, f.error + usage + "\n");
        EXPECT_EQ(r.out, "");
    }
}

TEST(BatchNames, StandardInputAndPipesAreReadOnceAsTheFileIs) {
    ScratchDir dir;
    const std::string file = dir.path("d.csv");
    writeFile(file, kCsvText);
    const auto args = analysis({"-d", "comma", "--var1", "pre", "--var2", "2"});
    std::string options;
    for (const std::string& a : args) options += a + " ";
    const ProcessResult direct = runBatchExe(withFile(args, file), dir);
    ASSERT_EQ(direct.status, 0) << direct.err;
    std::vector<std::string> expected = crlfLines(direct.out);
    expected[0] = "Opened the text file: -";

    const ProcessResult piped = runShell("cat '" + file + "' | EXE " + options + "-", dir);
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(crlfLines(piped.out), expected);

    // A FIFO has one writer here: a second opening would wait for ever, so the
    // run is given 60 s (timeout's status 124 tells it ran out).
    const std::string fifo = dir.path("data.fifo");
    const ProcessResult fromFifo =
        runShell("mkfifo '" + fifo + "' && { cat '" + file + "' > '" + fifo +
                     "' & } && timeout 60 EXE " + options + "'" + fifo + "'",
                 dir);
    EXPECT_EQ(fromFifo.status, 0) << fromFifo.err;
    expected[0] = "Opened the text file: " + fifo;
    EXPECT_EQ(crlfLines(fromFifo.out), expected);
}

}  // namespace
}  // namespace velmora
