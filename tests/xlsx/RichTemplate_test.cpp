// Templates with more in them than Template.xlsx: what the run does not
// write must come through a run unchanged.
#include <gtest/gtest.h>

#include <string>

#include "XlsxTestSupport.h"
#include "support/LibreOffice.h"
#include "support/Subprocess.h"
#include "support/Xlsxdump.h"
#include "xls/CatalogPattern.h"

namespace speclore::test {
namespace {

void runCatalogOn(const std::string& path) {
    editWorkbook(path, [](catalog::XlWorkbook& workbook) {
        writeTableSheet(workbook.Sheets(1), kTables);
        writeRelationSheet(workbook.Sheets(2));
    });
}

TEST(XlsxRichTemplate, KeepsSheetsMergesNamesImagesCommentsValidationsAndHeaders) {
    TempDir dir("speclore-xlsx-rich");
    const std::string rich = (dir / "rich.xlsx").string();
    const ProcessResult made = makePackages({"rich", rich});
    if (made.exitCode == 3) SPECLORE_MISSING_TOOL("python3-openpyxl is not installed: " + made.err);
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const nlohmann::json before = xlsxdumpJson(rich);
    runCatalogOn(rich);
    const nlohmann::json after = xlsxdumpJson(rich);

    EXPECT_EQ(after["sheet_names"], before["sheet_names"]);
    EXPECT_EQ(after["defined_names"], before["defined_names"]);
    EXPECT_EQ(after["sheets"][2], before["sheets"][2]) << "the third sheet";
    for (size_t s = 0; s < 2; ++s) {
        for (const char* key : {"merged", "data_validations", "conditional_formats", "images", "header",
                                "footer", "columns", "page_setup"}) {
            EXPECT_EQ(after["sheets"][s][key], before["sheets"][s][key]) << "sheet " << s + 1 << " " << key;
        }
    }
    EXPECT_EQ(after["sheets"][0]["comments"]["A2"], "テンプレートの注記");
    EXPECT_EQ(xlsxCell(after["sheets"][0], "H1")["value"], "結合");
    EXPECT_EQ(after["sheets"][0]["images"], 1);
    EXPECT_EQ(after["sheets"][0]["merged"], nlohmann::json::array({"H1:J2"}));
    EXPECT_EQ(xlsxCell(after["sheets"][0], "A4")["value"], kTableHeadings[0]);
}

TEST(XlsxRichTemplate, ATemplateSavedByLibreOfficeTakesTheRun) {
    if (!libreOfficeInstalled()) SPECLORE_MISSING_TOOL("soffice is not installed");
    TempDir dir("speclore-xlsx-lo-template");
    const std::filesystem::path saved = dir / "saved";
    std::filesystem::create_directories(saved);
    // LibreOffice writes the template again in its own way (shared strings,
    // its own styles, namespace prefixes and order).
    const std::string source = copyTemplate(dir, "Template.xlsx", kXlsxTemplate);
    const ProcessResult converted = convertWithLibreOffice(source, "xlsx", saved);
    ASSERT_EQ(converted.exitCode, 0) << converted.err;
    const std::string path = (saved / "Template.xlsx").string();
    ASSERT_TRUE(std::filesystem::exists(path)) << converted.out << converted.err;
    const nlohmann::json before = xlsxdumpJson(path);
    runCatalogOn(path);
    const nlohmann::json after = xlsxdumpJson(path);
    const nlohmann::json& tables = after["sheets"][0];
    EXPECT_EQ(xlsxCell(tables, "A1")["value"], kTableTitle);
    EXPECT_EQ(xlsxCell(tables, "A1")["format"]["font"]["size"], 16.0);
    EXPECT_EQ(xlsxCell(tables, "A2")["value"], "※ 番号が太字の項目は主キーです。");
    EXPECT_EQ(xlsxCell(tables, "D4")["format"]["fill"]["fore_colorindex"], 15);
    EXPECT_TRUE(xlsxCell(tables, "A5")["format"]["font"]["bold"]);
    EXPECT_EQ(xlsxCell(tables, "B6")["format"]["borders"]["top"]["colorindex"], 15);
    for (size_t s = 0; s < 2; ++s) {
        for (const char* key : {"columns", "header", "footer", "page_setup", "print_title_rows"}) {
            EXPECT_EQ(after["sheets"][s][key], before["sheets"][s][key]) << key;
        }
    }
}

}  // namespace
}  // namespace speclore::test
