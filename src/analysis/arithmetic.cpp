#include "analysis/arithmetic.h"

#include <cmath>

namespace velmora {

bool singlePrecisionDrifted(double value, double accurate, double spread) {
    return std::fabs(value - accurate) > 0.001 * spread;
}

}  // namespace velmora
