#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/paired/paired_effects_report.h"

namespace velmora {
namespace {

constexpr std::optional<double> kNC = std::nullopt;

TEST(PairedEffectsReport, BlockLaysOutEveryEstimatorInFixedCells) {
    AnalysisOptions options;
    options.lngVar1 = 3;
    options.lngVar2 = 12;
    options.sngConfidenceLevel = 0.9f;
    options.lngNonpooledSdVar = 2;

    PairedObserved observed;
    observed.moments.n = 10;
    // D of the pairs 3..1 and 5..2 of test_paired_inference.cpp.
    observed.moments.difference.mean = 1.7;
    observed.moments.difference.variance = 6.1 / 9.0;
    observed.r = 0.96193428;
    observed.m = 9;
    observed.correction = 0.91387489179255;
    observed.d = {2.0649296, -0.0004, kNC, 0.61823859, 12345678.9, -1.8174707};
    observed.g = {1.8870873, -0.0003656, kNC, 0.5649927, 11282340.5, -1.6609321};

    PairedSummary summary;
    summary.lngTrials = 2000;
    summary.effects = {{
        {2000, {0.0625, 3.1875}, {-0.5625, 2.0}},  // exact halves go to even
        {1999, {-0.25, 0.5}, {}},
        {0, {}, {}},
        {2000, {0.1, 1.25}, {0.0995, 1.2}},
        {1987, {-123456.7891, 99999999.5}, {-1.0, 1.0}},
        {2000, {-3.2, -0.4}, {-3.3, -0.5}},
    }};

    // The analytic and t test columns from R at the 90% level:
    //   t.test(y, x, paired = TRUE, conf.level = 0.9) for the t test line;
    //   uniroot(function(ncp) pt(2.0649296 * sqrt(10), 9, ncp) - p, ...) / sqrt(10)
    //   with p = 0.95 and 0.05 for d_z (1.088309783, 2.977268263); for d_b
    //   12345678.9 -+ qnorm(0.95) * sqrt(2 * (1 - 0.96193428) / 10 + 12345678.9^2 / 20)
    //   (7804932.617, 16886425.183).
    const std::string rule(108, '-');
    const std::vector<std::string> lines = {
        "PAIRED EFFECT SIZES",
        rule,
        "Var1 = Var 3; Var2 = Var 12; D = Var2 - Var1",
        "Complete pairs n = 10; r = 0.962",
        "g = J(m) x d with m = n - 1 = 9; J(m) = 0.913875",
        "90% CI from 2000 bootstrap trials; seed = 18446744073709551615",
        rule,
        "Estimator                  d         g Pct lower Pct upper BCa lower BCa upper Anl lower "
        "Anl upper     Valid",
        rule,
        "d_z                    2.065     1.887     0.062     3.188    -0.562         2     1.088 "
        "    2.977      2000",
        "robust d_z                 0         0     -0.25       0.5       n/c       n/c       n/a "
        "      n/a      1999",
        "d_rm                     n/c       n/c       n/c       n/c       n/c       n/c       n/a "
        "      n/a         0",
        "d_av                   0.618     0.565       0.1      1.25       0.1       1.2       n/a "
        "      n/a      2000",
        "d_b (SD Var 12)     12345679  11282340 -123456.8 100000000        -1         1 7804932.6 "
        " 16886425      1987",
        "robust d_av           -1.817    -1.661      -3.2      -0.4      -3.3      -0.5       n/a "
        "      n/a      2000",
        rule,
        "Paired t test on D: M_D = 1.7; SD = 0.823; 90% CI = (1.223, 2.177)",
        "t = 6.53; df = 9; p < .001",
        rule,
        "The limits are those of d; g's are J(m) times them. Pct and BCa: bootstrap.",
        "Anl: analytic, noncentral t for d_z and normal for d_b. n/a: none defined.",
        "n/c: not computable.",
        "",
        "",
        "",
        "",
        "",
    };
    std::string want;
    for (const std::string& line : lines) want += line + "\r\n";
    EXPECT_EQ(BuildPairedEffectsReport(options, 18446744073709551615u, observed, summary), want);
}

}  // namespace
}  // namespace velmora
