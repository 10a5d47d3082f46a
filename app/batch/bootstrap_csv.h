#pragma once

#include <string>
#include <vector>

#include "analysis/bootstrap/analysis_records.h"

namespace velmora::batch {

// The CSV of a run's trials: the header
// "trial,pooled_d,pooled_robust_d,nonpooled_d,nonpooled_robust_d" and one row
// per trial, numbered from 1, lines ending in CR LF. A valid estimate is
// written with 9 significant digits, enough to read back the same single; an
// estimate that was not computable (NOT_COMPUTABLE) leaves its cell empty.
std::string buildBootstrapCsv(const std::vector<EffectSizes>& trials);

// One cell: empty for NOT_COMPUTABLE, otherwise the value with 9 significant digits.
std::string csvCell(float value);

}  // namespace velmora::batch
