// fItemName: opened from fMain, the 56 boxes, OK, Cancel and the close button.
#include <gtest/gtest.h>

#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWindow>
#include <QtTest/QTest>

#include "UiTestSupport.h"
#include "app/SettingsFile.h"
#include "catalog/ItemNames.h"
#include "support/RecordingMessageBox.h"
#include "ui/ItemNameDialog.h"
#include "ui/MainWindow.h"

using namespace speclore;
using namespace speclore::uitest;
using speclore::testing::RecordingMessageBox;

namespace {

struct ItemNameDialog : ::testing::Test {
    WindowTestEnvironment env;
    RecordingMessageBox boxes;
    FakeDatabases databases;
    NoSpreadsheets spreadsheets;
    std::unique_ptr<ui::FMain> window;

    void SetUp() override {
        window = std::make_unique<ui::FMain>(ui::MainWindowEngines{databases, {spreadsheets, spreadsheets}});
        window->Form_Load();
    }
    ui::FItemName* open() {
        click(window.get(), "cmd項目名称設定");
        ui::FItemName* dialog = window->itemNameDialog();
        if (!dialog) throw std::runtime_error("the dialog did not open");
        return dialog;
    }
    QLineEdit* itemBox(ui::FItemName* dialog, const char* key) { return child<QLineEdit>(dialog, key); }
    std::string stored(const char* key) {
        return GetIniValue(appGlobals().iniPath, catalog::kItemNamesSection, key);
    }
};

}  // namespace

TEST_F(ItemNameDialog, OpensWithTheStoredValuesAndDisablesTheMainWindow) {
    env.writeIni("[CATALOG]\r\nctTitleA=番号\r\ncrYes=有\r\n");
    ui::FItemName* dialog = open();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(window->isEnabled());
    // The designed page keeps its size, 609 pixels and a third frame of 296
    // for the queries; the dialog fits the (800 x 800) offscreen screen,
    // frame and all, and scrolls sideways only: the whole height shows.
    EXPECT_EQ(child<QWidget>(dialog, "pageItems")->size(), QSize(905, 671));
    EXPECT_TRUE(dialog->screen()->availableGeometry().contains(dialog->frameGeometry()));
    const auto* scroll = dialog->findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    EXPECT_TRUE(scroll->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(scroll->verticalScrollBar()->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Morvane　出力項目名称設定"));
    EXPECT_EQ(itemBox(dialog, "ctTitleA")->text(), QStringLiteral("番号"));
    EXPECT_EQ(itemBox(dialog, "crYes")->text(), QStringLiteral("有"));
    // A query caption the file lacks shows its shipped text, an older one "".
    EXPECT_EQ(itemBox(dialog, "cqDataDefinition")->text(), QStringLiteral("データ定義クエリ"));
    EXPECT_EQ(itemBox(dialog, "cqTitleA")->parentWidget()->objectName(), QStringLiteral("fraQuery"));
    EXPECT_TRUE(itemBox(dialog, "ctDecimal")->text().isEmpty());
    EXPECT_EQ(itemBox(dialog, "ctDecimal")->maxLength(), 100);
    EXPECT_EQ(dialog->focusWidget(), itemBox(dialog, "ctTitleA"));
    // The boxes follow the key order in the tab chain, then OK and Cancel.
    auto nextTabStop = [](QWidget* w) {
        do w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    QWidget* w = itemBox(dialog, "ctTitleA");
    for (std::size_t i = 1; i < catalog::kItemCount; ++i) {
        w = nextTabStop(w);
        EXPECT_EQ(w->objectName().toStdString(), catalog::kItemNameKeys[i].key);
    }
    w = nextTabStop(w);
    EXPECT_EQ(w->objectName(), QStringLiteral("cmdOK"));
    EXPECT_EQ(nextTabStop(w)->objectName(), QStringLiteral("cmdCancel"));
}

TEST_F(ItemNameDialog, OkWritesEveryKeyInOrderAndEnablesTheMainWindow) {
    ui::FItemName* dialog = open();
    itemBox(dialog, "ctText")->setText(QStringLiteral("文字列"));
    click(dialog, "cmdOK");
    EXPECT_TRUE(window->isEnabled());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(stored("ctText"), "文字列");
    std::string file = env.iniText();
    std::size_t previous = 0;
    for (const catalog::ItemNameKey& item : catalog::kItemNameKeys) {
        std::size_t at = file.find(std::string("\n") + item.key + "=");
        ASSERT_NE(at, std::string::npos) << item.key;
        EXPECT_GT(at, previous) << item.key;
        previous = at;
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(ItemNameDialog, CancelAndTheCloseButtonWriteNothingAndEditsDoNotReappear) {
    env.writeIni("[CATALOG]\r\nctMemo=メモ\r\n");
    const std::string before = env.iniText();

    ui::FItemName* dialog = open();
    itemBox(dialog, "ctMemo")->setText(QStringLiteral("変更"));
    click(dialog, "cmdCancel");
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(env.iniText(), before);

    dialog = open();
    EXPECT_EQ(itemBox(dialog, "ctMemo")->text(), QStringLiteral("メモ"));
    itemBox(dialog, "ctMemo")->setText(QStringLiteral("変更"));
    dialog->close();  // the title bar's close button
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(env.iniText(), before);
}

TEST_F(ItemNameDialog, EnterAndEscapeNeitherConfirmNorCancel) {
    ui::FItemName* dialog = open();
    QLineEdit* box = itemBox(dialog, "ctNum");
    box->setText(QStringLiteral("数"));
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_Enter);
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(window->isEnabled());
    EXPECT_EQ(stored("ctNum"), "");
    EXPECT_FALSE(std::filesystem::exists(appGlobals().iniPath));
}

TEST_F(ItemNameDialog, StaysAboveTheMainWindowAndEnterPressesItsFocusedButton) {
    window->show();
    ui::FItemName* dialog = open();
    ASSERT_NE(dialog->windowHandle(), nullptr);
    EXPECT_EQ(dialog->windowHandle()->transientParent(), window->windowHandle());
    // Enter in a box does nothing; on a focused button it presses it.
    itemBox(dialog, "ctTitleA")->setText(QStringLiteral("番号"));
    QTest::keyClick(itemBox(dialog, "ctTitleA"), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    QPushButton* ok = child<QPushButton>(dialog, "cmdOK");
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->itemNameDialog(); }, 2000));
    EXPECT_EQ(stored("ctTitleA"), "番号");
    EXPECT_TRUE(window->isEnabled());
}
