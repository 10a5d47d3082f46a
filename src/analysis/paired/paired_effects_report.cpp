#include "analysis/paired/paired_effects_report.h"

#include <optional>
#include <vector>

#include "analysis/bootstrap/effect_size_report.h"
#include "analysis/paired/analytic_intervals.h"
#include "analysis/paired/paired_t_test.h"
#include "data/data_set.h"
#include "runtime/number_text.h"
#include "runtime/report_text.h"
#include "runtime/rounding.h"

namespace velmora {

namespace {

constexpr int kLabelWidth = 18;
constexpr int kCellWidth = 10;
constexpr int kRuleWidth = kLabelWidth + 9 * kCellWidth;
constexpr const char* kNotComputable = "n/c";
constexpr const char* kNotDefined = "n/a";

// Rounded to `decimals` and fitted to a cell with a blank before it.
std::string valueText(const std::optional<double>& value, int decimals = 3) {
    if (!value) return kNotComputable;
    const double rounded = roundHalfEven(*value, decimals);
    return fittedText(rounded, doubleText(rounded), kCellWidth - 1);
}

// The same outside the table, where nothing needs fitting.
std::string lineValueText(const std::optional<double>& value) {
    if (!value) return kNotComputable;
    return doubleText(roundHalfEven(*value, 3));
}

void tableRow(ReportText& out, std::string_view label, const std::vector<std::string>& cells) {
    std::string line = PadCell(label, kLabelWidth, CellAlign::Left);
    for (const std::string& cell : cells) line += PadCell(cell, kCellWidth, CellAlign::Right);
    out.line(line);
}

std::string estimatorLabel(PairedEffect effect, const AnalysisOptions& options) {
    std::string label(PairedEffectName(effect));
    if (effect == PairedEffect::Db)
        label += " (SD Var " +
                 integerText(options.lngNonpooledSdVar == 2 ? options.lngVar2 : options.lngVar1) +
                 ")";
    return label;
}

}  // namespace

std::string BuildPairedEffectsReport(const AnalysisOptions& options, std::uint64_t seed,
                                     const PairedObserved& observed, const PairedSummary& summary,
                                     const std::string& name1, const std::string& name2) {
    const std::string level = confidenceLevelText(options.sngConfidenceLevel);
    ReportText out;
    out.line("PAIRED EFFECT SIZES");
    out.rule(kRuleWidth);
    out.line("Var1 = " + namedVariableLabel(options.lngVar1, name1) +
             "; Var2 = " + namedVariableLabel(options.lngVar2, name2) + "; D = Var2 - Var1");
    out.line("Complete pairs n = " + integerText(observed.moments.n) +
             "; r = " + valueText(observed.r));
    out.line("g = J(m) x d with m = n - 1 = " + integerText(observed.m) +
             "; J(m) = " + valueText(observed.correction, 6));
    // The seed may exceed the signed 64-bit range of integerText; it is
    // written as rule 1 would.
    out.line(level + "% CI from " + integerText(summary.lngTrials) +
             " bootstrap trials; seed = " + std::to_string(seed));
    out.rule(kRuleWidth);
    tableRow(out, "Estimator",
             {"d", "g", "Pct lower", "Pct upper", "BCa lower", "BCa upper", "Anl lower",
              "Anl upper", "Valid"});
    out.rule(kRuleWidth);
    const double nominal = NominalConfidenceLevel(options.sngConfidenceLevel);
    const PairedAnalyticIntervals analytic = ComputePairedAnalyticIntervals(observed, nominal);
    for (PairedEffect effect : kPairedEffects) {
        const PairedEffectSummary& s = summary.of(effect);
        const std::optional<PairedInterval>& a = analytic[static_cast<std::size_t>(effect)];
        tableRow(
            out, estimatorLabel(effect, options),
            {valueText(estimateOf(observed.d, effect)), valueText(estimateOf(observed.g, effect)),
             valueText(s.percentile.lower), valueText(s.percentile.upper), valueText(s.bca.lower),
             valueText(s.bca.upper), a ? valueText(a->lower) : kNotDefined,
             a ? valueText(a->upper) : kNotDefined, integerText(s.lngValid)});
    }
    out.rule(kRuleWidth);
    const PairedTTest test = ComputePairedTTest(observed.moments, nominal);
    out.line("Paired t test on D: M_D = " + lineValueText(test.meanDifference) +
             "; SD = " + lineValueText(test.sdDifference) + "; " + level + "% CI = (" +
             lineValueText(test.ci.lower) + ", " + lineValueText(test.ci.upper) + ")");
    out.line("t = " + lineValueText(test.t) + "; df = " + integerText(test.df) + "; " +
             (test.p ? PValueText(*test.p) : std::string("p = n/c")));
    out.rule(kRuleWidth);
    out.line("The limits are those of d; g's are J(m) times them. Pct and BCa: bootstrap.");
    out.line("Anl: analytic, noncentral t for d_z and normal for d_b. n/a: none defined.");
    out.line("n/c: not computable.");
    out.emptyLines(5);
    return out.take();
}

}  // namespace velmora
