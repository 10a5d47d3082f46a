#pragma once

#include <optional>

#include "runtime/twips.h"

namespace velmora {

// Where the main window's two panels and the output pane go for one window size.
// fraSelectData and fraOutput are in the window's client area, txtOutput inside
// fraOutput. All values in twips.
struct MainLayout {
    // The outer window height to enforce: the height given, raised to the minimum.
    int windowHeight = 0;
    // True when windowHeight differs from the height given, so the window must be resized.
    bool raiseHeight = false;
    TwipsRect fraSelectData;
    TwipsRect fraOutput;
    TwipsRect txtOutput;
};

inline constexpr int MAIN_MIN_WINDOW_HEIGHT = 7000;
inline constexpr int MAIN_PANEL_MARGIN = 100;
inline constexpr int MAIN_RIGHT_ALLOWANCE = 200;
inline constexpr int MAIN_SELECT_PANEL_HEIGHT = 2220;
inline constexpr int MAIN_MIN_PANEL_WIDTH = 9000;
inline constexpr int MAIN_BOTTOM_ALLOWANCE = 1200;
inline constexpr int MAIN_PANE_TOP_INSET = 300;

// The layout of the main window for its outer size (borders, title bar and menu
// bar included). A minimized window gets no layout (nullopt): everything stays
// where it was. The output panel's height may come out negative only for a
// height below the minimum, which is raised first, so it never does.
std::optional<MainLayout> computeMainLayout(int outerWidth, int outerHeight, bool minimized);

}  // namespace velmora
