#pragma once

#include <array>
#include <string>
#include <vector>

#include "analysis/descriptives/descriptives.h"

namespace velmora {

// Width of every Descriptives cell; texts are fitted to one less (rule 4 of
// the number texts), so that a blank always separates neighbouring cells.
inline constexpr int kDescriptivesCellWidth = 10;

// The six cell texts of a row (Name, Mean, SD, Min, Max, N), each at most 9
// characters: integers by rule 1, Min and Max as singles, Mean and SD as
// doubles, "." for a statistic that does not exist; a number whose text is
// longer is written in exponent form with the digits that fit, never cut.
std::array<std::string, 6> DescriptiveCellTexts(const DescriptiveRow& row);

// The report for `rows` in the order given: "DESCRIPTIVES", a rule, the
// header, a rule, one 60-character line per row, a rule and three empty
// lines; k + 8 lines, each ending in CR LF. When single precision failed for
// some rows, one more line after the closing rule names them in row order:
// "Computed in double precision: Var 3, Var 7."
std::string BuildDescriptivesReport(const std::vector<DescriptiveRow>& rows);

}  // namespace velmora
