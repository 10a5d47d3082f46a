// The built velmora-batch, run as a separate process.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "analysis/descriptives/descriptives.h"
#include "analysis/descriptives/descriptives_report.h"
#include "analysis/effect_size/effect_size_analysis.h"
#include "batch_test_support.h"
#include "data/delimited_import.h"
#include "runtime/number_text.h"
#include "runtime/random_stream.h"
#include "runtime/rounding.h"

namespace velmora {
namespace {

using batchtest::crlfLines;
using batchtest::ProcessResult;
using batchtest::readFile;
using batchtest::ScratchDir;
using batchtest::writeFile;

ProcessResult runBatchExe(const std::vector<std::string>& args, const ScratchDir& dir) {
    return batchtest::runProcess(VELMORA_BATCH_EXE, args, dir);
}

// Ten cases of two paired scores and a count; one score of each kind missing.
const char* const kSmallData =
    "12.5 14.0 3\r\n"
    "10.0 11.5 1\r\n"
    ". 9.0 2\r\n"
    "13.0 15.5 .\r\n"
    "9.5 10.0 4\r\n"
    "11.0 13.5 2\r\n"
    "14.5 . 5\r\n"
    "8.0 9.5 1\r\n"
    "12.0 12.5 3\r\n"
    "10.5 13.0 2\r\n";

// What the desktop program would append for the same inputs, built from the core.
std::string coreText(const std::string& path, const std::vector<std::int32_t>& descriptives,
                     const AnalysisOptions& options, std::uint64_t seed) {
    DataSet data;
    EXPECT_EQ(importDelimitedFile(path, ' ', data).status, ImportStatus::Completed);
    std::string text = buildImportSummary(path, data);
    if (!descriptives.empty()) {
        std::vector<DescriptiveRow> rows;
        for (std::int32_t c : descriptives) rows.push_back(*ComputeDescriptiveRow(data, c));
        text += BuildDescriptivesReport(rows);
    }
    DefaultRandomStream random(seed);
    const AnalysisRun run =
        RunEffectSizeAnalysis(data, options, random, {}, Arithmetic::Auto, seed);
    EXPECT_EQ(run.status, AnalysisStatus::Completed) << run.message;
    return text + run.report;
}

// The four interval lines of a report, in report order.
std::vector<std::string> intervalLines(const std::string& text) {
    std::vector<std::string> found;
    for (const std::string& line : crlfLines(text))
        if (line.find("% CI for population ") != std::string::npos) found.push_back(line);
    return found;
}

TEST(BatchProgram, ReportEqualsWhatTheCoreBuildsForTheSameInputs) {
    ScratchDir dir;
    const std::string data = dir.path("small.txt");
    writeFile(data, kSmallData);
    const ProcessResult r =
        runBatchExe({"--var1", "1", "--var2", "2", "--trials", "200", "--level", "90", "--sd-from",
                     "2", "--seed", "7", "--descriptives", "3,1-2", data},
                    dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");  // a fixed seed is not echoed, and stderr is no terminal

    AnalysisOptions options;
    options.lngVar1 = 1;
    options.lngVar2 = 2;
    options.lngTrials = 200;
    options.sngConfidenceLevel = 0.9f;
    options.lngNonpooledSdVar = 2;
    EXPECT_EQ(r.out, coreText(data, {1, 2, 3}, options, 7));

    // The blocks in their order, starting with the import summary for the path as given.
    const std::vector<std::string> lines = crlfLines(r.out);
    ASSERT_GT(lines.size(), 20u);
    EXPECT_EQ(lines[0], "Opened the text file: " + data);
    EXPECT_EQ(lines[1], "Number of Cases: 10");
    EXPECT_EQ(lines[2], "Number of Variables: 3");
    EXPECT_EQ(lines[5], "DESCRIPTIVES");
    EXPECT_EQ(lines[9], "Var 1         11.222     1.986         8      14.5         9");
    EXPECT_EQ(lines[16], "GROUP-LEVEL STATISTICS");
    EXPECT_EQ(r.out.substr(r.out.size() - 12), "\r\n\r\n\r\n\r\n\r\n\r\n");
}

TEST(BatchProgram, DescriptivesAloneFollowTheImportSummary) {
    ScratchDir dir;
    const std::string data = dir.path("small.txt");
    writeFile(data, kSmallData);
    const ProcessResult r = runBatchExe({"--descriptives", "2", data}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string rule(60, '-');
    // Var 2: nine values summing to 108.5; sum of squares 1347.25.
    EXPECT_EQ(r.out,
              "Opened the text file: " + data +
                  "\r\nNumber of Cases: 10\r\nNumber of Variables: 3\r\n\r\n\r\n"
                  "DESCRIPTIVES\r\n" +
                  rule + "\r\nName            Mean        SD       Min       Max         N\r\n" +
                  rule + "\r\nVar 2         12.056     2.214         9      15.5         9\r\n" +
                  rule + "\r\n\r\n\r\n\r\n");
}

TEST(BatchProgram, SameSeedRepeatsAndOtherSeedsDiffer) {
    ScratchDir dir;
    const std::string data = dir.path("small.txt");
    writeFile(data, kSmallData);
    const std::vector<std::string> base = {"--var1", "1", "--var2", "2", data};
    auto withSeed = [&](const char* seed) {
        std::vector<std::string> args = base;
        args.insert(args.begin(), {"--seed", seed});
        return runBatchExe(args, dir);
    };
    const ProcessResult a = withSeed("20261208");
    const ProcessResult b = withSeed("20261208");
    ASSERT_EQ(a.status, 0) << a.err;
    EXPECT_EQ(a.out, b.out);

    const ProcessResult c = withSeed("1");
    const ProcessResult d = withSeed("2");
    ASSERT_EQ(c.status, 0) << c.err;
    ASSERT_EQ(intervalLines(c.out).size(), 4u);
    EXPECT_NE(intervalLines(c.out), intervalLines(d.out));
    EXPECT_NE(intervalLines(a.out), intervalLines(c.out));
}

TEST(BatchProgram, WithoutSeedTheClockSeedIsShownAndRepeatsTheRun) {
    ScratchDir dir;
    const std::string data = dir.path("small.txt");
    writeFile(data, kSmallData);
    const ProcessResult first = runBatchExe({"--var1", "1", "--var2", "2", data}, dir);
    ASSERT_EQ(first.status, 0) << first.err;
    ASSERT_EQ(first.err.rfind("seed: ", 0), 0u) << first.err;
    ASSERT_EQ(first.err.back(), '\n');
    const std::string seed = first.err.substr(6, first.err.size() - 7);
    ASSERT_FALSE(seed.empty());
    EXPECT_EQ(seed.find_first_not_of("0123456789"), std::string::npos) << seed;
    // The report carries the same seed, after the trial counts.
    const std::string counted = "Number of valid nonpooled robust D bootstrap trials = ";
    const std::size_t at = first.out.find(counted);
    ASSERT_NE(at, std::string::npos);
    const std::size_t next = first.out.find("\r\n", at) + 2;
    EXPECT_EQ(first.out.substr(next, 7 + seed.size() + 2), "Seed = " + seed + "\r\n");

    const ProcessResult again =
        runBatchExe({"--seed", seed, "--var1", "1", "--var2", "2", data}, dir);
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, first.out);
}

TEST(BatchProgram, ThreadCountChangesNeitherReportNorTrials) {
    // Columns: 1 and 2 whole numbers with ties and missing cells, 3 constant,
    // 4 present in two rows only (two complete pairs with column 1, so about
    // half the trials repeat a pair and are invalid for every estimator).
    std::string text;
    for (int i = 0; i < 60; ++i) {
        text += i % 11 == 3 ? "." : std::to_string((i * 7) % 5 + 1);
        text += ' ';
        text += i % 13 == 5 ? "." : std::to_string((i * 3) % 7);
        text += i == 2 ? " 5 3\r\n" : i == 9 ? " 5 8\r\n" : " 5 .\r\n";
    }
    ScratchDir dir;
    const std::string data = dir.path("ties.txt");
    writeFile(data, text);
    const std::vector<std::vector<std::string>> runs = {
        {"--var1", "1", "--var2", "2", "--level", "99", "--sd-from", "2"},
        {"--var1", "3", "--var2", "2", "--sd-from", "1"},
        {"--var1", "1", "--var2", "4", "--level", "90"},
    };
    for (const std::vector<std::string>& run : runs) {
        std::string report;
        std::string csv;
        for (const char* threads : {"1", "2", "3", "8"}) {
            const std::string csvPath = dir.path(std::string("trials") + threads + ".csv");
            std::vector<std::string> args = run;
            args.insert(args.end(), {"--threads", threads, "--seed", "99", "--trials", "1000",
                                     "--bootstrap-out", csvPath, data});
            const ProcessResult r = runBatchExe(args, dir);
            ASSERT_EQ(r.status, 0) << r.err;
            if (report.empty()) {
                report = r.out;
                csv = readFile(csvPath);
                ASSERT_EQ(crlfLines(csv).size(), 1001u);
            } else {
                EXPECT_EQ(r.out, report) << run[1] << "/" << run[3] << ", " << threads;
                EXPECT_EQ(readFile(csvPath), csv) << run[1] << "/" << run[3] << ", " << threads;
            }
        }
    }
}

// --- The CSV of trials against the report -----------------------------------

struct CsvColumns {
    std::vector<std::vector<float>> valid{4};  // the valid values of each estimator, in trial order
    int rows = 0;
};

CsvColumns readTrialsCsv(const std::string& text, int trials) {
    CsvColumns columns;
    const std::vector<std::string> lines = crlfLines(text);
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(trials) + 1);
    if (lines.empty()) return columns;
    EXPECT_EQ(lines[0], "trial,pooled_d,pooled_robust_d,nonpooled_d,nonpooled_robust_d");
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::vector<std::string> cells;
        std::size_t start = 0;
        for (std::size_t comma; (comma = lines[i].find(',', start)) != std::string::npos;
             start = comma + 1)
            cells.push_back(lines[i].substr(start, comma - start));
        cells.push_back(lines[i].substr(start));
        EXPECT_EQ(cells.size(), 5u) << lines[i];
        if (cells.size() != 5) continue;
        EXPECT_EQ(cells[0], std::to_string(i));
        for (int k = 0; k < 4; ++k) {
            const std::string& cell = cells[static_cast<std::size_t>(k) + 1];
            if (cell.empty()) continue;
            char* end = nullptr;
            const float v = std::strtof(cell.c_str(), &end);
            EXPECT_EQ(*end, '\0') << cell;
            columns.valid[static_cast<std::size_t>(k)].push_back(v);
        }
        ++columns.rows;
    }
    return columns;
}

// The value after `label` on the report line that starts with it.
std::string afterLabel(const std::string& report, const std::string& label) {
    for (const std::string& line : crlfLines(report))
        if (line.rfind(label, 0) == 0) return line.substr(label.size());
    ADD_FAILURE() << "no line " << label;
    return {};
}

// Percentile positions (1-based) of L ordered values: the pooled estimators
// truncate a * L, the nonpooled ones round it half to even.
std::pair<std::size_t, std::size_t> positions(std::size_t count, float level, bool pooled) {
    const double a = (1.0 - static_cast<double>(level)) / 2.0;
    const double x = a * static_cast<double>(count);
    const double q = pooled ? std::trunc(x) : std::nearbyint(x);
    const auto qi = static_cast<std::size_t>(q);
    return {qi + 1, count - qi};
}

void expectTrialsReproduceReport(const std::string& report, const std::string& csvText, int trials,
                                 float level, const std::string& levelText) {
    const CsvColumns columns = readTrialsCsv(csvText, trials);
    EXPECT_EQ(columns.rows, trials);
    const char* ciNames[4] = {"pooled D", "pooled Robust D", "nonpooled D", "nonpooled Robust D"};
    const char* countNames[4] = {"pooled D", "pooled robust D", "nonpooled D",
                                 "nonpooled robust D"};
    for (int k = 0; k < 4; ++k) {
        std::vector<float> values = columns.valid[static_cast<std::size_t>(k)];
        EXPECT_EQ(afterLabel(report, std::string("Number of valid ") + countNames[k] +
                                         " bootstrap trials = "),
                  std::to_string(values.size()))
            << ciNames[k];
        if (values.empty()) continue;
        std::stable_sort(values.begin(), values.end());
        const auto [lower, upper] = positions(values.size(), level, k < 2);
        const std::string expected = "(" + singleText(roundHalfEven(values[lower - 1], 3)) + ", " +
                                     singleText(roundHalfEven(values[upper - 1], 3)) + ")";
        EXPECT_EQ(afterLabel(report, levelText + "% CI for population " + ciNames[k] + " = "),
                  expected)
            << ciNames[k] << " positions " << lower << ", " << upper;
    }
}

TEST(BatchProgram, TrialsFileReproducesTheIntervalsAndCountsAt95) {
    ScratchDir dir;
    const std::string csvPath = dir.path("trials.csv");
    const ProcessResult r =
        runBatchExe({"--var1", "1", "--var2", "2", "--seed", "5", "--bootstrap-out", csvPath,
                     VELMORA_EXAMPLES_DIR "/pre_post_scores.txt"},
                    dir);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string csv = readFile(csvPath);
    expectTrialsReproduceReport(r.out, csv, 600, 0.95f, "95");
    // Every trial of this data set is valid, so the limits are the 16th and 585th values.
    EXPECT_EQ(positions(600, 0.95f, true), std::make_pair(std::size_t{16}, std::size_t{585}));
    EXPECT_EQ(positions(600, 0.95f, false), std::make_pair(std::size_t{16}, std::size_t{585}));
    EXPECT_EQ(afterLabel(r.out, "Number of valid pooled D bootstrap trials = "), "600");
}

TEST(BatchProgram, TrialsFileReproducesTheIntervalsAndCountsAt99) {
    ScratchDir dir;
    const std::string data = dir.path("small.txt");
    writeFile(data, kSmallData);
    const std::string csvPath = dir.path("trials.csv");
    const ProcessResult r = runBatchExe({"--var1", "1", "--var2", "2", "--seed", "11", "--trials",
                                         "1000", "--level", "99", "--bootstrap-out", csvPath, data},
                                        dir);
    ASSERT_EQ(r.status, 0) << r.err;
    expectTrialsReproduceReport(r.out, readFile(csvPath), 1000, 0.99f, "99");
    EXPECT_EQ(positions(1000, 0.99f, true), std::make_pair(std::size_t{5}, std::size_t{996}));
    EXPECT_EQ(positions(1000, 0.99f, false), std::make_pair(std::size_t{6}, std::size_t{995}));
}

TEST(BatchProgram, TrialsFileLeavesInvalidTrialsEmpty) {
    // Three pairs of whole numbers: a trial that draws one pair three times
    // has no variance and is valid for no estimator.
    ScratchDir dir;
    const std::string data = dir.path("three.txt");
    writeFile(data, "1 2\r\n2 4\r\n3 3\r\n");
    const std::string csvPath = dir.path("trials.csv");
    const ProcessResult r = runBatchExe({"--var1", "1", "--var2", "2", "--seed", "3", "--trials",
                                         "400", "--bootstrap-out", csvPath, data},
                                        dir);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string csv = readFile(csvPath);
    expectTrialsReproduceReport(r.out, csv, 400, 0.95f, "95");
    const CsvColumns columns = readTrialsCsv(csv, 400);
    EXPECT_LT(columns.valid[0].size(), 400u);
    EXPECT_NE(csv.find(",,,,"), std::string::npos);
}

TEST(BatchProgram, PairedAppendsItsBlockAndLeavesTheReportAndTrialsAsTheyWere) {
    ScratchDir dir;
    const std::string data = VELMORA_EXAMPLES_DIR "/pre_post_scores.txt";
    const std::vector<std::string> common = {"--var1", "1",    "--var2",   "2",
                                             "--seed", "2024", "--trials", "1000"};
    const auto run = [&](bool paired, const char* threads, const std::string& csv) {
        std::vector<std::string> args = common;
        if (paired) args.push_back("--paired");
        args.insert(args.end(), {"--threads", threads, "--bootstrap-out", csv, data});
        return runBatchExe(args, dir);
    };
    const ProcessResult without = run(false, "2", dir.path("without.csv"));
    ASSERT_EQ(without.status, 0) << without.err;
    const std::string withoutCsv = readFile(dir.path("without.csv"));

    std::string block;
    for (const char* threads : {"1", "2", "8"}) {
        const std::string csvPath = dir.path(std::string("paired") + threads + ".csv");
        const ProcessResult with = run(true, threads, csvPath);
        ASSERT_EQ(with.status, 0) << with.err;
        // The Velmora text byte for byte, then the block.
        ASSERT_EQ(with.out.substr(0, without.out.size()), without.out) << threads;
        const std::string tail = with.out.substr(without.out.size());
        if (block.empty()) block = tail;
        EXPECT_EQ(tail, block) << threads << " threads";

        // Each row: the four estimators' cells as without --paired, then six more.
        const std::vector<std::string> plain = crlfLines(withoutCsv);
        const std::vector<std::string> rows = crlfLines(readFile(csvPath));
        ASSERT_EQ(rows.size(), plain.size()) << threads;
        EXPECT_EQ(rows[0], plain[0] + ",d_z,robust_d_z,d_rm,d_av,d_b,robust_d_av");
        for (std::size_t i = 1; i < rows.size(); ++i) {
            ASSERT_EQ(rows[i].substr(0, plain[i].size() + 1), plain[i] + ",") << i;
            EXPECT_EQ(std::count(rows[i].begin(), rows[i].end(), ','), 10) << rows[i];
        }
    }
    const std::vector<std::string> lines = crlfLines(block);
    ASSERT_GT(lines.size(), 12u);
    EXPECT_EQ(lines[0], "PAIRED EFFECT SIZES");
    EXPECT_EQ(lines[2], "Var1 = Var 1; Var2 = Var 2; D = Var2 - Var1");
    EXPECT_EQ(lines[5], "95% CI from 1000 bootstrap trials; seed = 2024");

    // d_z by its formula on the example's complete pairs, in long double.
    DataSet example;
    ASSERT_EQ(importDelimitedFile(data, ' ', example).status, ImportStatus::Completed);
    std::vector<long double> d;
    for (std::int32_t i = 1; i <= example.g_lngNumCases; ++i) {
        const float x = example.g_sngData.at(i, 1);
        const float y = example.g_sngData.at(i, 2);
        if (!isMissing(x) && !isMissing(y))
            d.push_back(static_cast<long double>(y) - static_cast<long double>(x));
    }
    long double mean = 0;
    for (long double v : d) mean += v / d.size();
    long double ss = 0;
    for (long double v : d) ss += (v - mean) * (v - mean);
    const double dz = static_cast<double>(mean / std::sqrt(ss / (d.size() - 1)));
    const std::string dzRow = lines[9];
    ASSERT_EQ(dzRow.rfind("d_z ", 0), 0u) << dzRow;
    EXPECT_EQ(std::stod(dzRow.substr(18, 10)), roundHalfEven(dz, 3)) << dzRow;
    EXPECT_EQ(lines[3].rfind("Complete pairs n = " + std::to_string(d.size()) + ";", 0), 0u)
        << lines[3];
}

TEST(BatchProgram, OutputFileGetsTheWholeTextAndStdoutStaysEmpty) {
    ScratchDir dir;
    const std::string data = dir.path("small.txt");
    writeFile(data, kSmallData);
    const std::string out = dir.path("report.txt");
    writeFile(out, "previous\r\n");
    const ProcessResult toFile =
        runBatchExe({"-o", out, "--var1", "1", "--var2", "2", "--seed", "4", data}, dir);
    ASSERT_EQ(toFile.status, 0) << toFile.err;
    EXPECT_EQ(toFile.out, "");
    const ProcessResult toStdout =
        runBatchExe({"--var1", "1", "--var2", "2", "--seed", "4", data}, dir);
    EXPECT_EQ(readFile(out), toStdout.out);
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"small.txt", "report.txt"}));
}

TEST(BatchProgram, CommaAndTabDelimitersImportLikeTheOptionButtons) {
    ScratchDir dir;
    const std::string comma = dir.path("comma.txt");
    writeFile(comma, "1,2\r\n3,\r\n");
    const ProcessResult c =
        runBatchExe({"--delimiter", "comma", "--descriptives", "2", comma}, dir);
    ASSERT_EQ(c.status, 0) << c.err;
    EXPECT_NE(c.out.find("\r\nVar 2              2         .         2         2         1\r\n"),
              std::string::npos)
        << c.out;
    const std::string tab = dir.path("tab.txt");
    writeFile(tab, "1\t2\t3\r\n");
    const ProcessResult t = runBatchExe({"-d", "tab", tab}, dir);
    ASSERT_EQ(t.status, 0) << t.err;
    EXPECT_EQ(t.out, "Opened the text file: " + tab +
                         "\r\nNumber of Cases: 1\r\nNumber of Variables: 3\r\n\r\n\r\n");
}

TEST(BatchProgram, ArithmeticLeavesOrdinaryDataAsItWasAndMendsWhereSinglePrecisionFails) {
    ScratchDir dir;
    const auto run = [&](std::vector<std::string> args, const char* arithmetic) {
        if (arithmetic) args.insert(args.begin(), {"--arithmetic", arithmetic});
        const ProcessResult r = runBatchExe(args, dir);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out;
    };
    // The example data set: the default (auto) prints what single precision prints.
    const std::vector<std::string> example = {"--var1",
                                              "1",
                                              "--var2",
                                              "2",
                                              "--seed",
                                              "20261208",
                                              "--descriptives",
                                              "1-3",
                                              VELMORA_EXAMPLES_DIR "/pre_post_scores.txt"};
    const std::string ordinary = run(example, nullptr);
    EXPECT_EQ(ordinary, run(example, "single"));
    EXPECT_EQ(ordinary.find("double precision"), std::string::npos);

    // Three equal values 0.1 have no spread.
    const std::string data = dir.path("tenths.txt");
    writeFile(data, "0.1 1\r\n0.1 2\r\n0.1 4\r\n");
    const std::vector<std::string> tenths = {"--descriptives", "1", "--var1", "1", "--var2", "2",
                                             "--seed",         "5", data};
    const std::string mended = run(tenths, nullptr);
    EXPECT_EQ(mended, run(tenths, "double"));
    const std::string parts = run(tenths, "single");
    const std::string note = "Computed in double precision: ";
    for (const std::string& line : {note + "Var 1.", std::string("Nonpooled Cohen's D = 9999999"),
                                    note + "single precision lost accuracy for Var 1."})
        EXPECT_NE(mended.find("\r\n" + line + "\r\n"), std::string::npos) << line;
    EXPECT_EQ(parts.find(note), std::string::npos);
    EXPECT_NE(parts.find("\r\nNonpooled Cohen's D = 182954.7\r\n"), std::string::npos);
}

TEST(BatchProgram, HelpAndVersionGoToStdout) {
    ScratchDir dir;
    const ProcessResult help = runBatchExe({"--help"}, dir);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: velmora-batch [options] DATAFILE\n", 0), 0u);
    EXPECT_NE(help.out.find("--bootstrap-out FILE"), std::string::npos);
    EXPECT_NE(help.out.find("--arithmetic auto|single|double"), std::string::npos);
    EXPECT_EQ(help.err, "");
    const ProcessResult version = runBatchExe({"-V"}, dir);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("velmora-batch ", 0), 0u);
}

// --- Failures ------------------------------------------------------------------

struct FailureCase {
    const char* name;
    std::string data;               // content of in.txt (written when not empty)
    std::vector<std::string> args;  // "@" stands for the path of in.txt, "#" for the scratch dir
    int status;
    std::string message;  // the one line on stderr, "@" and "#" replaced likewise
};

std::string substitute(std::string text, const std::string& data, const std::string& root) {
    for (std::size_t pos; (pos = text.find('@')) != std::string::npos;) text.replace(pos, 1, data);
    for (std::size_t pos; (pos = text.find('#')) != std::string::npos;) text.replace(pos, 1, root);
    return text;
}

TEST(BatchProgram, EachFailureIsOneLineWithItsStatusAndLeavesEveryOutputAlone) {
    const std::string fields1001 = [] {
        std::string line = "1";
        for (int i = 2; i <= 1001; ++i) line += " 1";
        return line;
    }();
    const std::string usage = " (see velmora-batch --help)";
    const std::vector<FailureCase> cases = {
        {"unknown option",
         "1 2\r\n",
         {"--frobnicate", "@"},
         2,
         "velmora-batch: unknown option '--frobnicate'" + usage},
        {"no data file", "", {"--var1", "1"}, 2, "velmora-batch: no data file given" + usage},
        {"trials out of range",
         "1 2\r\n",
         {"--trials", "0", "@"},
         2,
         "velmora-batch: --trials must be a whole number from 1 to 1000000, not '0'" + usage},
        {"level",
         "1 2\r\n",
         {"--level", "80", "@"},
         2,
         "velmora-batch: --level must be 90, 95 or 99, not '80'" + usage},
        {"file cannot be opened",
         "",
         {"--var1", "1", "--var2", "2", "#/missing.txt"},
         1,
         "Cannot open the data file '#/missing.txt': No such file or directory"},
        {"invalid entry",
         "1 2\r\n3 4\r\n5 abc\r\n",
         {"--var1", "1", "--var2", "2", "@"},
         1,
         "Row 3 of Column 2 has an invalid entry for analysis."},
        {"number beyond single range",
         "1 2\r\n1e39 4\r\n",
         {"--descriptives", "1", "@"},
         1,
         "Row 2 of Column 1 holds a number beyond the single-precision range."},
        {"too many fields",
         "1 2\r\n" + fields1001 + "\r\n",
         {"@"},
         1,
         "Line 2 has more than 1000 fields."},
        {"column beyond variables",
         "1 2\r\n3 4\r\n5 6\r\n",
         {"--var1", "1", "--var2", "3", "@"},
         1,
         "Column 3 is beyond the data set's variables: it has 2."},
        {"descriptives beyond variables",
         "1 2\r\n",
         {"--descriptives", "1,2-5", "@"},
         1,
         "Column 5 is beyond the data set's variables: it has 2."},
        {"identical variables",
         "1 2\r\n3 4\r\n5 7\r\n",
         {"--var1", "2", "--var2", "2", "@"},
         1,
         "Variable 1 and Variable 2 are identical."},
        {"variable 2 not chosen",
         "1 2\r\n3 4\r\n5 7\r\n",
         {"--var1", "1", "@"},
         1,
         "Variable 2 must be selected."},
        {"variable 1 not chosen",
         "1 2\r\n3 4\r\n5 7\r\n",
         {"--var2", "1", "@"},
         1,
         "Variable 1 must be selected."},
        {"one value of variable 1",
         "1 2\r\n. 4\r\n. 7\r\n",
         {"--var1", "1", "--var2", "2", "@"},
         1,
         "There is an insufficient number of observations for Variable 1."},
        {"one value of variable 2",
         "1 2\r\n3 .\r\n5 .\r\n",
         {"--var1", "1", "--var2", "2", "@"},
         1,
         "There is an insufficient number of observations for Variable 2."},
        {"no joint pairs",
         "1 .\r\n2 .\r\n3 .\r\n. 4\r\n. 5\r\n. 6\r\n",
         {"--var1", "1", "--var2", "2", "@"},
         1,
         "There is an insufficient number of joint observations for Variables 1 and 2."},
        {"zero variances",
         "3 5\r\n3 5\r\n3 5\r\n",
         {"--var1", "1", "--var2", "2", "@"},
         1,
         "Group 1 and Group 2 both have a zero variance."},
        {"descriptives overflow",
         "3e38\r\n3e38\r\n",
         {"--descriptives", "1", "@"},
         1,
         "The Descriptives of Var 1 overflow: a sum leaves the single-precision range."},
        {"trials file in a missing directory",
         "1 2\r\n3 4\r\n5 7\r\n",
         {"--var1", "1", "--var2", "2", "--bootstrap-out", "#/nowhere/t.csv", "@"},
         1,
         "Cannot write '#/nowhere/t.csv': No such file or directory"},
        {"plot in a missing directory",
         "1 2\r\n3 4\r\n5 7\r\n",
         {"--var1", "1", "--var2", "2", "--plot", "#/nowhere/p.svg", "@"},
         1,
         "Cannot write '#/nowhere/p.svg': No such file or directory"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        const std::string root = dir.root().string();
        const std::string data = dir.path("in.txt");
        if (!c.data.empty()) writeFile(data, c.data);
        // An earlier report and trials file, which a failed run must leave as they are.
        const std::string out = dir.path("report.txt");
        writeFile(out, "earlier report\r\n");
        const std::string csv = dir.path("earlier.csv");
        writeFile(csv, "earlier trials\r\n");
        const std::set<std::string> before = dir.entries();

        std::vector<std::string> args = {"--output", out};
        for (const std::string& a : c.args) args.push_back(substitute(a, data, root));
        const auto names = [&](const char* option) {
            return std::find(args.begin(), args.end(), option) != args.end();
        };
        if (c.status == 1 && names("--var1") && names("--var2")) {
            if (!names("--bootstrap-out")) args.insert(args.begin(), {"--bootstrap-out", csv});
            // A plot that must not appear either (the entries are compared).
            if (!names("--plot")) args.insert(args.begin(), {"--plot", dir.path("plot.svg")});
        }
        const ProcessResult r = runBatchExe(args, dir);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err, substitute(c.message, data, root) + "\n");
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(readFile(out), "earlier report\r\n");
        EXPECT_EQ(readFile(csv), "earlier trials\r\n");
        EXPECT_EQ(dir.entries(), before);  // no temporary file left behind
    }
}

TEST(BatchProgram, FailureWithoutOutputFileWritesNothingToStdout) {
    ScratchDir dir;
    const std::string data = dir.path("in.txt");
    writeFile(data, "1 2\r\n3 4\r\n5 x\r\n");
    const ProcessResult r = runBatchExe({"--descriptives", "1", data}, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Row 3 of Column 2 has an invalid entry for analysis.\n");
}

TEST(BatchProgram, UnwritableOutputFileIsReportedAndNothingIsPrinted) {
    ScratchDir dir;
    const std::string data = dir.path("in.txt");
    writeFile(data, "1 2\r\n");
    const ProcessResult r = runBatchExe({"-o", dir.path("no/such/report.txt"), data}, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "Cannot write '" + dir.path("no/such/report.txt") + "': No such file or directory\n");
}

// --- Output files ---------------------------------------------------------------

// in.txt of `dir` holding kSmallData; its path.
std::string smallDataIn(const ScratchDir& dir) {
    writeFile(dir.path("in.txt"), kSmallData);
    return dir.path("in.txt");
}

// Every entry of a directory with what it holds (a link as "-> target").
std::map<std::string, std::string> snapshot(const ScratchDir& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir.root())) {
        const std::string name = e.path().lexically_relative(dir.root()).string();
        if (e.is_symlink()) {
            files[name] = "-> " + std::filesystem::read_symlink(e.path()).string();
        } else if (e.is_regular_file()) {
            files[name] = readFile(e.path().string());
        } else {
            files[name] = e.is_directory() ? "directory" : "other";
        }
    }
    return files;
}

TEST(BatchProgram, OutputOverTheDataFileOrTwiceToOneFileIsAUsageError) {
    const struct {
        std::vector<std::string> args;  // "@" the data file, "#" the scratch directory
        const char* stdoutTo;           // a file standard output is appended to, if any
        std::string fault;
    } cases[] = {
        {{"-o", "@", "@"}, nullptr, "--output and the data file name the same file"},
        {{"-o", "#/./in.txt", "@"}, nullptr, "--output and the data file name the same file"},
        {{"--var1", "1", "--var2", "2", "--bootstrap-out", "#/link.txt", "@"},
         nullptr,
         "--bootstrap-out and the data file name the same file"},
        {{"--var1", "1", "--var2", "2", "--plot", "#/sub/../in.txt", "@"},
         nullptr,
         "--plot and the data file name the same file"},
        {{"--var1", "1", "--var2", "2", "-o", "#/new.out", "--bootstrap-out", "#/./new.out", "@"},
         nullptr,
         "--output and --bootstrap-out name the same file"},
        {{"--var1", "1", "--var2", "2", "-o", "#/out.txt", "--plot", "#/out-link", "@"},
         nullptr,
         "--output and --plot name the same file"},
        {{"--var1", "1", "--var2", "2", "--bootstrap-out", "#/out.txt", "@"},
         "out.txt",
         "--bootstrap-out and standard output are the same file"},
        // With -o standard output is not written, but the file it goes to is no less taken.
        {{"--var1", "1", "--var2", "2", "-o", "#/new.out", "--plot", "#/out.txt", "@"},
         "out.txt",
         "--plot and standard output are the same file"},
        {{"@"}, "in.txt", "standard output and the data file are the same file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        ScratchDir dir;
        const std::string data = smallDataIn(dir);
        writeFile(dir.path("out.txt"), "earlier\r\n");
        std::filesystem::create_directory(dir.path("sub"));
        std::filesystem::create_symlink("in.txt", dir.path("link.txt"));
        std::filesystem::create_symlink("out.txt", dir.path("out-link"));
        const auto before = snapshot(dir);
        std::vector<std::string> args;
        for (const std::string& a : c.args)
            args.push_back(substitute(a, data, dir.root().string()));
        const ProcessResult r = batchtest::runProcess(VELMORA_BATCH_EXE, args, dir,
                                                      c.stdoutTo ? dir.path(c.stdoutTo) : "");
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "velmora-batch: " + c.fault + " (see velmora-batch --help)\n");
        EXPECT_EQ(snapshot(dir), before);
    }
}

TEST(BatchProgram, FifoLinkAndFileEachReceiveTheirOutputAndStayWhatTheyWere) {
    ScratchDir dir;
    const std::string data = smallDataIn(dir);
    const std::string fifo = dir.path("report.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Open for reading throughout, so that the run's open never waits.
    const int reader = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    writeFile(dir.path("trials.csv"), "earlier trials\r\n");
    std::filesystem::create_symlink("trials.csv", dir.path("latest.csv"));
    const std::string plot = dir.path("plot.svg");
    writeFile(plot, "earlier plot");
    ASSERT_EQ(::chmod(plot.c_str(), 0640), 0);

    const std::vector<std::string> analysis = {"--var1", "1", "--var2", "2", "--seed", "4"};
    std::vector<std::string> args = analysis;
    args.insert(args.end(),
                {"-o", fifo, "--bootstrap-out", dir.path("latest.csv"), "--plot", plot, data});
    const ProcessResult r = runBatchExe(args, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    std::string received;
    char block[4096];
    for (ssize_t n; (n = ::read(reader, block, sizeof block)) > 0;)
        received.append(block, static_cast<std::size_t>(n));
    ::close(reader);
    args = analysis;
    args.push_back(data);
    EXPECT_EQ(received, runBatchExe(args, dir).out);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));

    EXPECT_TRUE(std::filesystem::is_symlink(dir.path("latest.csv")));
    EXPECT_EQ(readFile(dir.path("trials.csv")).rfind("trial,pooled_d,", 0), 0u);
    EXPECT_EQ(readFile(plot).rfind("<?xml", 0), 0u);
    struct stat info {};
    ASSERT_EQ(::stat(plot.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"in.txt", "report.fifo", "trials.csv",
                                                    "latest.csv", "plot.svg"}));
}

TEST(BatchProgram, LastOutputFailingLeavesTheEarlierOnesAndNoTemporary) {
    const bool fullDevice = std::filesystem::is_character_file("/dev/full");
    const struct {
        const char* name;
        std::vector<std::string> more;  // "#" the scratch directory
        const char* stdoutTo;
        const char* err;
    } cases[] = {
        {"a directory as --output",
         {"-o", "#/dir"},
         nullptr,
         "Cannot write '#/dir': Is a directory"},
        {"standard output full",
         {},
         "/dev/full",
         "Cannot write to standard output: No space left on device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.stdoutTo && !fullDevice) continue;
        ScratchDir dir;
        const std::string data = smallDataIn(dir);
        writeFile(dir.path("old.csv"), "earlier trials\r\n");
        writeFile(dir.path("old.svg"), "earlier plot");
        std::filesystem::create_directory(dir.path("dir"));
        const auto before = snapshot(dir);
        std::vector<std::string> args = {"--var1",          "1",
                                         "--var2",          "2",
                                         "--bootstrap-out", dir.path("old.csv"),
                                         "--plot",          dir.path("old.svg")};
        for (const std::string& a : c.more)
            args.push_back(substitute(a, data, dir.root().string()));
        args.push_back(data);
        const ProcessResult r =
            batchtest::runProcess(VELMORA_BATCH_EXE, args, dir, c.stdoutTo ? c.stdoutTo : "");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, substitute(c.err, data, dir.root().string()) + "\n");
        EXPECT_EQ(snapshot(dir), before);
    }
}

// /proc/self/fd/1 rather than /dev/stdout: the same link of /proc, and a
// program that mistook it for a file to replace could not touch /dev.
TEST(BatchProgram, LinkToStandardOutputWritesWhereTheRedirectionPoints) {
    ScratchDir dir;
    const std::string data = smallDataIn(dir);
    const std::string log = dir.path("log.txt");
    writeFile(log, "earlier\r\n");
    const ProcessResult r = batchtest::runProcess(
        VELMORA_BATCH_EXE, {"--descriptives", "1", "-o", "/proc/self/fd/1", data}, dir, log);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(log), "earlier\r\n" + runBatchExe({"--descriptives", "1", data}, dir).out);
}

// A run killed while it writes its outputs: here the trials file is written
// while --output, a FIFO nobody reads, holds the run until the signal comes.
TEST(BatchProgram, SignalWhileWritingRemovesTheTemporaryFilesAndEndsTheRun) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        ScratchDir dir;
        const std::string data = smallDataIn(dir);
        writeFile(dir.path("old.csv"), "earlier trials\r\n");
        const std::string fifo = dir.path("report.fifo");
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        const auto before = snapshot(dir);

        std::vector<std::string> store = {VELMORA_BATCH_EXE,
                                          "--var1",
                                          "1",
                                          "--var2",
                                          "2",
                                          "--trials",
                                          "300000",
                                          "--bootstrap-out",
                                          dir.path("old.csv"),
                                          "-o",
                                          fifo,
                                          data};
        std::vector<char*> argv;
        for (std::string& a : store) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        // Default actions and no blocked signal, whatever the test runner has.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t set;
        sigemptyset(&set);
        posix_spawnattr_setsigmask(&attributes, &set);
        for (const int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, s);
        posix_spawnattr_setsigdefault(&attributes, &set);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);

        // Sent as soon as a temporary file is there; the run cannot end before.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        bool sent = false;
        int wstatus = 0;
        while (std::chrono::steady_clock::now() < deadline) {
            if (!sent &&
                dir.entries() != std::set<std::string>{"in.txt", "old.csv", "report.fifo"}) {
                ::kill(pid, signal);
                sent = true;
            }
            if (::waitpid(pid, &wstatus, WNOHANG) == pid) break;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        if (::waitpid(pid, nullptr, WNOHANG) == 0) {  // still running: a failure, not a hang
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            ADD_FAILURE() << "the run did not end";
        }
        EXPECT_TRUE(sent);
        EXPECT_TRUE(WIFSIGNALED(wstatus) && WTERMSIG(wstatus) == signal) << wstatus;
        EXPECT_EQ(snapshot(dir), before);
    }
}

// As root, an output that is a device node: in a private mount namespace
// (unshare -m) on a tmpfs of its own, never on the machine's /dev.
TEST(BatchProgram, DeviceNodeIsWrittenInPlaceAndStaysADevice) {
    ScratchDir dir;
    const std::string data = smallDataIn(dir);
    std::filesystem::create_directory(dir.path("dev"));
    const std::string script =
        "mount -t tmpfs velmora \"$1\" && mknod \"$1/null\" c 1 3 && chmod 666 \"$1/null\" "
        "&& echo x > \"$1/null\" || exit 77\n"
        "\"$2\" -o \"$1/null\" \"$3\"\n"
        "echo \"status $?\"\n"
        // Two outputs to one device destroy nothing, so they are allowed.
        "\"$2\" --var1 1 --var2 2 --seed 1 -o \"$1/null\" --bootstrap-out \"$1/null\" \"$3\"\n"
        "echo \"status $?\"\n"
        "stat -c '%F %a %t,%T' \"$1/null\"\n"
        "ls -A \"$1\"\n";
    const ProcessResult r = batchtest::runProcess(
        "/usr/bin/unshare",
        {"-m", "sh", "-c", script, "sh", dir.path("dev"), VELMORA_BATCH_EXE, data}, dir);
    if (r.status != 0 && r.out.empty()) GTEST_SKIP() << "no private mount namespace: " << r.err;
    EXPECT_EQ(r.out, "status 0\nstatus 0\ncharacter special file 666 1,3\nnull\n") << r.err;
}

}  // namespace
}  // namespace velmora
