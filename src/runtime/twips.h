#pragma once

namespace velmora {

inline constexpr int TWIPS_PER_INCH = 1440;

// A design rectangle in twips: left, top, width, height.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

// Pixels for a length in twips at `logicalDpi` pixels per logical inch, rounded to nearest.
int twipsToPixels(int twips, double logicalDpi);
// The inverse, for reading sizes back in twips.
int pixelsToTwips(int pixels, double logicalDpi);

}  // namespace velmora
