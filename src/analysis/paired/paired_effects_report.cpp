#include "analysis/paired/paired_effects_report.h"

#include <optional>
#include <vector>

#include "analysis/bootstrap/effect_size_report.h"
#include "data/data_set.h"
#include "runtime/number_text.h"
#include "runtime/report_text.h"
#include "runtime/rounding.h"

namespace velmora {

namespace {

constexpr int kLabelWidth = 18;
constexpr int kCellWidth = 10;
constexpr int kRuleWidth = kLabelWidth + 7 * kCellWidth;
constexpr const char* kNotComputable = "n/c";

// Rounded to `decimals` and fitted to a cell with a blank before it.
std::string valueText(const std::optional<double>& value, int decimals = 3) {
    if (!value) return kNotComputable;
    const double rounded = roundHalfEven(*value, decimals);
    return fittedText(rounded, doubleText(rounded), kCellWidth - 1);
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
             {"d", "g", "Pct lower", "Pct upper", "BCa lower", "BCa upper", "Valid"});
    out.rule(kRuleWidth);
    for (PairedEffect effect : kPairedEffects) {
        const PairedEffectSummary& s = summary.of(effect);
        tableRow(
            out, estimatorLabel(effect, options),
            {valueText(estimateOf(observed.d, effect)), valueText(estimateOf(observed.g, effect)),
             valueText(s.percentile.lower), valueText(s.percentile.upper), valueText(s.bca.lower),
             valueText(s.bca.upper), integerText(s.lngValid)});
    }
    out.rule(kRuleWidth);
    out.line("The limits are those of d; g's are J(m) times them. n/c: not computable.");
    out.emptyLines(5);
    return out.take();
}

}  // namespace velmora
