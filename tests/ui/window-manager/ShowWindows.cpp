// Shows the three windows at once on a real display, for the checks of what
// a window manager or a Wayland compositor makes of them. Once the display
// shows all three it prints the platform ("platform xcb") and one line
// "<name> <window id> <width>x<height>" per window, then runs until it is
// terminated.
#include <QApplication>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <vector>

#include "ui/MainWindow.h"
#include "ui/ProgramIcon.h"
#include "ui/ProgressWindow.h"
#include "ui/UiTestSupport.h"

using namespace speclore;

int main() {
    // The environment makes the application, on the platform QT_QPA_PLATFORM names.
    uitest::WindowTestEnvironment env;
    // As the program's start-up does.
    QApplication::setWindowIcon(ui::programIcon());
    uitest::FakeDatabases databases;
    uitest::NoSpreadsheets spreadsheets;
    ui::FMain mainWindow(ui::MainWindowEngines{databases, {spreadsheets, spreadsheets}});
    mainWindow.Form_Load();
    mainWindow.cmd項目名称設定_Click();
    ui::FProcess progress;
    progress.Load();
    const std::vector<QWidget*> windows{&mainWindow, &progress, mainWindow.itemNameDialog()};

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* window : windows) {
            if (!window->windowHandle() || !window->windowHandle()->isExposed()) return;
        }
        poll.stop();
        std::printf("platform %s\n", QGuiApplication::platformName().toUtf8().constData());
        for (QWidget* window : windows) {
            std::printf("%s 0x%llx %dx%d\n", window->objectName().toUtf8().constData(),
                        static_cast<unsigned long long>(window->winId()), window->width(), window->height());
        }
        std::fflush(stdout);
    });
    poll.start(50);
    return QApplication::exec();
}
