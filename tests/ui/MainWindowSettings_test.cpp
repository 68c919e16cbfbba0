// fMain's load and unload of section "INITIAL", its caption and its fold.
#include <gtest/gtest.h>

#include <QStyle>

#include "UiTestSupport.h"
#include "app/PasswordCipher.h"
#include "app/SettingsFile.h"
#include "support/RecordingMessageBox.h"
#include "ui/MainWindow.h"

using namespace speclore;
using namespace speclore::uitest;
using speclore::testing::RecordingMessageBox;

namespace {

struct MainWindowSettings : ::testing::Test {
    WindowTestEnvironment env;
    RecordingMessageBox boxes;
    FakeDatabases databases;
    NoSpreadsheets spreadsheets;

    std::unique_ptr<ui::FMain> loadWindow() {
        auto window =
            std::make_unique<ui::FMain>(ui::MainWindowEngines{databases, {spreadsheets, spreadsheets}});
        window->Form_Load();
        return window;
    }
    std::string ini(const char* key) { return GetIniValue(appGlobals().iniPath, "INITIAL", key); }
    QString text(ui::FMain& w, const char* box) { return child<QLineEdit>(&w, box)->text(); }
};

}  // namespace

TEST_F(MainWindowSettings, WithoutSettingsTheWindowOpensFoldedAndEmptyAndCloseWritesAllKeys) {
    auto window = loadWindow();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Morvane Ver1.00"));
    EXPECT_EQ(window->width(), 510);
    EXPECT_EQ(window->height(), 324);
    EXPECT_EQ(child<QPushButton>(window.get(), "cmd詳細設定")->text(), QStringLiteral("詳細設定 >>"));
    for (const char* box : {"txt処理ファイル", "txtDBパスワード", "txtMDWファイル", "txtアカウント名",
                            "txtパスワード", "txtテーブルタイトル", "txtリレーションタイトル"}) {
        EXPECT_TRUE(text(*window, box).isEmpty()) << box;
    }
    EXPECT_TRUE(listEntries(window.get()).empty());
    for (const char* masked : {"txtDBパスワード", "txtパスワード"}) {
        QLineEdit* box = child<QLineEdit>(window.get(), masked);
        EXPECT_EQ(box->echoMode(), QLineEdit::Password) << masked;
        EXPECT_EQ(box->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, box), '*')
            << masked;
    }

    window->close();
    EXPECT_TRUE(boxes.boxes.empty());
    std::string file = env.iniText();
    for (const char* key : {"OPTION=False", "DBPASSWORD=", "MDBFILE=", "ACCOUNT=", "PASSWORD=", "TABLETITLE=",
                            "RELATIONTITLE="}) {
        EXPECT_NE(file.find(key), std::string::npos) << key;
    }
}

TEST_F(MainWindowSettings, ValuesSurviveARestartWithPasswordsStoredOnlyEncrypted) {
    const std::string longWorkgroup =
        "/srv/shared/accounting/department-of-finance/security/workgroup-2024.mdw";
    {
        auto window = loadWindow();
        child<QLineEdit>(window.get(), "txtDBパスワード")->setText(QStringLiteral("秘密pw"));
        child<QLineEdit>(window.get(), "txtアカウント名")->setText(QStringLiteral("経理担当"));
        child<QLineEdit>(window.get(), "txtパスワード")->setText(QStringLiteral("acct-secret"));
        child<QLineEdit>(window.get(), "txtテーブルタイトル")->setText(QStringLiteral("<FileTitle> 表"));
        child<QLineEdit>(window.get(), "txtリレーションタイトル")->setText(QStringLiteral("関連"));
        click(window.get(), "cmd詳細設定");
        window->close();
    }
    SetIniValue(appGlobals().iniPath, "INITIAL", "MDBFILE", longWorkgroup);
    std::string file = env.iniText();
    EXPECT_EQ(file.find("acct-secret"), std::string::npos);
    EXPECT_EQ(ini("OPTION"), "True");
    EXPECT_EQ(BFDecode(kPasswordKey, ini("PASSWORD")), "acct-secret");
    EXPECT_EQ(ini("ACCOUNT"), "経理担当");

    auto window = loadWindow();
    EXPECT_EQ(text(*window, "txtDBパスワード"), QStringLiteral("秘密pw"));
    EXPECT_EQ(text(*window, "txtパスワード"), QStringLiteral("acct-secret"));
    EXPECT_EQ(text(*window, "txtアカウント名"), QStringLiteral("経理担当"));
    EXPECT_EQ(text(*window, "txtテーブルタイトル"), QStringLiteral("<FileTitle> 表"));
    EXPECT_EQ(text(*window, "txtリレーションタイトル"), QStringLiteral("関連"));
    // The workgroup path is shown shortened, kept whole, and saved whole.
    auto* workgroup = child<QLineEdit>(window.get(), "txtMDWファイル");
    EXPECT_LE(workgroup->text().size(), 44);
    EXPECT_TRUE(workgroup->text().endsWith(QStringLiteral("workgroup-2024.mdw")));
    EXPECT_EQ(workgroup->property("tag").toString().toStdString(), longWorkgroup);
    EXPECT_EQ(window->height(), 584);
    window->close();
    EXPECT_EQ(ini("MDBFILE"), longWorkgroup);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(MainWindowSettings, OptionAcceptsTrueFalseAndNumbersAndIsSavedAsText) {
    for (const auto& [stored, open] : std::vector<std::pair<std::string, bool>>{
             {"True", true}, {"false", false}, {"1", true}, {"-1", true}, {"0", false}}) {
        env.writeIni("[INITIAL]\r\nOPTION=" + stored + "\r\n");
        auto window = loadWindow();
        EXPECT_EQ(window->advancedOpen(), open) << stored;
        window->close();
        EXPECT_EQ(ini("OPTION"), open ? "True" : "False") << stored;
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(MainWindowSettings, UnreadableOptionIsReportedOnceAndTheWindowStillComesUp) {
    env.writeIni("[INITIAL]\r\nOPTION=yes\r\nACCOUNT=someone\r\n");
    auto window = loadWindow();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text.rfind("ｴﾗｰNo. 13  【fMain-Form_Load】", 0), 0u);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->height(), 324);
    // The steps after the failing one did not run.
    EXPECT_TRUE(text(*window, "txtアカウント名").isEmpty());
}

TEST_F(MainWindowSettings, FoldTogglesOnlyTheHeightAndKeepsTheAdvancedValues) {
    auto window = loadWindow();
    window->move(40, 30);
    QPoint topLeft = window->pos();
    auto* account = child<QLineEdit>(window.get(), "txtアカウント名");
    click(window.get(), "cmd詳細設定");
    EXPECT_EQ(window->size(), QSize(510, 584));
    EXPECT_EQ(child<QPushButton>(window.get(), "cmd詳細設定")->text(), QStringLiteral("詳細設定 <<"));
    account->setText(QStringLiteral("user1"));
    click(window.get(), "cmd詳細設定");
    EXPECT_EQ(window->size(), QSize(510, 324));
    EXPECT_EQ(window->pos(), topLeft);
    EXPECT_EQ(account->text(), QStringLiteral("user1"));
    EXPECT_TRUE(account->isEnabled());
}

TEST_F(MainWindowSettings, SizesFollowTheTwipsPerPixelFigure) {
    appGlobals().twipsPerPixel = 12;  // 120 dpi
    appGlobals().captionHeight = 12 * 23;
    appGlobals().frameHeight = 12 * 6;
    auto window = loadWindow();
    EXPECT_EQ(window->size(), QSize(638, 405));  // 7650 x 4860 twips
    click(window.get(), "cmd詳細設定");
    EXPECT_EQ(window->size(), QSize(638, 730));  // 7650 x 8760 twips
    auto* list = child<QListWidget>(window.get(), "lst処理テーブル");
    EXPECT_EQ(list->geometry(), QRect(139, 120, 395, 200));
}

TEST(MainWindowCaption, RunsMinorAndRevisionTogether) {
    EXPECT_EQ(ui::mainWindowCaption(1, 3, 1), QStringLiteral("Morvane Ver1.31"));
    EXPECT_EQ(ui::mainWindowCaption(2, 10, 0), QStringLiteral("Morvane Ver2.100"));
}
