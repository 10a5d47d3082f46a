#include "analysis/descriptives/descriptives.h"

#include <cmath>
#include <limits>

#include "runtime/rounding.h"

namespace velmora {

namespace {

// Adds in double and stores the total back as a single, as a single-precision
// accumulator does. A total that rounds beyond the largest single is an
// overflow: the nearest-rounding limit is the largest single plus half of
// its unit in the last place (2^103).
bool accumulate(float& total, double addend) {
    const double sum = static_cast<double>(total) + addend;
    const double limit =
        static_cast<double>(std::numeric_limits<float>::max()) + std::ldexp(1.0, 103);
    if (!(std::fabs(sum) < limit)) return false;
    total = static_cast<float>(sum);
    return true;
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
