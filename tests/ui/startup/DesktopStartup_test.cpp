#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <string>

#include "app/AppGlobals.h"
#include "ui/DesktopStartup.h"
#include "ui/SingleInstanceLock.h"

using namespace speclore;

namespace {

int argc = 1;
char programName[] = "tests_ui_startup";
char* argv[] = {programName, nullptr};

}  // namespace

TEST(DesktopStartup, LoadsTheMainWindowAndRunsUntilItCloses) {
    std::unique_ptr<QWidget> window;
    bool applicationAliveAtUnload = false;
    bool iconSet = false;
    int status = runDesktopProgram(
        argc, argv,
        [&] {
            iconSet = !QApplication::windowIcon().isNull();
            window = std::make_unique<QWidget>();
            window->show();
            QTimer::singleShot(0, window.get(), &QWidget::close);
        },
        [&] {
            applicationAliveAtUnload = QApplication::instance() != nullptr;
            window.reset();
        });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(applicationAliveAtUnload);
    EXPECT_TRUE(iconSet) << "the windows take the program's icon from the application";
    EXPECT_EQ(window, nullptr);
    EXPECT_TRUE(appGlobals().iniPath.ends_with("/tests_ui_startup.ini")) << appGlobals().iniPath;
    EXPECT_EQ(appGlobals().iniPath, appGlobals().programFolder + "/tests_ui_startup.ini");
    EXPECT_GT(appGlobals().twipsPerPixel, 0);
    EXPECT_GT(appGlobals().captionHeight, 0);
}

TEST(DesktopStartup, SecondInstanceEndsWithoutLoadingAnything) {
    std::string executable;
    {
        QApplication probe(argc, argv);
        executable = QCoreApplication::applicationFilePath().toStdString();
    }
    SingleInstanceLock running(SingleInstanceLock::lockFileFor(executable));
    ASSERT_TRUE(running.tryAcquire());

    bool loaded = false;
    EXPECT_EQ(runDesktopProgram(argc, argv, [&] { loaded = true; }), 0);
    EXPECT_FALSE(loaded);
}
