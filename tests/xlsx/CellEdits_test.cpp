// What the engine's calls do to single cells: values keep the format,
// a format call changes one attribute, equal formats are shared, the
// sheet's limits, text that XML cannot carry as it stands.
#include <gtest/gtest.h>

#include <string>

#include "XlsxTestSupport.h"
#include "app/AppError.h"
#include "support/Xlsxdump.h"
#include "xlsx/CellReference.h"
#include "xlsx/SheetPart.h"
#include "xlsx/WorkbookPackage.h"

namespace speclore::test {
namespace {

void expectError1004(const std::function<void()>& call, const std::string& what) {
    try {
        call();
        ADD_FAILURE() << what << " was accepted";
    } catch (const AppError& error) {
        EXPECT_EQ(error.number(), err::ApplicationDefined) << what;
    }
}

TEST(XlsxCellEdits, AddressesReachTheLastRowAndColumnOnly) {
    EXPECT_EQ(xlsx::formatCellReference(xlsx::parseCellReference("$xfd$1048576")), "XFD1048576");
    EXPECT_EQ(xlsx::formatCellReference(xlsx::parseCellReference("AA10")), "AA10");
    for (const char* bad : {"XFE1", "A1048577", "A0", "1A", "A", "AAAA1", "A12345678", "", "A1:B2"})
        expectError1004([&] { xlsx::parseCellReference(bad); }, bad);
}

TEST(XlsxCellEdits, ValuesKeepFormatsAndFormatsChangeOneAttribute) {
    TempDir dir("speclore-xlsx-cells");
    const std::string path = copyTemplate(dir, "cells.xlsx");
    editWorkbook(path, [](catalog::XlWorkbook& workbook) {
        catalog::XlWorksheet& sheet = workbook.Sheets(1);
        auto b3 = sheet.Range("B3", "B3");
        b3->Interior().ColorIndex(3);  // palette entry 3, red
        b3->Borders(catalog::xlEdgeTop).LineStyle(catalog::xlContinuous);
        b3->Font().Bold(true);
        b3->HorizontalAlignment(-4152);  // right
        b3->VerticalAlignment(-4160);    // top
        b3->WrapText(true);
        sheet.SetValue("B3", "値");
        auto c3 = sheet.Range("C3", "C3");
        c3->Borders(catalog::xlEdgeBottom).Weight(-4138);  // a missing line given a weight is drawn
        c3->Interior().Pattern(17);                        // 12.5% grey keeps no colour of its own
        sheet.SetValue("A1", "題名");                      // the template's title format stays
        sheet.SetValue("A2", "");                          // clears the note, keeps its format
        sheet.SetValue("D1048576", 7);
        sheet.SetValue("XFD3", "端");
        sheet.SetValue("E3", "a < b & c > d");
        sheet.SetValue("F3", "  前後に空白  ");
        expectError1004([&] { sheet.SetValue("A5", std::string(32768, 'x')); }, "32768 characters");
        expectError1004([&] { sheet.Range("A1", "B2")->Borders(13); }, "Borders(13)");
        expectError1004([&] { sheet.Range("A1", "B2")->Interior().ColorIndex(57); }, "ColorIndex 57");
        expectError1004([&] { sheet.Range("A1", "B2")->HorizontalAlignment(99); }, "alignment 99");
    });
    const nlohmann::json book = xlsxdumpJson(path);
    const nlohmann::json& sheet = book["sheets"][0];
    const nlohmann::json b3 = xlsxCell(sheet, "B3");
    EXPECT_EQ(b3["value"], "値");
    EXPECT_EQ(b3["format"]["fill"]["pattern"], "solid");
    EXPECT_EQ(b3["format"]["fill"]["fore_colorindex"], 3);
    EXPECT_EQ(b3["format"]["borders"]["top"]["style"], "thin");
    EXPECT_EQ(b3["format"]["borders"]["top"]["colorindex"], -4105);
    EXPECT_TRUE(b3["format"]["font"]["bold"]);
    EXPECT_EQ(b3["format"]["font"]["name"], "ＭＳ Ｐゴシック");
    EXPECT_EQ(b3["format"]["font"]["size"], 11.0);
    EXPECT_EQ(b3["format"]["horizontal"], "right");
    EXPECT_EQ(b3["format"]["vertical"], "top");
    EXPECT_TRUE(b3["format"]["wrap"]);
    const nlohmann::json c3 = xlsxCell(sheet, "C3");
    EXPECT_EQ(c3["format"]["borders"]["bottom"]["style"], "medium");
    EXPECT_EQ(c3["format"]["fill"]["pattern"], "gray125");
    EXPECT_EQ(c3["format"]["fill"]["back_colorindex"], -4105);
    const nlohmann::json a1 = xlsxCell(sheet, "A1");
    EXPECT_EQ(a1["value"], "題名");
    EXPECT_TRUE(a1["format"]["font"]["bold"]);
    EXPECT_EQ(a1["format"]["font"]["size"], 16.0);
    const nlohmann::json a2 = xlsxCell(sheet, "A2");
    EXPECT_EQ(a2["type"], "empty");
    EXPECT_EQ(a2["format"]["font"]["size"], 9.0);
    EXPECT_EQ(xlsxCell(sheet, "D1048576")["value"], 7);
    EXPECT_EQ(xlsxCell(sheet, "XFD3")["value"], "端");
    EXPECT_EQ(xlsxCell(sheet, "E3")["value"], "a < b & c > d");
    EXPECT_EQ(xlsxCell(sheet, "F3")["value"], "  前後に空白  ");
    EXPECT_EQ(sheet["dimension"], "A1:XFD1048576");
}

TEST(XlsxCellEdits, RowAndColumnFormatsAreInheritedAndEqualFormatsShared) {
    TempDir dir("speclore-xlsx-shared");
    const std::string rich = (dir / "rich.xlsx").string();
    const ProcessResult made = makePackages({"rich", rich});
    if (made.exitCode == 3) SPECLORE_MISSING_TOOL("python3-openpyxl is not installed: " + made.err);
    ASSERT_EQ(made.exitCode, 0) << made.err;

    xlsx::WorkbookPackage package = xlsx::WorkbookPackage::open(rich);
    xlsx::SheetPart& sheet = package.worksheet(1);
    const size_t formatsBefore = package.styles().cellFormatCount();
    const uint32_t columnG = sheet.cellFormat(xlsx::parseCellReference("G5"));
    const uint32_t row30 = sheet.cellFormat(xlsx::parseCellReference("B30"));
    EXPECT_NE(columnG, 0u);
    EXPECT_NE(row30, 0u);
    sheet.setText(xlsx::parseCellReference("G5"), "列の書式");
    sheet.setNumber(xlsx::parseCellReference("B30"), 30);
    EXPECT_EQ(sheet.cellFormat(xlsx::parseCellReference("G5")), columnG);
    EXPECT_EQ(sheet.cellFormat(xlsx::parseCellReference("B30")), row30);

    // A thousand cells given the same changes share one format per result.
    const workbook::FormatChange bold{workbook::FormatOp::Bold, 0, 1};
    const workbook::FormatChange fill{workbook::FormatOp::FillColor, 0, 22};
    for (uint32_t row = 100; row < 1100; ++row) {
        const xlsx::CellReference cell{row, 0};
        sheet.setFormat(cell, package.styles().apply(sheet.cellFormat(cell), bold));
        sheet.setFormat(cell, package.styles().apply(sheet.cellFormat(cell), fill));
    }
    EXPECT_EQ(package.styles().cellFormatCount(), formatsBefore + 2);
    EXPECT_EQ(sheet.cellFormat({100, 0}), sheet.cellFormat({1099, 0}));
}

std::string partText(const xlsx::SheetPart& sheet) {
    std::string text;
    sheet.write([&](std::string_view piece) { text += piece; });
    return text;
}

// Ranges read and set formats a row at a time; the sheet must come out as
// from the same formats given cell by cell, over cells that exist or not,
// rows with and without a format of their own, and column styles.
TEST(XlsxCellEdits, FormatsByRowMatchFormatsByCell) {
    const std::string part =
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<dimension ref=\"B2:E3\"/><cols><col min=\"3\" max=\"4\" style=\"5\"/></cols><sheetData>"
        "<row r=\"2\" s=\"7\" customFormat=\"1\"><c r=\"B2\" s=\"2\"><v>1</v></c><c r=\"E2\"/></row>"
        "<row r=\"3\"><c r=\"A3\" s=\"3\" t=\"s\"><v>0</v></c><c r=\"D3\" s=\"4\"/></row>"
        "</sheetData></worksheet>";
    xlsx::SheetPart byRow(part, "sheet1.xml"), byCell(part, "sheet1.xml");
    constexpr uint32_t kWidth = 6;
    for (uint32_t row = 0; row < 5; ++row) {
        uint32_t shown[kWidth], wanted[kWidth];
        byRow.rowFormats({row, 0}, shown);
        for (uint32_t column = 0; column < kWidth; ++column) {
            EXPECT_EQ(shown[column], byCell.cellFormat({row, column})) << row << ":" << column;
            // Some cells kept, some given the format they show, some a new one.
            wanted[column] = (row + column) % 3 == 2   ? xlsx::SheetPart::kKeepXf
                             : (row * column) % 2 == 0 ? shown[column]
                                                       : 10 + row + column;
            if (wanted[column] != xlsx::SheetPart::kKeepXf) byCell.setFormat({row, column}, wanted[column]);
        }
        byRow.setRowFormats({row, 0}, wanted);
    }
    EXPECT_EQ(partText(byRow), partText(byCell));
    EXPECT_EQ(byRow.changed(), byCell.changed());
    for (uint32_t row = 0; row < 5; ++row)
        for (uint32_t column = 0; column < kWidth; ++column)
            EXPECT_EQ(byRow.cellFormat({row, column}), byCell.cellFormat({row, column}))
                << row << ":" << column;
}

// Formats made in one call save the same package as the setters one by
// one, for ranges given by plain cells and by cells that take the way of an
// address (a lower-case column).
TEST(XlsxCellEdits, FormatRangeSavesAsTheSettersOneByOne) {
    using catalog::XlSetter;
    const catalog::XlSetting settings[] = {
        {XlSetter::HorizontalAlignment, catalog::xlCenter},
        {XlSetter::BorderLineStyle, catalog::xlContinuous, catalog::xlEdgeLeft},
        {XlSetter::BorderColorIndex, 15, catalog::xlInsideHorizontal},
        {XlSetter::BorderWeight, -4138, catalog::xlInsideVertical},
        {XlSetter::InteriorColorIndex, 15},
        {XlSetter::InteriorPattern, catalog::xlSolid},
        {XlSetter::FontBold, 1},
    };
    const std::pair<catalog::SheetCell, catalog::SheetCell> ranges[] = {
        {{'A', 3}, {'F', 9}}, {{'B', 2}, {'B', 2}}, {{'c', 5}, {'d', 12}}};
    TempDir dir("speclore-xlsx-format-range");
    std::string saved[2];
    for (int batched = 0; batched < 2; ++batched) {
        const std::string path = copyTemplate(dir, batched ? "batched.xlsx" : "one_by_one.xlsx");
        editWorkbook(path, [&](catalog::XlWorkbook& workbook) {
            catalog::XlWorksheet& sheet = workbook.Sheets(1);
            sheet.SetValue("C4", "値");
            sheet.Range("A6", "B6")->Font().Bold(true);
            for (const auto& [first, last] : ranges) {
                if (batched) {
                    sheet.FormatRange(first, last, settings);
                    continue;
                }
                const std::string from = std::string(1, first.column) + std::to_string(first.row);
                const std::string to = std::string(1, last.column) + std::to_string(last.row);
                sheet.Range(from, to)->XlRange::Set(settings);
            }
        });
        saved[batched] = readText(path);
    }
    EXPECT_EQ(saved[1], saved[0]);
}

}  // namespace
}  // namespace speclore::test
