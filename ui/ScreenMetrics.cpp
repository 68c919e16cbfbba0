#include "ui/ScreenMetrics.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>

namespace speclore {

int32_t screenLogicalDpiY() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInchY()) : 96;
}

int32_t titleBarPixels() { return QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight); }

int32_t dialogFramePixels() { return QApplication::style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth); }

}  // namespace speclore
