#pragma once

namespace velmora {

inline constexpr int TWIPS_PER_INCH = 1440;

// Pixels for a length in twips at `logicalDpi` pixels per logical inch, rounded to nearest.
int twipsToPixels(int twips, double logicalDpi);
// The inverse, for reading sizes back in twips.
int pixelsToTwips(int pixels, double logicalDpi);

}  // namespace velmora
