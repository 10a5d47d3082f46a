#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "batch_run.h"
#include "batch_test_support.h"
#include "bootstrap_csv.h"
#include "progress_bar.h"
#include "support/address_space_limit.h"
#include "support/fake_clock.h"

namespace velmora::batch {
namespace {

using batchtest::readFile;
using batchtest::ScratchDir;
using batchtest::writeFile;

TEST(BootstrapCsv, ValidValuesHaveNineSignificantDigitsAndInvalidOnesAreEmpty) {
    EXPECT_EQ(csvCell(9999999.0f), "");
    EXPECT_EQ(csvCell(0.1f), "0.100000001");
    EXPECT_EQ(csvCell(-1.5f), "-1.5");
    EXPECT_EQ(csvCell(0.0f), "0");
    EXPECT_EQ(csvCell(1e-5f), "9.99999975e-06");
    EXPECT_EQ(csvCell(12345678.0f), "12345678");
    // The neighbours of the missing code are ordinary values.
    EXPECT_EQ(csvCell(9999998.0f), "9999998");
}

TEST(BootstrapCsv, EveryCellReadsBackToTheSameSingle) {
    std::vector<float> values = {
        std::numeric_limits<float>::min(), std::numeric_limits<float>::max(),
        std::numeric_limits<float>::denorm_min(), -0.333333343f, 2.71828175f};
    // A spread of bit patterns across the whole finite range.
    for (std::uint32_t bits = 0x00800001u; bits < 0x7f000000u; bits += 0x00fedcbau) {
        float v;
        std::memcpy(&v, &bits, sizeof v);
        values.push_back(v);
        values.push_back(-v);
    }
    for (float v : values) {
        const std::string text = csvCell(v);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(std::strtof(text.c_str(), nullptr), v) << text;
    }
}

TEST(BootstrapCsv, HeaderThenOneNumberedRowPerTrial) {
    EffectSizes first;
    first.sngPooledD() = 0.5f;
    first.sngPooledRobustD() = 9999999.0f;
    first.sngNonpooledD() = -0.25f;
    first.sngNonpooledRobustD() = 1.0f;
    EffectSizes second;
    second.sngPooledD() = 9999999.0f;
    second.sngPooledRobustD() = 9999999.0f;
    second.sngNonpooledD() = 9999999.0f;
    second.sngNonpooledRobustD() = 9999999.0f;
    EXPECT_EQ(buildBootstrapCsv({first, second}),
              "trial,pooled_d,pooled_robust_d,nonpooled_d,nonpooled_robust_d\r\n"
              "1,0.5,,-0.25,1\r\n"
              "2,,,,\r\n");
    EXPECT_EQ(buildBootstrapCsv({}),
              "trial,pooled_d,pooled_robust_d,nonpooled_d,nonpooled_robust_d\r\n");
}

TEST(BootstrapCsv, PairedFamilyFollowsTheFourWithSeventeenDigitsAndEmptyCells) {
    EffectSizes four;
    four.sngPooledD() = 0.5f;
    four.sngPooledRobustD() = 9999999.0f;
    four.sngNonpooledD() = -0.25f;
    four.sngNonpooledRobustD() = 1.0f;
    PairedEstimates first;
    first[0] = 0.1;  // d_z: 0.1 is 0.1000000000000000055511...
    first[2] = -1.0 / 3.0;
    first[3] = 2.0;
    first[5] = 1e-7;
    PairedEstimates second;  // nothing computable
    EXPECT_EQ(buildBootstrapCsv({four, four}, {first, second}),
              "trial,pooled_d,pooled_robust_d,nonpooled_d,nonpooled_robust_d,"
              "d_z,robust_d_z,d_rm,d_av,d_b,robust_d_av\r\n"
              "1,0.5,,-0.25,1,0.10000000000000001,,-0.33333333333333331,2,,"
              "9.9999999999999995e-08\r\n"
              "2,0.5,,-0.25,1,,,,,,\r\n");
    // Without the paired family the file is the four estimators' alone.
    EXPECT_EQ(buildBootstrapCsv({four}, {}), buildBootstrapCsv({four}));
}

struct Recorder {
    std::vector<std::string> writes;
    ProgressBar::Writer writer() {
        return [this](std::string_view s) { writes.emplace_back(s); };
    }
};

TEST(ProgressBar, SilentWhenNotATerminal) {
    testing::FakeMonotonicClock clock(0.0, 0.0);
    Recorder rec;
    ProgressBar bar(rec.writer(), clock, 600, false);
    clock.advance(5.0);
    bar.update(300);
    bar.finish();
    EXPECT_TRUE(rec.writes.empty());
}

TEST(ProgressBar, QuietForTheFirstSecondThenDrawsAndClears) {
    testing::FakeMonotonicClock clock(100.0, 0.0);
    Recorder rec;
    ProgressBar bar(rec.writer(), clock, 600, true);
    clock.advance(0.9);
    bar.update(100);
    EXPECT_TRUE(rec.writes.empty());
    bar.finish();  // nothing drawn, nothing to clear
    EXPECT_TRUE(rec.writes.empty());

    clock.advance(0.6);  // 1.5 s in
    bar.update(300);
    ASSERT_EQ(rec.writes.size(), 1u);
    // 299 of 600 done: 14 of 30 cells; 1.5 s * 301 / 299 = 1.51 s left.
    const std::string expected =
        "\r[" + std::string(14, '=') + std::string(16, ' ') + "] 300/600 trials, 2 s left";
    EXPECT_EQ(rec.writes[0], expected + std::string(72 - (expected.size() - 1), ' '));

    clock.advance(0.05);  // too soon for another frame
    bar.update(310);
    EXPECT_EQ(rec.writes.size(), 1u);
    clock.advance(0.1);
    bar.update(320);
    ASSERT_EQ(rec.writes.size(), 2u);
    EXPECT_NE(rec.writes[1].find("] 320/600 trials, "), std::string::npos);

    bar.finish();
    ASSERT_EQ(rec.writes.size(), 3u);
    EXPECT_EQ(rec.writes[2], "\r" + std::string(72, ' ') + "\r");
}

TEST(ProgressBar, FramesAndDurations) {
    const auto pad = [](std::string s) { return s + std::string(72 - s.size(), ' '); };
    EXPECT_EQ(ProgressBar::frame(1, 600, 1.2),
              pad("[" + std::string(30, ' ') + "] 1/600 trials, estimating time left"));
    EXPECT_EQ(ProgressBar::frame(601, 600, 10.0),
              pad("[" + std::string(30, '=') + "] 601/600 trials, 0 s left"));
    // 150 of 600 done in 50 s: 150 s left.
    EXPECT_EQ(ProgressBar::frame(151, 600, 50.0),
              pad("[" + std::string(7, '=') + std::string(23, ' ') +
                  "] 151/600 trials, 2 min 30 s left"));
    EXPECT_EQ(ProgressBar::frame(5, 600, 1.0).size(), 72u);
    EXPECT_EQ(ProgressBar::durationText(0.0), "0 s");
    EXPECT_EQ(ProgressBar::durationText(59.4), "59 s");
    EXPECT_EQ(ProgressBar::durationText(59.6), "1 min 00 s");
    EXPECT_EQ(ProgressBar::durationText(125.0), "2 min 05 s");
    EXPECT_EQ(ProgressBar::durationText(3725.0), "1 h 02 min");
}

struct CapturedRun {
    int status = -1;
    std::string out;
    std::string err;
};

CapturedRun runInProcess(const std::vector<std::string>& args, bool terminal,
                         const MonotonicClock& clock, const WallClock& wallClock) {
    CapturedRun run;
    BatchEnvironment env;
    env.writeOut = [&run](std::string_view s) -> std::optional<std::string> {
        run.out += s;
        return std::nullopt;
    };
    env.writeErr = [&run](std::string_view s) { run.err += s; };
    env.errIsTerminal = terminal;
    env.monotonicClock = &clock;
    env.wallClock = &wallClock;
    run.status = runBatch(args, env);
    return run;
}

const char* const kPairs = "1 2\r\n2 4\r\n3 3\r\n4 7\r\n5 6\r\n6 9\r\n";

TEST(BatchRun, ProgressIsDrawnOnlyOnATerminalAndClearedAtTheEnd) {
    ScratchDir dir;
    const std::string data = dir.path("pairs.txt");
    writeFile(data, kPairs);
    const std::vector<std::string> args = {"--var1", "1", "--var2", "2", "--seed", "8", data};
    const testing::FakeWallClock wall;

    // Every read of this clock moves it on by 10 ms, so 600 trials last about 6 s.
    const testing::FakeMonotonicClock quietClock(0.0, 0.01);
    const CapturedRun quiet = runInProcess(args, false, quietClock, wall);
    ASSERT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_EQ(quiet.err, "");

    const testing::FakeMonotonicClock clock(0.0, 0.01);
    const CapturedRun shown = runInProcess(args, true, clock, wall);
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out, quiet.out);  // the report never carries the bar
    ASSERT_GT(shown.err.size(), 74u);
    EXPECT_EQ(shown.err.rfind("\r[", 0), 0u);
    EXPECT_NE(shown.err.find("/600 trials, "), std::string::npos);
    EXPECT_EQ(shown.err.substr(shown.err.size() - 74), "\r" + std::string(72, ' ') + "\r");

    // A run that ends within its first second shows nothing, even on a terminal.
    const testing::FakeMonotonicClock fastClock(0.0, 0.0);
    const CapturedRun fast = runInProcess(args, true, fastClock, wall);
    EXPECT_EQ(fast.err, "");
}

TEST(BatchRun, ClockSeedIsReportedAfterTheRunAndRepeatsIt) {
    ScratchDir dir;
    const std::string data = dir.path("pairs.txt");
    writeFile(data, kPairs);
    const testing::FakeMonotonicClock clock(0.0, 0.0);
    const testing::FakeWallClock wall(1234567890123ull);
    const std::string seed = std::to_string(seedFromClock(wall));
    const CapturedRun clocked =
        runInProcess({"--var1", "1", "--var2", "2", data}, false, clock, wall);
    ASSERT_EQ(clocked.status, 0);
    EXPECT_EQ(clocked.err, "seed: " + seed + "\n");
    const CapturedRun fixed =
        runInProcess({"--seed", seed, "--var1", "1", "--var2", "2", data}, false, clock, wall);
    EXPECT_EQ(fixed.out, clocked.out);
    EXPECT_EQ(fixed.err, "");
    // Without the bootstrap there is no seed to report.
    EXPECT_EQ(runInProcess({"--descriptives", "1", data}, false, clock, wall).err, "");
}

TEST(BatchRun, UsageErrorsGoToStderrWithStatusTwo) {
    const testing::FakeMonotonicClock clock(0.0, 0.0);
    const testing::FakeWallClock wall;
    const CapturedRun r = runInProcess({"--trials", "x", "f"}, false, clock, wall);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "velmora-batch: --trials must be a whole number from 1 to 1000000, not 'x' (see "
              "velmora-batch --help)\n");
}

// Found by fuzzing: an argument holding a line break split the error line.
TEST(BatchRun, ErrorLineShowsControlCharactersOfNamesEscaped) {
    const testing::FakeMonotonicClock clock(0.0, 0.0);
    const testing::FakeWallClock wall;
    const struct {
        std::vector<std::string> args;
        int status;
        const char* err;
    } cases[] = {
        {{"a\nb", "c"},
         2,
         "velmora-batch: more than one data file given: 'a\\nb' and 'c' (see velmora-batch "
         "--help)\n"},
        {{"/no/such\r\t\x1b[2J\x7f"},
         1,
         "Cannot open the data file '/no/such\\r\\t\\x1B[2J\\x7F': No such file or directory\n"},
    };
    for (const auto& c : cases) {
        const CapturedRun r = runInProcess(c.args, false, clock, wall);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err, c.err);
    }
}

// With 96 MB of headroom left: a matrix of 1000 columns of 200,002 singles
// (800 MB) cannot be allocated; 2,000,000 pairs (16 MB) can, but not the
// bootstrap's working storage over them.
TEST(BatchRun, MemoryBeyondTheLimitIsOneLineAndStatusOne) {
    VELMORA_TEST_ALONE_UNDER_MEMORY_LIMITS();
    ScratchDir dir;
    const std::string wide = dir.path("wide.txt");
    const std::string pairs = dir.path("pairs.txt");
    std::string text = "1";
    for (int j = 2; j <= 1000; ++j) text += " 1";
    text += "\r\n";
    for (int i = 0; i < 200000; ++i) text += "1\r\n";
    writeFile(wide, text);
    text.clear();
    for (int i = 0; i < 2000000; ++i)
        text += std::to_string(i % 7) + " " + std::to_string(i % 5) + "\r\n";
    writeFile(pairs, text);
    const testing::FakeMonotonicClock clock(0.0, 0.0);
    const testing::FakeWallClock wall;
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"--descriptives", "1", wide},
         "The data file '" + wide + "' is too large to be held in memory.\n"},
        {{"--var1", "1", "--var2", "2", "--seed", "1", pairs},
         "There is not enough memory for the bootstrap trials.\n"},
    };
    for (const auto& c : cases) {
        const std::string seen = testing::runUnderAddressSpaceLimit(96u << 20, [&] {
            const CapturedRun r = runInProcess(c.args, false, clock, wall);
            return std::to_string(r.status) + "|" + r.out + "|" + r.err;
        });
        EXPECT_EQ(seen, "1||" + c.err);
    }
}

TEST(BatchMessages, ColumnBeyondTheDataSet) {
    EXPECT_EQ(columnBeyondMessage(7, 3), "Column 7 is beyond the data set's variables: it has 3.");
    EXPECT_EQ(columnBeyondMessage(1, 0),
              "Column 1 is beyond the data set's variables: it has none.");
}

}  // namespace
}  // namespace velmora::batch
