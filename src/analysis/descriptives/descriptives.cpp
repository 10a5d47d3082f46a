#include "analysis/descriptives/descriptives.h"

#include <cmath>

#include "analysis/running_sum.h"
#include "runtime/rounding.h"

namespace velmora {

namespace {

// The running sum, refused when its total leaves the single range.
bool accumulate(float& total, double addend) {
    total = addToSingleSum(total, addend);
    return std::isfinite(total);
}

}  // namespace

std::optional<DescriptiveRow> ComputeDescriptiveRow(const DataSet& data, std::int32_t column) {
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
    std::int32_t n = 0;
    for (std::int32_t k = 1; k <= cases; ++k) {
        const float x = data.cell(k, column);
        if (isMissing(x)) continue;
        const double xd = static_cast<double>(x);
        if (!accumulate(sum, xd)) return std::nullopt;
        if (!accumulate(sumOfSquares, xd * xd)) return std::nullopt;
        ++n;
        if (x < smallest) {
            smallest = x;
        } else if (x > largest) {
            largest = x;
        }
    }

    row.lngN = n;
    if (n >= 1) {
        row.dblMean = roundHalfEven(static_cast<double>(sum) / static_cast<double>(n), 3);
        row.sngMin = smallest;
        row.sngMax = largest;
    }
    if (n >= 2) {
        const double s = static_cast<double>(sum);
        double term = (static_cast<double>(sumOfSquares) - s * s / static_cast<double>(n)) *
                      (1.0 / static_cast<double>(n - 1));
        // Equal values can leave the one-pass term a hair below zero; the true
        // variance is then 0, and a square root of it must not fail the row.
        if (term < 0.0) term = 0.0;
        row.dblSD = roundHalfEven(std::sqrt(term), 3);
    }
    return row;
}

}  // namespace velmora
