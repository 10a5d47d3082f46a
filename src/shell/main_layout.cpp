#include "shell/main_layout.h"

namespace velmora {

std::optional<MainLayout> computeMainLayout(int outerWidth, int outerHeight, bool minimized) {
    if (minimized) {
        return std::nullopt;
    }
    MainLayout layout;
    // Raising the height re-runs the rule on the real window; computing the rest
    // with the raised height here gives the same final rectangles in one pass.
    layout.windowHeight = outerHeight < MAIN_MIN_WINDOW_HEIGHT ? MAIN_MIN_WINDOW_HEIGHT : outerHeight;
    layout.raiseHeight = layout.windowHeight != outerHeight;

    TwipsRect& select = layout.fraSelectData;
    select.top = MAIN_PANEL_MARGIN;
    select.left = MAIN_PANEL_MARGIN;
    select.width = outerWidth - select.left - MAIN_RIGHT_ALLOWANCE;
    select.height = MAIN_SELECT_PANEL_HEIGHT;
    // No minimum window width exists: a narrow window cuts the panels off at its edge.
    if (select.width < MAIN_MIN_PANEL_WIDTH) {
        select.width = MAIN_MIN_PANEL_WIDTH;
    }

    TwipsRect& output = layout.fraOutput;
    output.top = select.height + select.top + MAIN_PANEL_MARGIN;
    output.left = select.left;
    output.width = select.width;
    output.height = layout.windowHeight - output.top - MAIN_BOTTOM_ALLOWANCE;

    TwipsRect& pane = layout.txtOutput;
    pane.left = output.left + MAIN_PANEL_MARGIN;
    pane.top = MAIN_PANE_TOP_INSET;
    pane.width = output.width - pane.left - MAIN_RIGHT_ALLOWANCE;
    pane.height = output.height - pane.top;
    return layout;
}

}  // namespace velmora
