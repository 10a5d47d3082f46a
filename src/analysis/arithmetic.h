#pragma once

namespace velmora {

// How an analysis computes its statistics.
//   Single: single-precision running sums and the raw-moment variance, the
//           figures every report has always printed.
//   Double: the accurate statistics (exact sums, rounded once) always.
//   Auto:   single precision, unless it has failed for a variable on the
//           observed data (singlePrecisionDrifted); the analysis then uses
//           the accurate statistics and its report says so.
// The accurate statistics of a variable whose values the import kept as
// written in the file (its singles cannot hold them) are those of the
// written values; of every other variable, those of its singles.
enum class Arithmetic { Auto, Single, Double };

// The test of single precision for one statistic: true when `value` is off
// from `accurate` by more than kSinglePrecisionTolerance (a thousandth) of
// `spread` (the accurate SD for a mean, the accurate variance for a
// variance). A spread of 0 admits no difference at all. Below the bound an
// effect size moves by less than its printed third decimal.
bool singlePrecisionDrifted(double value, double accurate, double spread);

}  // namespace velmora
