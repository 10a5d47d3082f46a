#pragma once

#include <QRect>

#include "runtime/twips.h"

namespace velmora {

// A design rectangle in pixels at the given logical resolution; a negative
// width or height becomes 0.
QRect pixelRect(const TwipsRect& rect, double dpiX, double dpiY);

}  // namespace velmora
