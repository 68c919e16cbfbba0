#include "ui/DesktopStartup.h"

#include <QApplication>
#include <QWidget>

#include "app/Startup.h"
#include "ui/ProgramIcon.h"
#include "ui/QtMessageBox.h"
#include "ui/QtTranslations.h"
#include "ui/ScreenMetrics.h"
#include "ui/SingleInstanceLock.h"

namespace speclore {

namespace {

// Keeps the Qt boxes installed exactly as long as the application lives.
class InstalledMessageBoxes {
public:
    InstalledMessageBoxes() { installMessageBoxService(&service_); }
    ~InstalledMessageBoxes() { installMessageBoxService(nullptr); }

private:
    QtMessageBoxService service_;
};

bool anyWindowVisible() {
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible()) return true;
    }
    return false;
}

}  // namespace

int runDesktopProgram(int argc, char** argv, const std::function<void()>& loadMainWindow,
                      const std::function<void()>& unloadWindows) {
    QApplication application(argc, argv);
    ui::installQtTranslations(application);
    // Every window and box takes the application's icon.
    QApplication::setWindowIcon(ui::programIcon());
    InstalledMessageBoxes boxes;
    const std::string executable = QCoreApplication::applicationFilePath().toStdString();
    SingleInstanceLock lock(SingleInstanceLock::lockFileFor(executable));

    StartupHooks hooks;
    hooks.anotherInstanceRunning = [&lock] { return !lock.tryAcquire(); };
    hooks.screenDpiY = screenLogicalDpiY;
    hooks.titleBarPixels = titleBarPixels;
    hooks.dialogFramePixels = dialogFramePixels;
    hooks.setApplicationTitle = [](const std::string& title) {
        QCoreApplication::setApplicationName(QString::fromStdString(title));
    };
    hooks.executablePath = [&executable] { return executable; };
    hooks.workbookEngineAvailable = workbookEngineBuiltIn;
    hooks.loadMainWindow = loadMainWindow;

    StartupOutcome outcome = Main(hooks);
    // The program lives as long as its windows; a start-up that showed none
    // ends here (a failure that left the main window open still runs it).
    int status = outcome == StartupOutcome::Failed ? 1 : 0;
    if (anyWindowVisible()) status = QApplication::exec();
    if (unloadWindows) unloadWindows();
    return status;
}

}  // namespace speclore
