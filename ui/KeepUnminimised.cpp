#include "ui/KeepUnminimised.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace speclore::ui {

namespace {

class Unminimiser : public QObject {
public:
    Unminimiser(QWidget* window, QWidget* owner) : QObject(window), window_(window), owner_(owner) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::WindowStateChange && window_->isMinimized()) {
            // Decided once the window system's pending events are in: a main
            // window minimised with its dialogs may report after them.
            QMetaObject::invokeMethod(this, &Unminimiser::restore, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void restore() {
        if (!window_ || !window_->isMinimized() || !window_->isVisible()) return;
        if (owner_ && owner_->isMinimized()) return;
        window_->showNormal();
    }

    QPointer<QWidget> window_;
    QPointer<QWidget> owner_;
};

}  // namespace

void keepUnminimised(QWidget* window, QWidget* owner) {
    window->installEventFilter(new Unminimiser(window, owner));
}

}  // namespace speclore::ui
