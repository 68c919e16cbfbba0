// The catalog run's calls on Template.xlsx, read back by readers that are
// not ours: openpyxl (through xlsxdump) and LibreOffice.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "XlsxTestSupport.h"
#include "support/LibreOffice.h"
#include "support/LibreOfficeCellLooks.h"
#include "support/Xlsxdump.h"
#include "xls/CatalogPattern.h"

namespace speclore::test {
namespace {

std::string writeCatalogXlsx(const TempDir& dir, const std::string& source = kXlsxTemplate) {
    const std::string path = copyTemplate(dir, "catalog.xlsx", source);
    editWorkbook(path, [](catalog::XlWorkbook& workbook) {
        writeTableSheet(workbook.Sheets(1), kTables);
        writeRelationSheet(workbook.Sheets(2));
    });
    return path;
}

void expectEdge(const nlohmann::json& cell, const char* edge, int colorIndex) {
    const nlohmann::json& border = cell["format"]["borders"][edge];
    EXPECT_EQ(border["style"], "thin") << cell["address"] << " " << edge;
    EXPECT_EQ(border.value("colorindex", 0), colorIndex) << cell["address"] << " " << edge;
}

void expectNoEdge(const nlohmann::json& cell, const char* edge) {
    EXPECT_EQ(cell["format"]["borders"][edge]["style"], "none") << cell["address"] << " " << edge;
}

TEST(XlsxCatalog, ValuesAndFormatsReadBackAsWritten) {
    TempDir dir("speclore-xlsx-catalog");
    const nlohmann::json book = xlsxdumpJson(writeCatalogXlsx(dir));
    const nlohmann::json& tables = book["sheets"][0];

    for (const auto& [address, value] : tableSheetValues(kTables)) {
        EXPECT_EQ(xlsxCell(tables, address).value("value", nlohmann::json()), value) << address;
    }
    // The title keeps the template's title format; a number is a number.
    const nlohmann::json a1 = xlsxCell(tables, "A1");
    EXPECT_TRUE(a1["format"]["font"]["bold"]);
    EXPECT_EQ(a1["format"]["font"]["size"], 16.0);
    EXPECT_EQ(a1["format"]["borders"]["bottom"]["style"], "medium");
    EXPECT_EQ(xlsxCell(tables, "A5")["type"], "number");

    // Heading row 4: centred, framed in automatic colour, grey solid fill.
    for (char c = 'A'; c <= 'F'; ++c) {
        const nlohmann::json cell = xlsxCell(tables, at(c, 4));
        EXPECT_EQ(cell["format"]["horizontal"], "center");
        for (const char* edge : {"left", "top", "bottom", "right"}) expectEdge(cell, edge, -4105);
        EXPECT_EQ(cell["format"]["fill"]["pattern"], "solid");
        EXPECT_EQ(cell["format"]["fill"]["fore_colorindex"], 15);
        EXPECT_EQ(cell["format"]["fill"]["back_colorindex"], -4105);
    }
    // Field rows 5 and 6: the primary key's number bold, frame in colour 15
    // with inside lines; the top edge of the first row comes from the heading
    // (the frame does not set it).
    EXPECT_TRUE(xlsxCell(tables, "A5")["format"]["font"]["bold"]);
    EXPECT_FALSE(xlsxCell(tables, "A6")["format"]["font"]["bold"]);
    EXPECT_EQ(xlsxCell(tables, "A5")["format"]["font"]["name"], "ＭＳ Ｐゴシック");
    const nlohmann::json b5 = xlsxCell(tables, "B5"), b6 = xlsxCell(tables, "B6");
    for (const char* edge : {"left", "right", "bottom"}) expectEdge(b5, edge, 15);
    expectNoEdge(b5, "top");
    for (const char* edge : {"left", "right", "top", "bottom"}) expectEdge(b6, edge, 15);
    EXPECT_EQ(b5["format"]["fill"]["pattern"], "none");
    // The one-field block has no inside horizontal line.
    const nlohmann::json a10 = xlsxCell(tables, "A10");
    expectEdge(a10, "bottom", 15);
    expectNoEdge(a10, "top");
    EXPECT_TRUE(xlsxCell(tables, "G5").empty()) << "nothing beyond column F is written";

    const nlohmann::json& relations = book["sheets"][1];
    EXPECT_EQ(xlsxCell(relations, "A1")["value"], kRelationTitle);
    EXPECT_EQ(xlsxCell(relations, "J4")["value"], kRelationHeadings[9]);
    EXPECT_EQ(xlsxCell(relations, "I6")["value"], "○");
    EXPECT_EQ(xlsxCell(relations, "A7")["value"], 3);
    expectEdge(xlsxCell(relations, "J7"), "right", 15);
    expectEdge(xlsxCell(relations, "E6"), "top", 15);
}

TEST(XlsxCatalog, EverythingElseStaysAsTheTemplateHasIt) {
    TempDir dir("speclore-xlsx-kept");
    const std::string output = writeCatalogXlsx(dir);
    const nlohmann::json before = xlsxdumpJson(kXlsxTemplate, {"--parts"})["parts"];
    const nlohmann::json after = xlsxdumpJson(output, {"--parts"})["parts"];
    const std::set<std::string> rewritten = {"xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml",
                                             "xl/styles.xml"};
    ASSERT_EQ(before.size(), after.size());
    for (const auto& [name, digest] : before.items()) {
        ASSERT_TRUE(after.contains(name)) << name;
        if (rewritten.count(name) == 0) {
            EXPECT_EQ(after[name], digest) << name << " changed";
        }
    }

    const nlohmann::json templateBook = xlsxdumpJson(kXlsxTemplate);
    const nlohmann::json book = xlsxdumpJson(output);
    for (size_t s = 0; s < 2; ++s) {
        for (const char* key : {"name", "columns", "header", "footer", "page_setup", "print_title_rows",
                                "freeze_panes", "merged"}) {
            EXPECT_EQ(book["sheets"][s][key], templateBook["sheets"][s][key]) << key;
        }
    }
    EXPECT_EQ(book["sheets"][0]["dimension"], "A1:F10");
}

TEST(XlsxCatalog, LibreOfficeReadsTheCellsAndTheirLooks) {
    if (!libreOfficeInstalled()) SPECLORE_MISSING_TOOL("soffice is not installed");
    TempDir dir("speclore-xlsx-lo");
    const std::string output = writeCatalogXlsx(dir);
    // Text that reads like an escaped character, and characters XML cannot carry.
    editWorkbook(output, [](catalog::XlWorkbook& workbook) {
        workbook.Sheets(2).SetValue("L1", "_x0041_ und\x01");
        workbook.Sheets(2).SetValue("M1", "snake_case a_x0042_");
    });
    const SheetTexts texts = readSheetsWithLibreOffice(output, dir.path());
    const auto& tables = texts.at("テーブル仕様書");
    EXPECT_EQ(tables.at(0).at(0), kTableTitle);
    EXPECT_EQ(tables.at(3).at(5), "項目説明");
    EXPECT_EQ(tables.at(5).at(5), "顧客の氏名, \"漢字\"");
    EXPECT_EQ(texts.at("リレーション仕様書").at(6).at(9), "LEFT");
    EXPECT_EQ(texts.at("リレーション仕様書").at(0).at(11), "_x0041_ und\x01");
    EXPECT_EQ(texts.at("リレーション仕様書").at(0).at(12), "snake_case a_x0042_");

    const SheetLooks looks = readCellLooksWithLibreOffice(output, dir.path());
    const CellLook& d4 = looks.at("テーブル仕様書").at("D4");
    EXPECT_EQ(d4.background, "#c0c0c0");
    EXPECT_EQ(d4.textAlign, "center");
    EXPECT_TRUE(d4.hasBorder("top") && d4.hasBorder("bottom") && d4.hasBorder("left"));
    const CellLook& a5 = looks.at("テーブル仕様書").at("A5");
    EXPECT_TRUE(a5.bold);
    EXPECT_EQ(a5.borderColour("left"), "#c0c0c0");
    EXPECT_FALSE(looks.at("テーブル仕様書").at("A6").bold);
}

}  // namespace
}  // namespace speclore::test
