#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/bootstrap/analysis_records.h"

namespace velmora {

// The fixed-width report of one completed run: 41 lines and the notes
// below, each ending in CR LF, beginning with "GROUP-LEVEL STATISTICS" and
// ending in six CR LF in a row. Reals are rounded to 3 decimals (halves to even) and printed as
// singles; counts and column numbers as integers; the group table uses
// 15-character cells. A pure function of its arguments.
// `notes` may add lines after the trial counts, in this order:
//   "Seed = S", the seed of the run's random stream, so that the run can be
//   repeated (velmora-batch --seed S);
//   "Computed in double precision: single precision lost accuracy for Var 3."
//   ("Var 3 and Var 1" for two) when single precision failed for the columns
//   named in `lostPrecisionColumns` (one or two, Var 1's first);
//   "Estimates use all values (39 and 39); the bootstrap trials resample the
//   38 complete pairs." when either variable's value count in `cases`
//   differs from its complete pairs, which tells why the observed d's and
//   the paired block (on the complete pairs) may disagree.
struct EffectSizeReportNotes {
    struct CaseCounts {
        std::int32_t n1 = 0;
        std::int32_t n2 = 0;
        std::int32_t nPairs = 0;
    };
    std::optional<std::uint64_t> seed;
    std::vector<std::int32_t> lostPrecisionColumns;
    std::optional<CaseCounts> cases;
    // The names a header line gave Var 1 and Var 2 (empty: none). A named
    // variable heads its column of the group table by its name (cut to 14
    // characters, "~" marking a cut) and is written "Var 3 (pre)" in the
    // lines that name it; without names the report is as it always was.
    std::string name1;
    std::string name2;
};
std::string BuildEffectSizeReport(const AnalysisOptions& options, const GroupStats& stats1,
                                  const GroupStats& stats2, const EffectSizes& estimates,
                                  const BootstrapSummary& summary,
                                  const EffectSizeReportNotes& notes = {});

// The note line itself (without its CR LF), empty when no column is named.
std::string precisionNoteText(const AnalysisOptions& options, const EffectSizeReportNotes& notes);

// The text the report prints for a real value: rounded to 3 decimals (halves
// to even) and written as a single. Whatever else shows a reported value
// (the bootstrap plot's labels) uses this, so both always agree.
std::string reportValueText(float value);

// The level as the report prints it: "90", "95" or "99".
std::string confidenceLevelText(float sngConfidenceLevel);

}  // namespace velmora
