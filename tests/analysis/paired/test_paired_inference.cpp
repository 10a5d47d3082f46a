#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analysis/paired/analytic_intervals.h"
#include "analysis/paired/paired_columns.h"
#include "analysis/paired/paired_t_test.h"
#include "paired_test_support.h"

// Expected values from R 4.2 with effectsize 0.8.3, for each data set:
//   tt <- t.test(y, x, paired = TRUE)            # M_D, t, df, p, conf.int
//   effectsize::cohens_d(y, x, paired = TRUE)    # d_z and its CI
//   effectsize::hedges_g(y, x, paired = TRUE)    # g and its CI
// effectsize finds the noncentrality with uniroot's default tolerance, so its
// limits agree only to about 1e-7; the limits below are those of
//   uniroot(function(ncp) pt(t, n - 1, ncp) - p, ..., tol = 1e-14)$root / sqrt(n)
// with p = 0.975 and 0.025. d_b's limits by hand in R:
//   d_b -+ qnorm(0.975) * sqrt(2 * (1 - cor(x, y)) / n + d_b^2 / (2 * n)).

namespace velmora {
namespace {

using testing::pairsOf;

struct InferenceCase {
    const char* name;
    std::vector<double> x;  // Var 1
    std::vector<double> y;  // Var 2
    double md, t, p, ciLow, ciHigh;
    double dzLow, dzHigh;  // uniroot on pt
    double esLow, esHigh;  // effectsize::cohens_d
    double gLow, gHigh;    // effectsize::hedges_g
    double dbLow, dbHigh;
};

TEST(PairedInference, TTestAndAnalyticLimitsAgreeWithR) {
    const InferenceCase cases[] = {
        {"TenPairs",
         {3, 5, 2, 8, 6, 4, 7, 5, 9, 1},
         {5, 6, 4, 9, 9, 5, 8, 7, 12, 2},
         1.7,
         6.52988087657769,
         0.000107650276038551,
         1.11106625841351,
         2.28893374158649,
         0.924688560504355,
         3.17292220200148,
         0.924688541544101,
         3.17292227446115,
         0.845049640845428,
         2.89965400023936,
         0.322983262601319,
         0.993831075109203},
        {"FivePairs",
         {10.5, 12.25, 9.75, 11.0, 13.5},
         {11.0, 14.0, 9.5, 12.5, 20.0},
         2.0,
         1.69409419955051,
         0.165496569539563,
         -1.27779306007242,
         5.27779306007242,
         -0.287668558575354,
         1.73707622095228,
         -0.287668621315414,
         1.7370761666995,
         -0.229526351575015,
         1.38598625434815,
         0.483592243891745,
         2.20938466761202},
    };
    for (const InferenceCase& c : cases) {
        SCOPED_TRACE(c.name);
        const PairedColumns columns(pairsOf(c.x, c.y));
        const PairedObserved observed = ComputePairedObserved(columns, 1);
        const PairedTTest test = ComputePairedTTest(observed.moments, 0.95);
        EXPECT_NEAR(test.meanDifference, c.md, 1e-13);
        EXPECT_EQ(test.df, static_cast<std::int32_t>(c.x.size()) - 1);
        ASSERT_TRUE(test.t && test.p && test.ci.lower && test.ci.upper);
        EXPECT_NEAR(*test.t, c.t, 1e-12);
        EXPECT_NEAR(*test.p / c.p, 1.0, 1e-10);
        EXPECT_NEAR(*test.ci.lower, c.ciLow, 1e-12);
        EXPECT_NEAR(*test.ci.upper, c.ciHigh, 1e-12);

        const PairedAnalyticIntervals analytic = ComputePairedAnalyticIntervals(observed, 0.95);
        for (PairedEffect none : {PairedEffect::RobustDz, PairedEffect::Drm, PairedEffect::Dav,
                                  PairedEffect::RobustDav})
            EXPECT_FALSE(analytic[static_cast<std::size_t>(none)]) << PairedEffectName(none);
        const auto& dz = analytic[static_cast<std::size_t>(PairedEffect::Dz)];
        ASSERT_TRUE(dz && dz->lower && dz->upper);
        EXPECT_NEAR(*dz->lower, c.dzLow, 1e-9);
        EXPECT_NEAR(*dz->upper, c.dzHigh, 1e-9);
        EXPECT_NEAR(*dz->lower, c.esLow, 1e-6);
        EXPECT_NEAR(*dz->upper, c.esHigh, 1e-6);
        const PairedInterval g = CorrectedInterval(*dz, observed.correction);
        EXPECT_NEAR(*g.lower, c.gLow, 1e-6);
        EXPECT_NEAR(*g.upper, c.gHigh, 1e-6);
        const auto& db = analytic[static_cast<std::size_t>(PairedEffect::Db)];
        ASSERT_TRUE(db && db->lower && db->upper);
        EXPECT_NEAR(*db->lower, c.dbLow, 1e-12);
        EXPECT_NEAR(*db->upper, c.dbHigh, 1e-12);
    }
}

TEST(PairedInference, EqualDifferencesLeaveTheTestAndDzUncomputable) {
    // D = 2 for every pair: SD 0, no t; d_b still has its normal interval.
    const PairedColumns columns(pairsOf({1, 4, 2, 7}, {3, 6, 4, 9}));
    const PairedObserved observed = ComputePairedObserved(columns, 1);
    const PairedTTest test = ComputePairedTTest(observed.moments, 0.9);
    EXPECT_EQ(test.meanDifference, 2.0);
    EXPECT_FALSE(test.t || test.p || test.ci.lower || test.ci.upper);
    const PairedAnalyticIntervals analytic = ComputePairedAnalyticIntervals(observed, 0.9);
    const auto& dz = analytic[static_cast<std::size_t>(PairedEffect::Dz)];
    ASSERT_TRUE(dz);
    EXPECT_FALSE(dz->lower || dz->upper);
    EXPECT_TRUE(analytic[static_cast<std::size_t>(PairedEffect::Db)]->lower);
}

TEST(PairedInference, NoncentralityLimitsHoldTheirTailsOrAreEmpty) {
    // R: uniroot(function(ncp) pt(-2.5, 3, ncp) - p, c(-30, 10), tol = 1e-14)
    // gives -6.09997479677047 (p = 0.995) and 1.06958640566375 (p = 0.005).
    const PairedInterval at99 = NoncentralityInterval(-2.5, 3.0, 0.99);
    ASSERT_TRUE(at99.lower && at99.upper);
    EXPECT_NEAR(*at99.lower, -6.09997479677047, 1e-8);
    EXPECT_NEAR(*at99.upper, 1.06958640566375, 1e-8);
    // R's pt leaves its series above a noncentrality of 37.62 and is off there
    // (it gives 37.62 and 343.4); these are roots of the integral
    // E[Phi(t sqrt(V / df) - ncp)], V ~ chi^2(df), in mpmath at 30 digits.
    const PairedInterval far = NoncentralityInterval(200.0, 3.0, 0.95);
    ASSERT_TRUE(far.lower && far.upper);
    EXPECT_NEAR(*far.lower, 53.6235629449465, 1e-8);
    EXPECT_NEAR(*far.upper, 353.061934694058, 1e-7);
    // Beyond what the distribution can be evaluated at: empty, not a throw.
    const PairedInterval extreme = NoncentralityInterval(1e300, 1.0, 0.95);
    EXPECT_EQ(extreme.lower.has_value(), extreme.upper.has_value());
    if (extreme.lower) {
        EXPECT_LT(*extreme.lower, *extreme.upper);
    }
    EXPECT_FALSE(NoncentralityInterval(INFINITY, 5.0, 0.95).lower);
}

TEST(PairedInference, PValuesBelowAThousandthAreBoundedOthersRounded) {
    EXPECT_EQ(PValueText(4.41e-05), "p < .001");
    EXPECT_EQ(PValueText(0.000999), "p < .001");
    EXPECT_EQ(PValueText(0.001), "p = 0.001");
    EXPECT_EQ(PValueText(0.0456), "p = 0.046");
    EXPECT_EQ(PValueText(1.0), "p = 1");
    EXPECT_EQ(NominalConfidenceLevel(0.95f), 0.95);
    EXPECT_EQ(NominalConfidenceLevel(0.9f), 0.9);
    EXPECT_EQ(NominalConfidenceLevel(0.99f), 0.99);
}

}  // namespace
}  // namespace velmora
