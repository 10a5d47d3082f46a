#include "analysis/descriptives/descriptives.h"

#include <cmath>
#include <span>

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

struct Moments {
    double mean;
    double variance;
};

// The mean and variance of the n present cells of `column`, each cell's value
// as `valueOf(case)` gives it, from exact sums rounded once to double.
template <typename Real, typename ValueOf>
Moments accurateMoments(const DataSet& data, std::int32_t column, std::int32_t n, ValueOf valueOf) {
    BasicExactSums<Real> exact;
    for (std::int32_t k = 1; k <= data.g_lngNumCases; ++k)
        if (!isMissing(data.cell(k, column))) exact.add(static_cast<Real>(valueOf(k)));
    const int base = exact.lowestBinade();
    const auto sum = exact.sum(base);
    return {exactMeanDouble(sum, n, base), exactVarianceDouble(sum, exact.squares(base), n, base)};
}

}  // namespace

std::optional<DescriptiveRow> ComputeDescriptiveRow(const DataSet& data, std::int32_t column,
                                                    Arithmetic arithmetic) {
    DescriptiveRow row;
    row.lngColumn = column;
    row.name = data.variableName(column);
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

    // One more pass: the exact sums, of the values as written when the import
    // kept them. (A single value is its own exact mean.)
    const std::span<const double> written = data.writtenValues.column(column);
    const auto [accurateMean, accurateVariance] =
        written.empty() ? accurateMoments<float>(
                              data, column, n, [&](std::int32_t k) { return data.cell(k, column); })
                        : accurateMoments<double>(data, column, n, [&](std::int32_t k) {
                              const auto at = static_cast<std::size_t>(k - 1);
                              return at < written.size() ? written[at] : data.cell(k, column);
                          });
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
