#include "data/single_storage.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// Half the spacing of the singles at |x|: 2^(e - 24) for 2^e <= |x| < 2^(e+1),
// and half the subnormal spacing below the normal range (a text that rounds
// to 0 or a subnormal is off by no more).
double halfUnitInTheLastPlace(float x) {
    const float magnitude = std::fabs(x);
    if (!(magnitude >= 0x1p-126f)) return 0x1p-150;
    int exponent = 0;
    std::frexp(magnitude, &exponent);  // magnitude = f * 2^exponent, 0.5 <= f < 1
    return std::ldexp(1.0, exponent - 25);
}

}  // namespace

bool singlesLoseAccuracy(const SingleStorage& storage, double difference) {
    return storage.n >= 2 && difference > 0.5 * kSinglePrecisionTolerance * storage.sd;
}

std::optional<SingleStorage> storageToCheck(const DataSet& data, std::int32_t variable) {
    const float* cells = data.g_sngData.columnData(variable);
    const std::int32_t cases = std::min(data.g_lngNumCases, data.g_sngData.caseCapacity());
    if (cells == nullptr || cases < 2) return std::nullopt;
    SingleStorage storage;
    double sum = 0.0;
    float smallest = 0.0f;
    float largest = 0.0f;
    for (std::int32_t k = 1; k <= cases; ++k) {
        const float x = cells[k];
        if (isMissing(x)) continue;
        if (storage.n++ == 0) smallest = largest = x;
        sum += x;
        smallest = std::min(smallest, x);
        largest = std::max(largest, x);
    }
    if (storage.n < 2) return std::nullopt;
    storage.largestError = halfUnitInTheLastPlace(std::max(-smallest, largest));
    storage.sd = (static_cast<double>(largest) - smallest) / std::sqrt(2.0 * (storage.n - 1));
    if (!singlesLoseAccuracy(storage, storage.largestError)) return std::nullopt;

    // The SD itself, in a second pass: only a threshold rests on it, and the
    // mean taken out first keeps large values with a small spread from
    // cancelling.
    const double mean = sum / storage.n;
    double squares = 0.0;
    for (std::int32_t k = 1; k <= cases; ++k) {
        const float x = cells[k];
        if (isMissing(x)) continue;
        const double d = x - mean;
        squares += d * d;
    }
    storage.sd = std::sqrt(squares / (storage.n - 1));
    if (!singlesLoseAccuracy(storage, storage.largestError)) return std::nullopt;
    return storage;
}

}  // namespace velmora
