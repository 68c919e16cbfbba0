// The workbook template as an outside reader (xlrd, through xlsdump) sees it:
// what the catalog run relies on and what makes it print well.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "XlsTestSupport.h"
#include "support/MissingTool.h"
#include "support/Subprocess.h"
#include "support/TempDir.h"
#include "support/Xlsdump.h"

namespace speclore::test {
namespace {

const std::string kTemplate = std::string(SPECLORE_SOURCE_DIR) + "/resources/Template.xls";
const std::string kUiFont = "ＭＳ Ｐゴシック";

TEST(Template, IsWhatTheGeneratorMakes) {
    TempDir dir("speclore-template");
    const std::string generated = (dir / "Template.xls").string();
    const ProcessResult run =
        runProcess({"python3", std::string(SPECLORE_SOURCE_DIR) + "/tools/make_template.py", generated},
                   std::chrono::minutes(1));
    if (run.exitCode == 3) {
        SPECLORE_MISSING_TOOL("python3-xlwt is not installed: " + run.err);
    }
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(readText(generated) == readText(kTemplate))
        << "resources/Template.xls is stale: run tools/make_template.py and commit the result";
}

TEST(Template, SheetsAndDefaultFormat) {
    const nlohmann::json book = xlsdumpJson(kTemplate);
    ASSERT_EQ(book["sheet_count"], 3);
    EXPECT_EQ(book["sheets"][0]["name"], "テーブル仕様書");
    EXPECT_EQ(book["sheets"][1]["name"], "リレーション仕様書");
    EXPECT_EQ(book["sheets"][2]["name"], "クエリ仕様書");

    // Cells without a record of their own resolve to XF 15: it must be a cell
    // format, in the Japanese UI font at 11 pt, general and bottom aligned.
    const nlohmann::json& normal = book["default_cell_format"];
    EXPECT_EQ(normal["xf_index"], 15);
    EXPECT_FALSE(normal["xf_record"]["is_style"]);
    EXPECT_EQ(normal["xf_record"]["parent_style_index"], 0);
    EXPECT_EQ(normal["font"]["name"], kUiFont);
    EXPECT_EQ(normal["font"]["height_twips"], 220);
    EXPECT_EQ(normal["font"]["charset"], 128);
    EXPECT_FALSE(normal["font"]["bold"]);
    EXPECT_EQ(normal["horizontal"]["excel"], 1);
    EXPECT_EQ(normal["vertical"]["excel"], -4107);

    const nlohmann::json xfs = xlsdumpJson(kTemplate, {"--xfs"});
    EXPECT_TRUE(xfs["xfs"][0]["xf_record"]["is_style"]) << "XF 0 is the Normal style";
    for (const nlohmann::json& font : xfs["fonts"]) {
        EXPECT_EQ(font["name"], kUiFont) << font.dump();
    }
}

TEST(Template, TitleCellsAreLargeAndBoldAndNothingBelowIsFormatted) {
    const nlohmann::json book = xlsdumpJson(kTemplate);
    // Sheets 1 and 3 get their blocks from row 3, sheet 2 its heading in row 4.
    const int firstRunRow[] = {3, 4, 3};
    for (int number : {1, 2, 3}) {
        const nlohmann::json& sheet = sheetNumber(book, number);
        SCOPED_TRACE(sheet["name"].get<std::string>());
        const nlohmann::json* a1 = findCell(sheet, "A1");
        ASSERT_NE(a1, nullptr);
        EXPECT_EQ((*a1)["type"], "blank") << "the run writes the title";
        const nlohmann::json& font = (*a1)["format"]["font"];
        EXPECT_TRUE(font["bold"]);
        EXPECT_EQ(font["name"], kUiFont);
        EXPECT_GT(font["height_twips"].get<int>(), 220);
        for (const nlohmann::json& cell : sheet["cells"]) {
            const std::string address = cell["address"];
            const int row = std::stoi(address.substr(address.find_first_of("0123456789")));
            EXPECT_LT(row, firstRunRow[number - 1])
                << address << " is formatted where the run writes its own formats";
        }
    }
}

TEST(Template, ColumnsAreSizedForTheirContents) {
    const nlohmann::json book = xlsdumpJson(kTemplate);
    auto widths = [](const nlohmann::json& sheet) {
        std::map<char, int> byColumn;
        for (const nlohmann::json& run : sheet["columns"]) {
            const char first = run["first"].get<std::string>()[0];
            const char last = run["last"].get<std::string>()[0];
            for (char c = first; c <= last; ++c) {
                byColumn[c] = run["width_256ths"];
            }
        }
        return byColumn;
    };
    std::map<char, int> tables = widths(book["sheets"][0]);
    ASSERT_EQ(tables.size(), 6u) << "columns A to F";
    for (char c = 'B'; c <= 'E'; ++c) {
        EXPECT_LT(tables['A'], tables[c]) << "A holds only the running number";
        EXPECT_LT(tables[c], tables['F']) << "F holds the descriptions";
    }
    std::map<char, int> relations = widths(book["sheets"][1]);
    ASSERT_EQ(relations.size(), 10u) << "columns A to J";
    EXPECT_LT(relations['A'], relations['B']);
    std::map<char, int> queries = widths(book["sheets"][2]);
    ASSERT_EQ(queries.size(), 6u) << "columns A to F";
    for (char c : {'B', 'C', 'E', 'F'}) {
        EXPECT_LT(queries['A'], queries[c]);
        EXPECT_LT(queries[c], queries['D']) << "D holds the SQL";
    }
}

TEST(Template, CarriesPageSetupAndPrintTitles) {
    // Record types per substream: the globals, then each sheet, BOF to EOF.
    std::vector<std::multiset<std::string>> substreams;
    bool inside = false;
    const nlohmann::json dump = xlsdumpJson(kTemplate, {"--records"});
    for (const nlohmann::json& record : dump["records"]) {
        const std::string id = record["id"];
        if (id == "0809") {
            substreams.emplace_back();
            inside = true;
        }
        if (inside) {
            substreams.back().insert(id);
        }
        if (id == "000A") {
            inside = false;
        }
    }
    ASSERT_EQ(substreams.size(), 4u);
    const std::multiset<std::string>& globals = substreams[0];
    EXPECT_EQ(globals.count("0018"), 3u) << "one Print_Titles name per sheet";
    EXPECT_EQ(globals.count("01AE"), 1u) << "the SUPBOOK the names refer through";
    for (size_t n = 1; n < substreams.size(); ++n) {
        const std::multiset<std::string>& sheet = substreams[n];
        for (const char* id : {"00A1" /*SETUP*/, "0014" /*HEADER*/, "0015" /*FOOTER*/, "0081" /*WSBOOL*/,
                               "0026", "0027", "0028", "0029"}) {
            EXPECT_EQ(sheet.count(id), 1u) << id;
        }
    }
}

}  // namespace
}  // namespace speclore::test
