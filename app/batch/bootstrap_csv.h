#pragma once

#include <string>
#include <vector>

#include "analysis/bootstrap/analysis_records.h"
#include "analysis/paired/paired_estimates.h"

namespace velmora::batch {

// The CSV of a run's trials: the header
// "trial,pooled_d,pooled_robust_d,nonpooled_d,nonpooled_robust_d" and one row
// per trial, numbered from 1, lines ending in CR LF. A valid estimate is
// written with 9 significant digits, enough to read back the same single; an
// estimate that was not computable (NOT_COMPUTABLE) leaves its cell empty.
std::string buildBootstrapCsv(const std::vector<EffectSizes>& trials);

// The same with the paired d family beside each trial's four: the header gains
// ",d_z,robust_d_z,d_rm,d_av,d_b,robust_d_av" and each row the six values (17
// significant digits, enough to read back the same double), empty where not
// computable. `paired` holds one family per trial.
std::string buildBootstrapCsv(const std::vector<EffectSizes>& trials,
                              const std::vector<PairedEstimates>& paired);

// One cell: empty for NOT_COMPUTABLE, otherwise the value with 9 significant digits.
std::string csvCell(float value);

}  // namespace velmora::batch
