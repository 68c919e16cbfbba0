#include "ui/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "app/AppGlobals.h"

namespace speclore::ui {

int twipsToPixels(int32_t twips) {
    int32_t perPixel = appGlobals().twipsPerPixel;
    if (perPixel <= 0) perPixel = 15;
    return static_cast<int>(std::lround(static_cast<double>(twips) / perPixel));
}

void placeInTwips(QWidget* widget, const TwipsRect& rect) {
    widget->setGeometry(twipsToPixels(rect.left), twipsToPixels(rect.top), twipsToPixels(rect.width),
                        twipsToPixels(rect.height));
}

void fixClientSizeInTwips(QWidget* window, int32_t width, int32_t height) {
    window->setFixedSize(twipsToPixels(width), twipsToPixels(height));
}

void centreOnScreen(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    // move() places the frame, so the frame is what is centred (before the
    // window is shown it is the window itself), and a window as large as
    // the area starts at its corner with the title bar on screen.
    const QSize outer = window->frameGeometry().size();
    QPoint topLeft =
        area.topLeft() + QPoint((area.width() - outer.width()) / 2, (area.height() - outer.height()) / 2);
    topLeft.setX(std::max(topLeft.x(), area.left()));
    topLeft.setY(std::max(topLeft.y(), area.top()));
    window->move(topLeft);
}

QSize clientSizeOnScreen(const QWidget* window, const QSize& designed) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return designed;
    // Before the window is shown its frame is not known; the style's title
    // bar and borders stand in.
    const QSize frame(2 * window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth),
                      window->style()->pixelMetric(QStyle::PM_TitleBarHeight) +
                          2 * window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
    const QSize room = screen->availableGeometry().size() - frame;
    return designed.boundedTo(room);
}

void keepShownFrameOnScreen(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QSize room = screen->availableGeometry().size();
    const QSize frame = window->frameGeometry().size();
    const QSize overflow(std::max(0, frame.width() - room.width()),
                         std::max(0, frame.height() - room.height()));
    if (overflow.isNull()) return;
    window->setFixedSize(window->size() - overflow);
    centreOnScreen(window);
}

}  // namespace speclore::ui
