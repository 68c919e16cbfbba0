// What start-up measures of the screen and of a window's decorations.
//
// On this platform the window manager draws the title bar and the frame, and
// their sizes are known only once a window is shown. The style's metrics for
// the decorations Qt draws itself (the title bar and frame of a sub-window)
// stand in for them. The main window sets its client height directly, so
// these figures only enter the twips arithmetic of its outer height.
#pragma once

#include <cstdint>

namespace speclore {

// Logical dots per inch of the primary screen, vertically; 96 without one.
int32_t screenLogicalDpiY();
// Title-bar height, pixels.
int32_t titleBarPixels();
// Thickness of a dialog's frame, pixels.
int32_t dialogFramePixels();

}  // namespace speclore
