#include "runtime/twips.h"

#include <cmath>

namespace velmora {

int twipsToPixels(int twips, double logicalDpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * logicalDpi / TWIPS_PER_INCH));
}

int pixelsToTwips(int pixels, double logicalDpi) {
    return static_cast<int>(std::lround(static_cast<double>(pixels) * TWIPS_PER_INCH / logicalDpi));
}

}  // namespace velmora
