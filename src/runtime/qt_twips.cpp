#include "runtime/qt_twips.h"

#include <QWidget>
#include <algorithm>

namespace velmora {

QRect pixelRect(const TwipsRect& rect, double dpiX, double dpiY) {
    return QRect(twipsToPixels(rect.left, dpiX), twipsToPixels(rect.top, dpiY),
                 std::max(0, twipsToPixels(rect.width, dpiX)),
                 std::max(0, twipsToPixels(rect.height, dpiY)));
}

void placeControl(QWidget* widget, const TwipsRect& rect) {
    widget->setGeometry(pixelRect(rect, widget->logicalDpiX(), widget->logicalDpiY()));
}

}  // namespace velmora
