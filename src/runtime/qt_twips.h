#pragma once

#include <QRect>

class QWidget;

#include "runtime/twips.h"

namespace velmora {

// A design rectangle in pixels at the given logical resolution; a negative
// width or height becomes 0.
QRect pixelRect(const TwipsRect& rect, double dpiX, double dpiY);

// Places `widget` at its design rectangle (relative to its container) at the
// widget's own logical resolution.
void placeControl(QWidget* widget, const TwipsRect& rect);

}  // namespace velmora
