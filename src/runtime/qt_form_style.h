#pragma once

#include <QFont>

class QGroupBox;
class QLabel;
class QWidget;

namespace velmora {

// The look shared by the controls of every window, so that a dialog and the
// main window cannot drift apart.

// The face of captions, labels, buttons and lists ("MS Sans Serif" 8.25 pt,
// or the nearest face installed), regular weight.
QFont formControlFont();
// The same face in bold, for frame captions.
QFont formFrameCaptionFont();
// Gives `frame` the bold caption face and each of its direct children the
// regular face: a frame's font would otherwise reach every control inside it.
void applyFrameCaptionFont(QGroupBox* frame);
// A label that shows a value: white background, single-line border.
void makeDisplayLabel(QLabel* label);
// Widens `control` to the width its caption needs when the face standing in
// for "MS Sans Serif" is wider than the design face; never narrows it. Call it
// after placing the control, and only where the room to its right is free.
void widenToCaption(QWidget* control);

}  // namespace velmora
