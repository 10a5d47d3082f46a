#pragma once

#include "analysis/effect_size/frm_velmora.h"

namespace velmora {

// "Paired Effect Sizes": the Velmora dialog's controls, choices, checks and
// messages, whose OK runs the same bootstrap with the paired d family and
// appends the "PAIRED EFFECT SIZES" block instead of the Velmora report. The
// SD choice is that of d_b.
class frmPairedEffects : public frmVelmora {
    Q_OBJECT
public:
    frmPairedEffects(const DataSet& data, MessageBoxService& messageBox, AppendToPane appendToPane,
                     const WallClock& wallClock, const MonotonicClock& clock,
                     QWidget* parent = nullptr);

protected:
    std::string blockOf(const AnalysisRun& run, const AnalysisOptions& options,
                        std::uint64_t seed) const override;
    bool runsPaired() const override { return true; }
};

}  // namespace velmora
