#include "analysis/resampling/trimming.h"

namespace velmora {

std::int32_t TrimCount(std::int32_t n) {
    // 0.2f widened, not 0.2: the product is truncated, and for the counts that
    // matter this equals n / 5 rounded down.
    return static_cast<std::int32_t>(static_cast<double>(n) * 0.20000000298023224);
}

}  // namespace velmora
