// Template.xlsx: made by its script, laid out as Template.xls.
#include <gtest/gtest.h>

#include <string>

#include "XlsxTestSupport.h"
#include "support/Subprocess.h"
#include "support/Xlsdump.h"
#include "support/Xlsxdump.h"

namespace speclore::test {
namespace {

TEST(XlsxTemplate, IsWhatTheGeneratorMakes) {
    TempDir dir("speclore-xlsx-template");
    const std::string generated = (dir / "Template.xlsx").string();
    const ProcessResult run =
        runProcess({"python3", std::string(SPECLORE_SOURCE_DIR) + "/tools/make_template_xlsx.py", generated},
                   std::chrono::minutes(1));
    if (run.exitCode == 3) SPECLORE_MISSING_TOOL("python3-openpyxl is not installed: " + run.err);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(readText(generated) == readText(kXlsxTemplate))
        << "resources/Template.xlsx is stale: run tools/make_template_xlsx.py and commit the result";
}

TEST(XlsxTemplate, HasTheSheetsColumnsAndTitlesOfTheXlsTemplate) {
    const nlohmann::json xlsx = xlsxdumpJson(kXlsxTemplate);
    const nlohmann::json xls = xlsdumpJson(std::string(SPECLORE_SOURCE_DIR) + "/resources/Template.xls");
    ASSERT_EQ(xlsx["sheets"].size(), 3u);
    for (size_t s = 0; s < 3; ++s) {
        const nlohmann::json& sheet = xlsx["sheets"][s];
        EXPECT_EQ(sheet["name"], xls["sheets"][s]["name"]);
        EXPECT_EQ(sheet["page_setup"]["paper_size"], 9);
        EXPECT_EQ(sheet["page_setup"]["orientation"], "landscape");
        EXPECT_EQ(sheet["page_setup"]["fit_to_width"], 1);
        EXPECT_EQ(sheet["header"]["right"], "&A");
        EXPECT_EQ(sheet["footer"]["center"], "&P / &N");
        const nlohmann::json a1 = xlsxCell(sheet, "A1");
        EXPECT_EQ(a1["format"]["font"]["name"], "ＭＳ Ｐゴシック");
        EXPECT_TRUE(a1["format"]["font"]["bold"]);
    }
    EXPECT_EQ(xlsx["sheets"][0]["columns"].size(), 6u);
    EXPECT_EQ(xlsx["sheets"][1]["columns"].size(), 10u);
    EXPECT_EQ(xlsx["sheets"][2]["columns"].size(), 6u);
    EXPECT_EQ(xlsx["sheets"][2]["print_title_rows"], "1:1");
    EXPECT_EQ(xlsx["sheets"][0]["print_title_rows"], "1:1");
    EXPECT_EQ(xlsx["sheets"][1]["print_title_rows"], "1:4");
    EXPECT_EQ(xlsx["sheets"][1]["freeze_panes"], "A5");
    EXPECT_EQ(xlsxCell(xlsx["sheets"][0], "A2")["value"], "※ 番号が太字の項目は主キーです。");
}

}  // namespace
}  // namespace speclore::test
