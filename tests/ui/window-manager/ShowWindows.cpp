// Shows the three windows at once on a real display, for the check of what
// a window manager makes of them: prints one line "<name> <window id>" per
// window, then runs until it is terminated.
#include <QApplication>
#include <cstdio>

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
    for (QWidget* window : {static_cast<QWidget*>(&mainWindow), static_cast<QWidget*>(&progress),
                            static_cast<QWidget*>(mainWindow.itemNameDialog())}) {
        std::printf("%s 0x%llx\n", window->objectName().toUtf8().constData(),
                    static_cast<unsigned long long>(window->winId()));
    }
    std::fflush(stdout);
    return QApplication::exec();
}
