#include "analysis/arithmetic.h"

#include <cmath>

#include "data/single_storage.h"

namespace velmora {

bool singlePrecisionDrifted(double value, double accurate, double spread) {
    return std::fabs(value - accurate) > kSinglePrecisionTolerance * spread;
}

}  // namespace velmora
