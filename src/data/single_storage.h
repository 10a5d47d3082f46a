#pragma once

#include <cstdint>
#include <optional>

#include "data/data_set.h"

namespace velmora {

// The accuracy guard's tolerance: single precision has failed for a statistic
// when it is off from the accurate one by more than this share of the
// variable's spread (its SD for a mean, its variance for a variance).
inline constexpr double kSinglePrecisionTolerance = 0.001;

// How far storing a variable's values as singles can have moved them, told
// from the stored singles alone.
struct SingleStorage {
    std::int32_t n = 0;         // cells present (not missing)
    double sd = 0.0;            // their SD (denominator n - 1)
    double largestError = 0.0;  // half a unit in the last place of the largest
                                // magnitude: no single lies further from its text
};

// Whether values that lie up to `difference` from their singles are beyond
// what the singles may stand for: a variable of at least 2 values whose
// difference exceeds half the tolerance's share of its SD. (Each value moved
// by d moves the mean by up to d and the variance by up to 2 d SD + d^2, so
// within that share neither leaves the guard's tolerance.) With no spread at
// all, any difference is beyond it.
bool singlesLoseAccuracy(const SingleStorage& storage, double difference);

// The storage of `variable` when even the largest error a single can have
// may be beyond what its singles stand for (singlesLoseAccuracy with
// largestError), so that its values as written have to be looked at;
// nullopt otherwise, which most variables show by their range alone (an SD
// is at least range / sqrt(2 (n - 1))), without a second pass for the SD.
std::optional<SingleStorage> storageToCheck(const DataSet& data, std::int32_t variable);

}  // namespace velmora
