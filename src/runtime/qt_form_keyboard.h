#pragma once

class QWidget;

namespace velmora {

// The keyboard habits every window of the program shares, in one place:
// - Enter (either key) presses the push button that has the focus, as Space
//   does; no button is pressed by Enter from elsewhere, as before.
// - The control that has the focus shows its focus frame from the moment the
//   window opens, not only after the first Tab.
// - F10 opens the first menu of a window's menu bar on its first item (Alt
//   alone highlights that menu, by the style of applyFormStyle; the arrow keys
//   and Enter go on from there).
// Call it once the window's controls exist.
void applyFormKeyboard(QWidget* window);

}  // namespace velmora
