#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/bootstrap/analysis_records.h"

namespace velmora {

// The fixed-width report of one completed run: 41 lines (42 with the note
// below), each ending in CR LF, beginning with "GROUP-LEVEL STATISTICS" and
// ending in six CR LF in a row. Reals are rounded to 3 decimals (halves to even) and printed as
// singles; counts and column numbers as integers; the group table uses
// 15-character cells. A pure function of its arguments.
// A run that single precision failed names the failing columns (one or two,
// in the order Var 1, Var 2) in `lostPrecisionColumns`; one more line after
// the trial counts then says so: "Computed in double precision: single
// precision lost accuracy for Var 3." ("Var 3 and Var 1" for two).
std::string BuildEffectSizeReport(const AnalysisOptions& options, const GroupStats& stats1,
                                  const GroupStats& stats2, const EffectSizes& estimates,
                                  const BootstrapSummary& summary,
                                  const std::vector<std::int32_t>& lostPrecisionColumns = {});

// The note line itself (without its CR LF), empty when no column is named.
std::string precisionNoteText(const std::vector<std::int32_t>& lostPrecisionColumns);

// The text the report prints for a real value: rounded to 3 decimals (halves
// to even) and written as a single. Whatever else shows a reported value
// (the bootstrap plot's labels) uses this, so both always agree.
std::string reportValueText(float value);

// The level as the report prints it: "90", "95" or "99".
std::string confidenceLevelText(float sngConfidenceLevel);

}  // namespace velmora
