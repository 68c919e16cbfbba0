#include "ui/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
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
    QRect area = screen->availableGeometry();
    window->move(area.center() - window->rect().center());
}

}  // namespace speclore::ui
