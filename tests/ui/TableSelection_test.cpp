// fMain's database browse, the table list and the workgroup commands.
#include <gtest/gtest.h>

#include <QtTest/QTest>

#include "UiTestSupport.h"
#include "app/FileDialogs.h"
#include "support/RecordingFileDialog.h"
#include "support/RecordingMessageBox.h"
#include "ui/MainWindow.h"

using namespace speclore;
using namespace speclore::uitest;
using speclore::testing::RecordingFileDialog;
using speclore::testing::RecordingMessageBox;

namespace {

catalog::TableDef table(std::string name, int32_t attributes = 0) {
    catalog::TableDef def;
    def.name = std::move(name);
    def.attributes = attributes;
    return def;
}

struct TableSelection : ::testing::Test {
    WindowTestEnvironment env;
    RecordingMessageBox boxes;
    RecordingFileDialog dialogs;
    FakeDatabases databases;
    NoSpreadsheets spreadsheets;
    std::unique_ptr<ui::FMain> window;

    void SetUp() override {
        databases.tables = {table("顧客"),
                            table("MSysObjects", catalog::dbSystemObject),
                            table("受注"),
                            table("隠し", catalog::dbHiddenObject),
                            table("リンク", catalog::dbAttachedTable),
                            table("商品")};
        window = std::make_unique<ui::FMain>(ui::MainWindowEngines{databases, {spreadsheets, spreadsheets}});
        window->Form_Load();
    }
    void browse(const std::string& path) {
        dialogs.answers.push_back(path);
        click(window.get(), "cmd処理ファイル参照");
    }
    QLineEdit* box(const char* name) { return child<QLineEdit>(window.get(), name); }
};

const std::vector<std::string> kOrdinaryTables{"顧客", "受注", "商品"};

}  // namespace

TEST_F(TableSelection, BrowseListsTheOrdinaryTablesInEngineOrderAllSelected) {
    browse("/data/販売管理.mdb");
    const FileDialogRequest& request = dialogs.requests.at(0);
    EXPECT_EQ(request.kind, FileDialogKind::Open);
    EXPECT_EQ(request.owner, window.get());
    EXPECT_EQ(request.title, "処理の対象となるMDBファイルを選択してください");
    EXPECT_EQ(request.filters,
              (std::vector<FileFilter>{{"Microsoft Access データベース (*.mdb;*.mde)", "*.mdb;*.mde"},
                                       {"すべてのファイル (*.*)", "*.*"}}));
    EXPECT_EQ(listEntries(window.get()), kOrdinaryTables);
    EXPECT_EQ(listEntries(window.get(), true), kOrdinaryTables);
    EXPECT_EQ(child<QListWidget>(window.get(), "lst処理テーブル")->currentRow(), 0);
    EXPECT_EQ(box("txt処理ファイル")->text(), QStringLiteral("/data/販売管理.mdb"));
    EXPECT_EQ(box("txt処理ファイル")->property("tag").toString(), QStringLiteral("/data/販売管理.mdb"));
    EXPECT_TRUE(boxes.boxes.empty());
    // Without a workgroup the default login is used, whatever the boxes hold.
    EXPECT_EQ(databases.lastUser, "Admin");
    EXPECT_EQ(databases.lastConnect, "");
}

TEST_F(TableSelection, BrowseUsesTheWindowsPasswordAndWorkgroup) {
    dialogs.answers = {"/sec/team.mdw"};
    click(window.get(), "cmdMDWファイル参照");
    EXPECT_EQ(dialogs.requests.at(0).title, "ワークグループ情報ファイルを選択してください");
    EXPECT_EQ(dialogs.requests.at(0).filters.at(0), (FileFilter{"ワークグループ ファイル (*.mdw)", "*.mdw"}));
    box("txtDBパスワード")->setText(QStringLiteral("s3cret"));
    box("txtアカウント名")->setText(QStringLiteral("dev"));
    box("txtパスワード")->setText(QStringLiteral("pw"));
    browse("/data/a.mdb");
    EXPECT_EQ(databases.lastSystemDb, "/sec/team.mdw");
    EXPECT_EQ(databases.lastUser, "dev");
    EXPECT_EQ(databases.lastPassword, "pw");
    EXPECT_EQ(databases.lastConnect, ";pwd=s3cret");
}

TEST_F(TableSelection, CancelledBrowseAndFailedOpeningLeaveTheOldDatabaseAndList) {
    browse("/data/first.mdb");
    child<QListWidget>(window.get(), "lst処理テーブル")->item(1)->setSelected(false);

    browse("");
    databases.openFails = true;
    browse("/data/second.mdb");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].style, 48);
    EXPECT_EQ(boxes.boxes[0].text,
              "データベースファイルのオープンに失敗しました。 エラーに関連する説明は以下の通りです。"
              "\r\n\r\nパスワードが違います。");
    EXPECT_EQ(box("txt処理ファイル")->property("tag").toString(), QStringLiteral("/data/first.mdb"));
    EXPECT_EQ(listEntries(window.get()), kOrdinaryTables);
    EXPECT_EQ(listEntries(window.get(), true), (std::vector<std::string>{"顧客", "商品"}));
}

TEST_F(TableSelection, UnexpectedFailureReportsTwiceAndEmptiesDatabaseAndList) {
    browse("/data/first.mdb");
    databases.engineFails = true;
    browse("/data/second.mdb");
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].style, 16);
    EXPECT_EQ(boxes.boxes[0].text.rfind("ｴﾗｰNo. 429  【fMain-cmd処理ファイル参照_Click】", 0), 0u);
    EXPECT_EQ(boxes.boxes[1].style, 16);
    EXPECT_EQ(boxes.boxes[1].text, "処理ファイルの参照に失敗しました。\r\n\r\n処理を中止します。");
    EXPECT_TRUE(box("txt処理ファイル")->text().isEmpty());
    EXPECT_TRUE(box("txt処理ファイル")->property("tag").toString().isEmpty());
    EXPECT_TRUE(listEntries(window.get()).empty());
}

TEST_F(TableSelection, DatabaseWithoutOrdinaryTablesGivesAnEmptyListButShowsTheFile) {
    databases.tables = {table("MSysObjects", catalog::dbSystemObject)};
    browse("/data/system-only.mdb");
    EXPECT_TRUE(listEntries(window.get()).empty());
    EXPECT_EQ(box("txt処理ファイル")->text(), QStringLiteral("/data/system-only.mdb"));
    // Select all and clear all on an empty list show nothing.
    click(window.get(), "cmd全て選択");
    click(window.get(), "cmd全て解除");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(TableSelection, SelectAllClearAllAndAClickTogglesOneEntry) {
    browse("/data/a.mdb");
    click(window.get(), "cmd全て解除");
    EXPECT_TRUE(listEntries(window.get(), true).empty());
    click(window.get(), "cmd全て選択");
    EXPECT_EQ(listEntries(window.get(), true), kOrdinaryTables);
    auto* list = child<QListWidget>(window.get(), "lst処理テーブル");
    QRect second = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(listEntries(window.get(), true), (std::vector<std::string>{"顧客", "商品"}));
}

TEST_F(TableSelection, ClearingTheWorkgroupAsksFirstAndKeepsTheDatabasePassword) {
    dialogs.answers = {"/sec/team.mdw"};
    click(window.get(), "cmdMDWファイル参照");
    box("txtDBパスワード")->setText(QStringLiteral("db"));
    box("txtアカウント名")->setText(QStringLiteral("dev"));
    box("txtパスワード")->setText(QStringLiteral("pw"));

    boxes.answers = {MsgBoxAnswer::No};
    click(window.get(), "cmdMDW情報クリア");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "ワークグループ情報をクリアしますか？");
    EXPECT_EQ(boxes.boxes[0].style, 36);
    EXPECT_EQ(box("txtMDWファイル")->text(), QStringLiteral("/sec/team.mdw"));
    EXPECT_EQ(box("txtアカウント名")->text(), QStringLiteral("dev"));

    click(window.get(), "cmdMDW情報クリア");
    EXPECT_TRUE(box("txtMDWファイル")->text().isEmpty());
    EXPECT_TRUE(box("txtMDWファイル")->property("tag").toString().isEmpty());
    EXPECT_TRUE(box("txtアカウント名")->text().isEmpty());
    EXPECT_TRUE(box("txtパスワード")->text().isEmpty());
    EXPECT_EQ(box("txtDBパスワード")->text(), QStringLiteral("db"));
}

TEST_F(TableSelection, ChoosingAWorkgroupLeavesTheTableListAlone) {
    browse("/data/a.mdb");
    dialogs.answers = {"/sec/other.mdw"};
    click(window.get(), "cmdMDWファイル参照");
    EXPECT_EQ(listEntries(window.get(), true), kOrdinaryTables);
    EXPECT_EQ(box("txtMDWファイル")->property("tag").toString(), QStringLiteral("/sec/other.mdw"));
}
