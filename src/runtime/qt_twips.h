#pragma once

#include <QRect>
#include <QString>

class QWidget;

#include "runtime/twips.h"

namespace velmora {

// A design rectangle in pixels at the given logical resolution; a negative
// width or height becomes 0.
QRect pixelRect(const TwipsRect& rect, double dpiX, double dpiY);

// Places `widget` at its design rectangle (relative to its container) at the
// widget's own logical resolution.
void placeControl(QWidget* widget, const TwipsRect& rect);

// The one way every window makes a control: a new `Control` in `owner`, named
// `objectName`, with `caption` as its title or text when given, placed at its
// design rectangle. A push button presses only when clicked or when it has
// the focus, never as the window's default button.
template <class Control>
Control* makeControl(QWidget* owner, const char* objectName, const TwipsRect& rect,
                     const char* caption = nullptr) {
    auto* control = new Control(owner);
    control->setObjectName(QString::fromLatin1(objectName));
    if (caption != nullptr) {
        if constexpr (requires { control->setTitle(QString()); }) {
            control->setTitle(QString::fromLatin1(caption));
        } else if constexpr (requires { control->setText(QString()); }) {
            control->setText(QString::fromLatin1(caption));
        }
    }
    if constexpr (requires { control->setAutoDefault(false); }) control->setAutoDefault(false);
    placeControl(control, rect);
    return control;
}

}  // namespace velmora
