#pragma once

#include <cstdint>
#include <string>

#include "analysis/bootstrap/analysis_records.h"
#include "analysis/paired/paired_columns.h"
#include "analysis/paired/paired_summary.h"

namespace velmora {

// The "PAIRED EFFECT SIZES" block of a completed run: the variables, the
// number of complete pairs, r, the m and J(m) of g, the level, trials and
// seed, then a table of estimate, g, percentile, BCa and analytic limits and
// valid trials for each d, in 18- and 10-character cells, and the paired t
// test of the differences (its interval and the analytic ones at the level
// the single names, NominalConfidenceLevel); every line ends in CR
// LF, and the block in five empty lines as the Velmora report does. Reals
// are rounded to 3 decimals (halves to even; J(m) to 6) and printed by the
// double-precision number text, fitted to 9 characters; "n/c" marks what is
// not computable, "n/a" an analytic interval that is not defined. From
// `options`: lngVar1, lngVar2, sngConfidenceLevel and lngNonpooledSdVar (the
// SD of d_b); the trials come from the summary. `name1` and `name2`, the
// header line's names of Var 1 and Var 2 (empty: none), go beside the labels
// of the variables line: "Var1 = Var 1 (pre)".
std::string BuildPairedEffectsReport(const AnalysisOptions& options, std::uint64_t seed,
                                     const PairedObserved& observed, const PairedSummary& summary,
                                     const std::string& name1 = {}, const std::string& name2 = {});

}  // namespace velmora
