// The windows are laid out in twips (1/1440 inch), the unit their designs
// use; the twips-per-pixel figure of start-up turns them into pixels, so a
// window has the same physical size at any screen resolution.
#pragma once

#include <cstdint>

class QSize;
class QWidget;

namespace speclore::ui {

struct TwipsRect {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
};

// Rounded to the nearest pixel with appGlobals().twipsPerPixel.
int twipsToPixels(int32_t twips);

// Places the widget at the rectangle, converted to pixels, within its parent.
void placeInTwips(QWidget* widget, const TwipsRect& rect);

// Fixes the window's client area to the size, converted to pixels.
void fixClientSizeInTwips(QWidget* window, int32_t width, int32_t height);

// Moves a top-level window so that it sits in the middle of its screen, its
// title bar never above the screen's top nor its frame past the left edge.
void centreOnScreen(QWidget* window);

// The size a window of client size `designed` (pixels) may have on its
// screen: the designed size, shrunk to what the screen's available area
// holds once the frame of `window` is added.
QSize clientSizeOnScreen(const QWidget* window, const QSize& designed);

// Once a fixed-size window is shown its real frame is known, which may be
// wider than the style's estimate: a frame that still reaches past the
// screen's available area shrinks the window by the overflow, and the
// window is centred again.
void keepShownFrameOnScreen(QWidget* window);

}  // namespace speclore::ui
