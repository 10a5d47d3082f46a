#include "analysis/effect_size/frm_paired_effects.h"

#include <QGroupBox>

#include "analysis/effect_size/effect_size_analysis.h"
#include "analysis/paired/paired_effects_report.h"

namespace velmora {

frmPairedEffects::frmPairedEffects(const DataSet& data, MessageBoxService& messageBox,
                                   AppendToPane appendToPane, const WallClock& wallClock,
                                   const MonotonicClock& clock, QWidget* parent)
    : frmVelmora(data, messageBox, std::move(appendToPane), wallClock, clock, parent) {
    setObjectName(QStringLiteral("frmPairedEffects"));
    setWindowTitle(QStringLiteral("Paired Effect Sizes"));
    fraPickNonpooled()->setTitle(QStringLiteral("Pick SD of d_b"));
}

std::string frmPairedEffects::blockOf(const AnalysisRun& run, const AnalysisOptions& options,
                                      std::uint64_t seed) const {
    // A completed run asked for the paired part always has it.
    if (!run.paired) return {};
    return BuildPairedEffectsReport(options, seed, run.paired->observed, run.paired->summary,
                                    data().variableName(options.lngVar1),
                                    data().variableName(options.lngVar2));
}

}  // namespace velmora
