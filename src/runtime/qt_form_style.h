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
// Gives `window` and every control in it the forms' style: the platform's
// style, with
// - titled frames drawn as the forms drew them: the border runs through the
//   middle of the caption, which breaks it, so the inside of the frame starts
//   right under the caption (the platform style draws the border below the
//   caption, across the first row of controls the windows place there);
// - a focus frame on a list or text pane that has the keyboard focus, in the
//   highlight colour, as a text box has one (the platform style marks only the
//   list's current item, invisibly when that item is selected);
// - a menu bar that Alt alone leads to, with the menu the keyboard is on
//   highlighted (the platform style highlights only a menu that is open).
// Focus frames show only where the window lets them (see applyFormKeyboard).
// Call it once the controls exist.
void applyFormStyle(QWidget* window);
// A label that shows a value: white background, single-line border.
void makeDisplayLabel(QLabel* label);
// Widens `control` to the width its caption needs when the face standing in
// for "MS Sans Serif" is wider than the design face; never narrows it. Call it
// after placing the control, and only where the room to its right is free.
void widenToCaption(QWidget* control);

}  // namespace velmora
