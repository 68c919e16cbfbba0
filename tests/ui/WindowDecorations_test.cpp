// The title-bar buttons each window's design gives it, its fixed size, and
// its icon; what a real window manager draws is checked on a virtual X
// display by window-manager/check-decorations.sh.
#include <gtest/gtest.h>

#include <QtTest/QTest>

#include "UiTestSupport.h"
#include "ui/MainWindow.h"
#include "ui/ProgramIcon.h"
#include "ui/ProgressWindow.h"

using namespace speclore;
using namespace speclore::uitest;

namespace {

constexpr Qt::WindowFlags kButtons = Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                                     Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;

struct WindowDecorations : ::testing::Test {
    WindowTestEnvironment env;
    FakeDatabases databases;
    NoSpreadsheets spreadsheets;
    ui::FMain window{ui::MainWindowEngines{databases, {spreadsheets, spreadsheets}}};

    void SetUp() override { window.Form_Load(); }
    ui::FItemName* openItemNames() {
        window.cmd項目名称設定_Click();
        return window.itemNameDialog();
    }
};

bool fixedSize(const QWidget* w) {
    return w->minimumSize() == w->maximumSize() && w->size() == w->minimumSize();
}

}  // namespace

TEST_F(WindowDecorations, MainWindowMinimisesAndClosesButNeitherMaximisesNorResizes) {
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Window);
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint) << "without it Qt adds every button";
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_EQ(flags & kButtons,
              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint);
    EXPECT_TRUE(fixedSize(&window));
    window.cmd詳細設定_Click();
    EXPECT_TRUE(window.advancedOpen());
    EXPECT_TRUE(fixedSize(&window)) << "unfolded, the window keeps a fixed size too";
}

TEST_F(WindowDecorations, ProgressWindowHasNoButtonAndNoTaskBarEntry) {
    ui::FProcess progress;
    progress.Load();
    const Qt::WindowFlags flags = progress.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_EQ(flags & kButtons, Qt::WindowFlags());
    EXPECT_TRUE(fixedSize(&progress));
    progress.Unload();
}

TEST_F(WindowDecorations, ItemNamesDialogHasOnlyTheCloseButton) {
    ui::FItemName* dialog = openItemNames();
    ASSERT_NE(dialog, nullptr);
    const Qt::WindowFlags flags = dialog->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_EQ(flags & kButtons, Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint);
    EXPECT_TRUE(fixedSize(dialog));
    dialog->close();
}

TEST_F(WindowDecorations, WindowsWithoutMinimiseComeBackWhenMinimisedAnyway) {
    ui::FProcess progress;
    progress.Load();
    progress.setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !progress.isMinimized(); }, 2000));
    EXPECT_TRUE(progress.isVisible());
    progress.Unload();

    ui::FItemName* dialog = openItemNames();
    ASSERT_NE(dialog, nullptr);
    dialog->setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->isMinimized(); }, 2000));
    // Minimised together with its main window, it waits for the main window.
    window.setWindowState(Qt::WindowMinimized);
    dialog->setWindowState(Qt::WindowMinimized);
    QTest::qWait(200);
    EXPECT_TRUE(dialog->isMinimized());
    dialog->close();
}

TEST(ProgramIcon, EverySizeThePackageShipsIsCompiledIn) {
    ensureApplication();
    const QIcon icon = ui::programIcon();
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
        EXPECT_FALSE(icon.pixmap(size).isNull()) << size;
    }
}
