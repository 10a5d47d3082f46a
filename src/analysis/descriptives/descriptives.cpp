#include "analysis/descriptives/descriptives.h"

#include <cmath>

#include "analysis/exact_sums.h"
#include "analysis/running_sum.h"
#include "runtime/rounding.h"

namespace velmora {

namespace {

// The running sum; false once its total has left the single range.
bool accumulate(float& total, double addend) {
    total = addToSingleSum(total, addend);
    return std::isfinite(total);
}

}  // namespace

std::optional<DescriptiveRow> ComputeDescriptiveRow(const DataSet& data, std::int32_t column,
                                                    Arithmetic arithmetic) {
    DescriptiveRow row;
    row.lngColumn = column;
    const std::int32_t cases = data.g_lngNumCases;

    // The extremes start at the first value present, so that the scan below
    // only has to compare.
    float smallest = 0.0f;
    float largest = 0.0f;
    for (std::int32_t k = 1; k <= cases; ++k) {
        const float x = data.cell(k, column);
        if (!isMissing(x)) {
            smallest = x;
            largest = x;
            break;
        }
    }

    float sum = 0.0f;
    float sumOfSquares = 0.0f;
    bool inRange = true;
    std::int32_t n = 0;
    for (std::int32_t k = 1; k <= cases; ++k) {
        const float x = data.cell(k, column);
        if (isMissing(x)) continue;
        const double xd = static_cast<double>(x);
        inRange = accumulate(sum, xd) && accumulate(sumOfSquares, xd * xd) && inRange;
        ++n;
        if (x < smallest) {
            smallest = x;
        } else if (x > largest) {
            largest = x;
        }
    }
    if (!inRange && arithmetic != Arithmetic::Double) return std::nullopt;

    row.lngN = n;
    double mean = 0.0;
    double term = 0.0;  // the variance in the one-pass form
    if (n >= 1) {
        mean = static_cast<double>(sum) / static_cast<double>(n);
        row.dblMean = roundHalfEven(mean, 3);
        row.sngMin = smallest;
        row.sngMax = largest;
    }
    if (n >= 2) {
        const double s = static_cast<double>(sum);
        term = (static_cast<double>(sumOfSquares) - s * s / static_cast<double>(n)) *
               (1.0 / static_cast<double>(n - 1));
        // Equal values can leave the one-pass term a hair below zero; the true
        // variance is then 0, and a square root of it must not fail the row.
        row.dblSD = roundHalfEven(std::sqrt(term < 0.0 ? 0.0 : term), 3);
    }
    if (arithmetic == Arithmetic::Single || n < 2) return row;

    // One more pass: the exact sums. (A single value is its own exact mean.)
    ExactSums exact;
    for (std::int32_t k = 1; k <= cases; ++k) {
        const float x = data.cell(k, column);
        if (!isMissing(x)) exact.add(x);
    }
    const int base = exact.lowestBinade();
    const SignedExact exactSum = exact.sum(base);
    const double accurateMean = exactMeanDouble(exactSum, n, base);
    const double accurateVariance = exactVarianceDouble(exactSum, exact.squares(base), n, base);
    const double accurateSd = std::sqrt(accurateVariance);
    row.lostSinglePrecision = !inRange || singlePrecisionDrifted(mean, accurateMean, accurateSd) ||
                              singlePrecisionDrifted(term, accurateVariance, accurateVariance);
    if (row.lostSinglePrecision || arithmetic == Arithmetic::Double) {
        row.dblMean = roundHalfEven(accurateMean, 3);
        row.dblSD = roundHalfEven(accurateSd, 3);
    }
    return row;
}

}  // namespace velmora
