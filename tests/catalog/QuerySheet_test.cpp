// The query sheet of whole runs, read back by xlsdump, and the rules that
// turn a query into its cells.
#include <gtest/gtest.h>

#include <algorithm>

#include "CatalogHarness.h"
#include "catalog/QuerySheetWriter.h"
#include "support/Xlsxdump.h"

namespace speclore::test {
namespace {

using nlohmann::json;

const char* const kQueryPhase = "Phase クエリ仕様書を出力しています．．．";

void expectThinFrameEdge(const json& cell, const char* side, int colorIndex) {
    const json& border = cell.at("format").at("borders").at(side);
    EXPECT_EQ(border.at("style_code"), 1) << side;
    EXPECT_EQ(border.at("colorindex"), colorIndex) << side;
}

TEST(QuerySheet, OneBlockPerSavedQueryInNameOrderWithItsSqlWrapped) {
    CatalogHarness h;
    catalog::CatalogInputs inputs = h.inputsFor("queryTestV1997.mdb");
    inputs.queryTitle = "<FileTitle> のクエリ";
    ASSERT_TRUE(h.run(inputs));
    const json book = xlsdumpJson(h.outputPath());
    ASSERT_EQ(book["sheet_count"], 3);
    const json sheet = h.sheet(3);
    EXPECT_EQ(cellText(sheet, "A1"), "queryTestV1997 のクエリ");

    const char* names[] = {"AppendQuery", "CrosstabQuery",  "DataDefinitionQuery",
                           "DeleteQuery", "MakeTableQuery", "PassthroughQuery",
                           "SelectQuery", "UnionQuery",     "UpdateQuery"};
    const char* kinds[] = {"cqAppend",      "cqCrosstab", "cqDataDefinition", "cqDelete", "cqMakeTable",
                           "cqPassThrough", "cqSelect",   "cqUnion",          "cqUpdate"};
    for (int n = 0; n < 9; ++n) {
        SCOPED_TRACE(names[n]);
        const int title = 3 + 4 * n;
        const std::string t = std::to_string(title), head = std::to_string(title + 1),
                          row = std::to_string(title + 2);
        EXPECT_EQ(cellText(sheet, "A" + t), names[n]);
        EXPECT_EQ(cellText(sheet, "F" + t), "") << "no query of the file has a description";
        for (char c = 'A'; c <= 'F'; ++c) {
            const std::string key = std::string("cqTitle") + c;
            EXPECT_EQ(cellText(sheet, std::string(1, c) + head), caption(key));
        }
        const json* heading = findCell(sheet, "D" + head);
        ASSERT_NE(heading, nullptr);
        EXPECT_EQ(heading->at("format").at("fill").at("fore_colorindex"), 15);
        expectThinFrameEdge(*heading, "top", -4105);

        EXPECT_EQ(cellText(sheet, "A" + row), std::to_string(n + 1));
        EXPECT_EQ(cellText(sheet, "B" + row), names[n]);
        EXPECT_EQ(cellText(sheet, "C" + row), caption(kinds[n]));
        const json* sql = findCell(sheet, "D" + row);
        ASSERT_NE(sql, nullptr);
        EXPECT_TRUE(sql->at("format").at("wrap"));
        EXPECT_EQ(sql->at("format").at("vertical").at("excel"), -4160);
        EXPECT_EQ(cellText(sheet, "D" + row).find('\r'), std::string::npos) << "lines end in LF only";
        expectThinFrameEdge(*findCell(sheet, "A" + row), "left", 15);
        expectThinFrameEdge(*findCell(sheet, "F" + row), "bottom", 15);
        EXPECT_EQ(cellText(sheet, "A" + std::to_string(title + 3)), "") << "the empty row";
    }
    EXPECT_EQ(cellText(sheet, "D5"),
              "INSERT INTO Table3 (col2, col2, col3)\n"
              "SELECT [Table1].[col2], [Table2].[col2], [Table2].[col3]\n"
              "FROM Table3, Table1 INNER JOIN Table2 ON [Table1].[col1]=[Table2].[col1];");
    EXPECT_EQ(cellText(sheet, "E5"), "Table3\nTable1\nTable2");
    EXPECT_EQ(cellText(sheet, "A39"), "");

    const auto& e = h.progress.events;
    const auto phase = std::find(e.begin(), e.end(), kQueryPhase);
    ASSERT_NE(phase, e.end());
    EXPECT_EQ(*(phase - 1), "Max 9");
    EXPECT_EQ(std::count(phase, e.end(), "Counter ( 9 / 9 )"), 1);
    EXPECT_EQ(std::count(phase, e.end(), "Item UpdateQuery"), 1);
    EXPECT_EQ(e.back(), "Unload");
}

TEST(QuerySheet, ADatabaseWithoutQueriesGetsTheTitleAloneAndTheBarAtOne) {
    CatalogHarness h;
    catalog::CatalogInputs inputs = h.inputsFor("empty_rel.mdb");
    inputs.queryTitle = "Q";
    ASSERT_TRUE(h.run(inputs));
    const json sheet = h.sheet(3);
    EXPECT_EQ(cellText(sheet, "A1"), "Q");
    EXPECT_EQ(findCell(sheet, "A3"), nullptr);
    const auto& e = h.progress.events;
    const auto phase = std::find(e.begin(), e.end(), kQueryPhase);
    ASSERT_NE(phase, e.end());
    EXPECT_EQ(*(phase - 1), "Max 1");
    EXPECT_EQ(std::vector<std::string>(phase + 1, e.end()),
              (std::vector<std::string>{"Item ", "Counter ( 0 / 0 )", "Value 0", "Refresh", "Unload"}));
}

// The run on a template without the query sheet (the shipped templates as
// they were before it) against the run on the shipped ones: the same table
// and relationship sheets cell for cell, each read by its format's outside
// reader, and the same progress up to where the query phase would start.
TEST(QuerySheet, ATemplateWithoutTheQuerySheetGivesTheTwoSheetWorkbookCellForCell) {
    for (const char* extension : {".xls", ".xlsx"}) {
        SCOPED_TRACE(extension);
        CatalogHarness shipped, older;
        std::filesystem::copy_file(fixturePath(std::string("template_two_sheets") + extension),
                                   older.programFolder() + "/Template" + extension,
                                   std::filesystem::copy_options::overwrite_existing);
        catalog::CatalogInputs inputs = shipped.inputsFor("queryTestV1997.mdb");
        inputs.tableTitle = "T";
        inputs.relationTitle = "R";
        const std::string name = std::string("仕様書") + extension;
        ASSERT_TRUE(shipped.runTo((shipped.dir / name).string(), inputs));
        ASSERT_TRUE(older.runTo((older.dir / name).string(), inputs));

        const bool xlsx = std::string(extension) == ".xlsx";
        auto dump = [&](const CatalogHarness& h) {
            const std::string path = (h.dir / name).string();
            return xlsx ? xlsxdumpJson(path) : xlsdumpJson(path);
        };
        const json withQueries = dump(shipped), without = dump(older);
        ASSERT_EQ(withQueries["sheets"].size(), 3u);
        ASSERT_EQ(without["sheets"].size(), 2u);
        for (int sheet = 0; sheet < 2; ++sheet) {
            EXPECT_FALSE(without["sheets"][sheet]["cells"].empty());
            EXPECT_EQ(without["sheets"][sheet], withQueries["sheets"][sheet]) << "sheet " << sheet + 1;
        }

        const auto& all = shipped.progress.events;
        const auto& two = older.progress.events;
        EXPECT_EQ(std::find(two.begin(), two.end(), kQueryPhase), two.end());
        const auto phase = std::find(all.begin(), all.end(), kQueryPhase);
        ASSERT_NE(phase, all.end());
        std::vector<std::string> before(all.begin(), phase - 1);
        before.push_back("Unload");
        EXPECT_EQ(two, before);
    }
}

TEST(QuerySheet, SqlCellTextEndsLinesInLfAndIsCutToTheCellLimitWithAMark) {
    EXPECT_EQ(catalog::querySqlCellText("SELECT *\r\nFROM t\rWHERE a\n;"), "SELECT *\nFROM t\nWHERE a\n;");

    const std::string mark = catalog::kCutTextMark;
    const std::string exact(catalog::kMaxCellCharacters, 'x');
    EXPECT_EQ(catalog::querySqlCellText(exact), exact);

    // A character outside the basic plane counts twice, as the cell counts
    // it, and is never split: after one plain character the last pair no
    // longer fits and the text ends one unit short of the limit.
    const size_t markUnits = 7;
    std::string wide;
    for (int i = 0; i < 20000; ++i) wide += "\xF0\x9F\x98\x80";
    for (const std::string& prefix : {std::string(), std::string("a")}) {
        const std::string cut = catalog::querySqlCellText(prefix + wide);
        ASSERT_GE(cut.size(), mark.size());
        EXPECT_EQ(cut.substr(cut.size() - mark.size()), mark);
        const std::string kept = cut.substr(prefix.size(), cut.size() - mark.size() - prefix.size());
        EXPECT_EQ(kept.size() % 4, 0u);
        EXPECT_EQ(prefix.size() + kept.size() / 4 * 2 + markUnits,
                  catalog::kMaxCellCharacters - prefix.size());
    }
}

TEST(QuerySheet, KindsWithoutAnItemNameShowTheirCode) {
    catalog::ItemNames names;
    names.set(catalog::Item::cqUnion, "和");
    EXPECT_EQ(catalog::queryKindCaption(catalog::dbQSetOperation, names), "和");
    EXPECT_EQ(catalog::queryKindCaption(144, names), "144");
}

}  // namespace
}  // namespace speclore::test
