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

SingleStorage singleStorageOf(const DataSet& data, std::int32_t variable) {
    SingleStorage storage;
    const float* cells = data.g_sngData.columnData(variable);
    const std::int32_t cases = std::min(data.g_lngNumCases, data.g_sngData.caseCapacity());
    if (cells == nullptr || cases < 1) return storage;
    // Two passes in double: only a threshold rests on the SD, and the mean
    // taken out first keeps large values with a small spread from cancelling.
    double sum = 0.0;
    float largest = 0.0f;
    for (std::int32_t k = 1; k <= cases; ++k) {
        const float x = cells[k];
        if (isMissing(x)) continue;
        ++storage.n;
        sum += x;
        if (std::fabs(x) > largest) largest = std::fabs(x);
    }
    if (storage.n < 2) return storage;
    const double mean = sum / storage.n;
    double squares = 0.0;
    for (std::int32_t k = 1; k <= cases; ++k) {
        const float x = cells[k];
        if (isMissing(x)) continue;
        const double d = x - mean;
        squares += d * d;
    }
    storage.sd = std::sqrt(squares / (storage.n - 1));
    storage.largestError = halfUnitInTheLastPlace(largest);
    return storage;
}

bool singlesLoseAccuracy(const SingleStorage& storage, double difference) {
    return storage.n >= 2 && difference > 0.5 * kSinglePrecisionTolerance * storage.sd;
}

}  // namespace velmora
