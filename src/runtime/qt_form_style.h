#pragma once

#include <QFont>

class QGroupBox;
class QLabel;
class QWidget;

namespace velmora {

// The look shared by the controls of every window, so that a dialog and the
// main window cannot drift apart.

// The face of captions, labels, buttons and lists, standing in for "MS Sans
// Serif" 8.25 pt: one whose captions fit the design rectangles (Liberation
// Sans Narrow, from fonts-liberation), regular weight.
QFont formControlFont();
// The same face in bold, for frame captions.
QFont formFrameCaptionFont();
// Gives `frame` the bold caption face and each of its direct children the
// regular face: a frame's font would otherwise reach every control inside it.
void applyFrameCaptionFont(QGroupBox* frame);
// Gives every titled frame of `window` the forms' frame: the border runs
// through the middle of the caption, which breaks it, so the inside of the
// frame starts right under the caption. (The platform style draws the border
// below the caption instead, across the first row of controls the windows were
// designed to place there.) Call it once the frames exist.
void applyFormFrames(QWidget* window);
// A label that shows a value: white background, single-line border.
void makeDisplayLabel(QLabel* label);
// Widens `control` to the width its caption needs when the face standing in
// for "MS Sans Serif" is wider than the design face; never narrows it. Call it
// after placing the control, and only where the room to its right is free.
void widenToCaption(QWidget* control);

}  // namespace velmora
