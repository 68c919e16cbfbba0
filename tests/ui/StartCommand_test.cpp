// fMain's start command: the checks, the save dialog, and whole runs with
// the real database and workbook engines.
#include <gtest/gtest.h>

#include <filesystem>

#include "UiTestSupport.h"
#include "app/FileDialogs.h"
#include "jet/JetEngine.h"
#include "support/RecordingFileDialog.h"
#include "support/RecordingMessageBox.h"
#include "support/Xlsdump.h"
#include "support/Xlsxdump.h"
#include "ui/MainWindow.h"
#include "xls/XlsApplication.h"
#include "xlsx/XlsxApplication.h"

using namespace speclore;
using namespace speclore::uitest;
using speclore::testing::RecordingFileDialog;
using speclore::testing::RecordingMessageBox;

namespace {

const std::string kFixtures = SPECLORE_TEST_FIXTURES;
constexpr const char* kSucceeded = "テーブル仕様書の作成処理が終了しました。";
constexpr const char* kFailed = "テーブル仕様書の作成処理中にエラーが発生しました。処理を中止します。";

struct StartCommand : ::testing::Test {
    WindowTestEnvironment env;
    RecordingMessageBox boxes;
    RecordingFileDialog dialogs;
    jet::JetDbEngineFactory databases{SPECLORE_PROGRAM_DIR};
    xls::XlsApplicationFactory spreadsheets;
    xlsx::XlsxApplicationFactory xlsxSpreadsheets;
    std::unique_ptr<ui::FMain> window;

    void SetUp() override {
        window =
            std::make_unique<ui::FMain>(ui::MainWindowEngines{databases, {spreadsheets, xlsxSpreadsheets}});
        window->Form_Load();
    }
    void browse(const std::string& path) {
        dialogs.answers.push_back(path);
        click(window.get(), "cmd処理ファイル参照");
    }
    void start(const std::string& outputPath) {
        dialogs.answers.push_back(outputPath);
        click(window.get(), "cmd処理開始");
    }
    QLineEdit* box(const char* name) { return child<QLineEdit>(window.get(), name); }
    // The ordinary tables in the order in which the engine gives them.
    std::vector<std::string> engineTables(const std::string& path, const std::string& connect) {
        auto engine = databases.NewEngine();
        engine->SetSystemDB("");
        engine->SetDefaultUser("Admin");
        engine->SetDefaultPassword("");
        auto db = engine->OpenDatabase(path, false, false, connect);
        std::vector<std::string> names;
        for (const catalog::TableDef& t : db->TableDefs()) {
            if (t.attributes == 0) names.push_back(t.name);
        }
        return names;
    }
};

}  // namespace

TEST_F(StartCommand, WithoutADatabaseOnlyTheFirstCheckSpeaks) {
    start("/never/used.xls");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "「処理ファイル」 を選択してください。");
    EXPECT_EQ(boxes.boxes[0].style, 64);
    EXPECT_TRUE(dialogs.requests.empty());
}

TEST_F(StartCommand, WithNoTableSelectedOnlyTheSecondCheckSpeaks) {
    browse(kFixtures + "/empty_rel.mdb");
    click(window.get(), "cmd全て解除");
    start("/never/used.xls");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "「対象テーブル」 を選択してください。");
    EXPECT_EQ(boxes.boxes[0].style, 64);
    EXPECT_EQ(dialogs.requests.size(), 1u);  // the browse only
}

TEST_F(StartCommand, SaveDialogGetsTheWorkbookFilterTitleAndDefaultNameAndCancelRunsNothing) {
    browse(kFixtures + "/empty_rel.mdb");
    start("");
    ASSERT_EQ(dialogs.requests.size(), 2u);
    const FileDialogRequest& save = dialogs.requests[1];
    EXPECT_EQ(save.kind, FileDialogKind::Save);
    EXPECT_EQ(save.owner, window.get());
    EXPECT_EQ(save.title, "テーブル仕様書を名前を付けて保存してください");
    EXPECT_EQ(save.filters, (std::vector<FileFilter>{{"Microsoft Excel ブック (*.xls)", "*.xls"},
                                                     {"Excel ブック (*.xlsx)", "*.xlsx"},
                                                     {"すべてのファイル (*.*)", "*.*"}}));
    EXPECT_EQ(save.initialFolder, "");
    EXPECT_EQ(save.defaultName, "empty_rel");
    EXPECT_EQ(save.defaultExtension, ".xls");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(DefaultWorkbookName, CutsBeforeTheLastPeriodOnly) {
    EXPECT_EQ(ui::defaultWorkbookName("/data/Sales.mdb"), "Sales");
    EXPECT_EQ(ui::defaultWorkbookName("/data/a.b.mdb"), "a.b");
    EXPECT_EQ(ui::defaultWorkbookName("/data/noperiod"), "noperiod");
    EXPECT_EQ(ui::defaultWorkbookName("/data.d/noperiod"), "noperiod");
}

TEST_F(StartCommand, FullRunFromTheStartButtonWritesTheWorkbookAndSaysSo) {
    browse(kFixtures + "/catalog_ja.mdb");
    ASSERT_TRUE(boxes.boxes.empty()) << boxes.boxes[0].text;
    std::vector<std::string> tables = listEntries(window.get());
    EXPECT_EQ(tables, engineTables(kFixtures + "/catalog_ja.mdb", ""));
    EXPECT_TRUE(std::find(tables.begin(), tables.end(), "リンク顧客") == tables.end());
    EXPECT_TRUE(std::find(tables.begin(), tables.end(), "MSysObjects") == tables.end());
    EXPECT_EQ(listEntries(window.get(), true), tables);

    box("txtテーブルタイトル")->setText(QStringLiteral("<FileTitle> テーブル仕様書"));
    const std::string output = (env.folder / "仕様書.xls").string();
    start(output);
    ASSERT_EQ(boxes.boxes.size(), 1u) << boxes.boxes[0].text;
    EXPECT_EQ(boxes.boxes[0].text, kSucceeded);
    EXPECT_EQ(boxes.boxes[0].style, 64);

    nlohmann::json book = speclore::test::xlsdumpJson(output, {"--range", "A1:F4"});
    const nlohmann::json* title = speclore::test::findCell(speclore::test::sheetNumber(book, 1), "A1");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->at("value").get<std::string>(), "catalog_ja テーブル仕様書");
    // The progress window has gone and the window takes commands again.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QStringLiteral("fProcess")) {
            EXPECT_FALSE(w->isVisible());
        }
    }
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(StartCommand, AnXlsxNameWritesAnXlsxWorkbookFromTemplateXlsx) {
    browse(kFixtures + "/catalog_ja.mdb");
    box("txtテーブルタイトル")->setText(QStringLiteral("<FileTitle> テーブル仕様書"));
    const std::string output = (env.folder / "仕様書.xlsx").string();
    start(output);
    ASSERT_EQ(boxes.boxes.size(), 1u) << boxes.boxes[0].text;
    EXPECT_EQ(boxes.boxes[0].text, kSucceeded);
    const nlohmann::json book = speclore::test::xlsxdumpJson(output);
    EXPECT_EQ(speclore::test::xlsxCell(book["sheets"][0], "A1")["value"], "catalog_ja テーブル仕様書");
    EXPECT_EQ(speclore::test::xlsxCell(book["sheets"][0], "A4")["format"]["fill"]["pattern"], "solid");
}

TEST_F(StartCommand, WrongDatabasePasswordKeepsTheOldListAndARunReportsTwice) {
    box("txtDBパスワード")->setText(QStringLiteral("s3cret"));
    browse(kFixtures + "/password.mdb");
    ASSERT_TRUE(boxes.boxes.empty()) << boxes.boxes[0].text;
    const std::vector<std::string> tables = listEntries(window.get());
    EXPECT_EQ(tables, engineTables(kFixtures + "/password.mdb", ";pwd=s3cret"));
    EXPECT_EQ(tables.size(), 2u);

    box("txtDBパスワード")->setText(QStringLiteral("wrong"));
    browse(kFixtures + "/password_ja.mdb");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].style, 48);
    EXPECT_EQ(boxes.boxes[0].text.rfind("データベースファイルのオープンに失敗しました。", 0), 0u);
    EXPECT_EQ(listEntries(window.get()), tables);
    EXPECT_TRUE(box("txt処理ファイル")->property("tag").toString().endsWith(QStringLiteral("/password.mdb")));

    // A run with the wrong password: the opening's message, then the start
    // command's, and the output file is not created.
    const std::string output = (env.folder / "out.xls").string();
    start(output);
    ASSERT_EQ(boxes.boxes.size(), 3u);
    EXPECT_EQ(boxes.boxes[1].text.rfind("データベースファイルのオープンに失敗しました。", 0), 0u);
    EXPECT_EQ(boxes.boxes[2].text, kFailed);
    EXPECT_EQ(boxes.boxes[2].style, 48);
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(StartCommand, AFileThatIsNoDatabaseIsAnOpeningFailureAndChangesNothing) {
    browse(kFixtures + "/empty_rel.mdb");
    const std::vector<std::string> tables = listEntries(window.get());
    browse(std::string(SPECLORE_PROGRAM_DIR) + "/Template.xls");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].style, 48);
    EXPECT_EQ(boxes.boxes[0].text.rfind("データベースファイルのオープンに失敗しました。", 0), 0u);
    EXPECT_EQ(listEntries(window.get()), tables);
    EXPECT_TRUE(box("txt処理ファイル")->text().endsWith(QStringLiteral("empty_rel.mdb")));
}
