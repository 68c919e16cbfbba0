// Packages the engine must refuse: each is error 1004 with a description
// that says what is wrong, never a crash, and the file is left alone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "XlsxTestSupport.h"
#include "app/AppError.h"
#include "support/Subprocess.h"

namespace speclore::test {
namespace {

struct Refusal {
    const char* file;
    const char* reason;  // part of the description
};

TEST(XlsxBadPackages, AreRefusedWithTheirReason) {
    TempDir dir("speclore-xlsx-bad");
    const ProcessResult made = makePackages({"bad", kXlsxTemplate, dir.path().string()});
    if (made.exitCode == 3) SPECLORE_MISSING_TOOL("python3-openpyxl is not installed: " + made.err);
    ASSERT_EQ(made.exitCode, 0) << made.err;

    const std::vector<Refusal> refusals = {
        {"not_zip.xlsx", "zip 形式のファイルではありません"},
        {"truncated.xlsx", "zip"},
        {"xls_file.xlsx", "Excel 97-2003 形式"},
        {"encrypted.xlsx", "暗号化"},
        {"bomb.xlsx", "大きすぎます"},
        {"dtd.xlsx", "文書型宣言"},
        {"no_workbook.xlsx", "xl/workbook.xml がありません"},
        {"no_styles.xlsx", "スタイルの部品"},
        {"no_sheet_part.xlsx", "xl/worksheets/sheet2.xml がありません"},
        {"no_content_types.xlsx", "[Content_Types].xml がありません"},
        {"one_sheet.xlsx", "ワークシートが 2 枚以上必要"},
        {"macro.xlsm.xlsx", "マクロ有効ブック"},
        {"strict.xlsx", "Strict"},
    };
    xlsx::XlsxApplication application;
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.file);
        const std::string path = (dir / refusal.file).string();
        const std::string before = readText(path);
        try {
            application.OpenWorkbook(path);
            ADD_FAILURE() << "opened";
        } catch (const AppError& error) {
            EXPECT_EQ(error.number(), err::ApplicationDefined);
            EXPECT_NE(error.description().find(refusal.reason), std::string::npos) << error.description();
        }
        EXPECT_EQ(readText(path), before);
    }

    // Damage inside a worksheet shows when the sheet is taken.
    for (const char* file : {"broken_sheet.xlsx", "bad_cell.xlsx"}) {
        SCOPED_TRACE(file);
        std::unique_ptr<catalog::XlWorkbook> workbook = application.OpenWorkbook((dir / file).string());
        try {
            workbook->Sheets(1);
            ADD_FAILURE() << "sheet 1 opened";
        } catch (const AppError& error) {
            EXPECT_EQ(error.number(), err::ApplicationDefined);
            EXPECT_NE(error.description().find("xl/worksheets/sheet1.xml"), std::string::npos)
                << error.description();
        }
        workbook->Close(false);
    }
}

TEST(XlsxBadPackages, MissingFileAndMissingSheetAndWorksheetsByTheirExactName) {
    TempDir dir("speclore-xlsx-missing");
    xlsx::XlsxApplication application;
    try {
        application.OpenWorkbook((dir / "none.xlsx").string());
        ADD_FAILURE() << "opened";
    } catch (const AppError& error) {
        EXPECT_EQ(error.number(), err::ApplicationDefined);
    }
    std::unique_ptr<catalog::XlWorkbook> workbook = application.OpenWorkbook(copyTemplate(dir, "t.xlsx"));
    for (int index : {0, 4}) {
        try {
            workbook->Sheets(index);
            ADD_FAILURE() << "sheet " << index;
        } catch (const AppError& error) {
            EXPECT_EQ(error.number(), err::SubscriptOutOfRange);
        }
    }
    EXPECT_EQ(workbook->findWorksheet("クエリ仕様書"), &workbook->Sheets(3));
    EXPECT_EQ(workbook->findWorksheet("テーブル仕様書"), &workbook->Sheets(1));
    EXPECT_EQ(workbook->findWorksheet("ｸｴﾘ仕様書"), nullptr);
    EXPECT_EQ(workbook->findWorksheet("クエリ仕様書 "), nullptr);
    EXPECT_EQ(workbook->findWorksheet(""), nullptr);

    std::unique_ptr<catalog::XlWorkbook> older = application.OpenWorkbook(
        copyTemplate(dir, "two.xlsx", std::string(SPECLORE_TEST_FIXTURES) + "/template_two_sheets.xlsx"));
    EXPECT_EQ(older->findWorksheet("クエリ仕様書"), nullptr);
    EXPECT_EQ(older->findWorksheet("リレーション仕様書"), &older->Sheets(2));
}

}  // namespace
}  // namespace speclore::test
