#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "analysis/paired/paired_columns.h"
#include "analysis/paired/paired_estimates.h"
#include "paired_test_support.h"

// Expected values from the formulas in exact rational arithmetic (Python
// fractions, 40-digit roots and gamma function), rounded to double at the end.

namespace velmora {
namespace {

using testing::expectClose;
using testing::pairsOf;

constexpr std::optional<double> kNC = std::nullopt;

struct FamilyCase {
    const char* name;
    std::vector<double> var1;
    std::vector<double> var2;
    std::int32_t sdVar;
    std::optional<double> r;
    // d_z, robust d_z, d_rm, d_av, d_b, robust d_av
    PairedEstimates d;
    PairedEstimates g;
};

TEST(PairedEstimates, ObservedFamilyFollowsTheFormulas) {
    const FamilyCase cases[] = {
        {"TenPairsTrimTwo",
         {3.0, 5.0, 2.0, 8.0, 6.0, 4.0, 7.0, 5.0, 9.0, 1.0},
         {5.0, 6.0, 4.0, 9.0, 9.0, 5.0, 8.0, 7.0, 12.0, 2.0},
         1,
         0.9619342828946122,
         {2.064929641956236, 1.8287946850316468, 0.5697538444359567, 0.6182385920092035,
          0.6584071688552608, 0.609354535258652},
         {1.8870873531019887, 1.671289544894091, 0.5206837329323005, 0.5649927263743907,
          0.6017017801930422, 0.5568738099728016}},
        {"SdOfVar2",
         {3.0, 5.0, 2.0, 8.0, 6.0, 4.0, 7.0, 5.0, 9.0, 1.0},
         {5.0, 6.0, 4.0, 9.0, 9.0, 5.0, 8.0, 7.0, 12.0, 2.0},
         2,
         0.9619342828946122,
         {2.064929641956236, 1.8287946850316468, 0.5697538444359567, 0.6182385920092035,
          0.5846256256850375, 0.609354535258652},
         {1.8870873531019887, 1.671289544894091, 0.5206837329323005, 0.5649927263743907,
          0.5342746804120668, 0.5568738099728016}},
        {"FivePairsTrimOne",
         {10.5, 12.25, 9.75, 11.0, 13.5},
         {11.0, 14.0, 9.5, 12.5, 20.0},
         1,
         0.9686828494425533,
         {0.7576219580966054, 1.2412379472893362, 0.18960887926818681, 0.6552756000668258,
          1.346488455751882, 0.6510929052390041},
         {0.6044948632905168, 0.9903645944248022, 0.15128599735922074, 0.5228342843641534,
          1.0743423501437188, 0.5194969767384844}},
        // Doubles as written: raw moments in double would lose most digits here.
        {"NearAMillion",
         {1000000.1, 1000000.3, 1000000.2, 1000000.6},
         {1000000.4, 1000000.5, 1000000.9, 1000000.7},
         1,
         0.27835560000431536,
         {1.2357622883520711, 0.794067422902488, 1.4846071864884773, 1.4847046259256003,
          1.5044576621592656, 0.9540310358979469},
         {0.8941991421873544, 0.5745881834160907, 1.0742636226692823, 1.0743341299682279,
          1.088627451768243, 0.690338054463278}},
        {"ExactlyLinearRIsOne",
         {1.0, 2.0, 3.0},
         {2.0, 4.0, 6.0},
         1,
         1.0,
         {2.0, 1.2851459061133876, kNC, 1.2649110640673518, 2.0, 0.812797637791843},
         {1.1283791670955126, 0.725065933568216, kNC, 0.7136496464611084, 1.1283791670955126,
          0.45857196077437995}},
        {"ConstantDifference",
         {1.0, 2.0, 3.0, 4.0, 5.0, 6.0},
         {4.0, 5.0, 6.0, 7.0, 8.0, 9.0},
         2,
         1.0,
         {kNC, kNC, kNC, 1.6035674514745464, 1.6035674514745464, 1.3985142492170604},
         {kNC, kNC, kNC, 1.3481972220624665, 1.3481972220624665, 1.175799012430345}},
        {"Var1Constant",
         {5.0, 5.0, 5.0, 5.0, 5.0},
         {1.0, 2.0, 3.0, 4.0, 5.0},
         1,
         kNC,
         {-1.2649110640673518, -1.2851459061133876, kNC, -1.7888543819998317, kNC,
          -1.817470770053813},
         {-1.009253008808064, -1.0253980768668807, kNC, -1.4272992929222168, kNC,
          -1.450131867136432}},
        // m = 1: J(1) = 0, so no g.
        {"TwoPairs",
         {1.0, 2.0},
         {3.0, 7.0},
         1,
         1.0,
         {1.6499158227686108, 1.060191282531391, kNC, 1.697749375254331, 4.949747468305833,
          1.0909278296073324},
         {kNC, kNC, kNC, kNC, kNC, kNC}},
        // Outside the contract, but nothing divides by n - 1 = 0.
        {"OnePair", {1.0}, {2.0}, 1, kNC, {}, {}},
    };
    for (const FamilyCase& c : cases) {
        const PairedColumns columns(pairsOf(c.var1, c.var2));
        const PairedObserved observed = ComputePairedObserved(columns, c.sdVar);
        EXPECT_EQ(observed.m, static_cast<std::int32_t>(c.var1.size()) - 1) << c.name;
        expectClose(observed.r, c.r, std::string(c.name) + " r");
        for (PairedEffect e : kPairedEffects) {
            const std::string where = std::string(c.name) + " " + std::string(PairedEffectName(e));
            expectClose(estimateOf(observed.d, e), estimateOf(c.d, e), where + " d");
            expectClose(estimateOf(observed.g, e), estimateOf(c.g, e), where + " g");
        }
    }
}

TEST(PairedEstimates, SmallSampleCorrectionIsTheGammaRatio) {
    // Gamma(m / 2) / (sqrt(m / 2) Gamma((m - 1) / 2)) to 40 digits; J(2) = 1 /
    // sqrt(pi), J(4) = sqrt(2 / pi).
    const struct {
        std::int32_t m;
        std::optional<double> j;
    } rows[] = {
        {1, kNC},
        {2, 0.5641895835477563},
        {3, 0.7236012545582676},
        {4, 0.7978845608028654},
        {9, 0.9138748917925522},
        {29, 0.9738749845967184},
        {30, 0.974754378214402},
        {99, 0.9924018511144228},
        {9999, 0.999924990311242},
        {1000000, 0.9999992499997813},
    };
    for (const auto& row : rows)
        expectClose(SmallSampleCorrection(row.m), row.j, "m = " + std::to_string(row.m), 5e-15);
}

}  // namespace
}  // namespace velmora
