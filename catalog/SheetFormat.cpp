#include "catalog/SheetFormat.h"

#include <span>

namespace speclore::catalog {

namespace {

constexpr char kBlockLastColumn = 'F';
constexpr int16_t kFrameColorIndex = 15;
constexpr int16_t kHeadingInteriorColorIndex = 15;

// A thin continuous line in the colour given.
constexpr XlBorderLine thinLine(int16_t index, int16_t colorIndex) {
    return {index, xlContinuous, xlThin, colorIndex};
}

}  // namespace

std::string a1Address(char column, int32_t row) { return std::string(1, column) + std::to_string(row); }

void writeBlockTitleRow(XlWorksheet& sheet, int32_t row, const std::string& name,
                        const std::string& description) {
    auto range = sheet.Range(a1Address('A', row), a1Address(kBlockLastColumn, row));
    range->HorizontalAlignment(xlGeneral);
    range->VerticalAlignment(xlBottom);
    range->WrapText(false);
    sheet.SetCellValue({'A', row}, name);
    sheet.SetCellValue({kBlockLastColumn, row}, description);
}

void writeBlockHeadingRow(XlWorksheet& sheet, int32_t row, const ItemNames& names,
                          const std::array<Item, 6>& headings) {
    char column = 'A';
    for (Item heading : headings) sheet.SetCellValue({column++, row}, names[heading]);
    formatHeadingRow(sheet, row, kBlockLastColumn);
}

void formatHeadingRow(XlWorksheet& sheet, int32_t row, char lastColumn) {
    auto range = sheet.Range(a1Address('A', row), a1Address(lastColumn, row));
    range->HorizontalAlignment(xlCenter);
    const XlBorderLine lines[] = {
        thinLine(xlEdgeLeft, xlColorIndexAutomatic),       thinLine(xlEdgeTop, xlColorIndexAutomatic),
        thinLine(xlEdgeBottom, xlColorIndexAutomatic),     thinLine(xlEdgeRight, xlColorIndexAutomatic),
        thinLine(xlInsideVertical, xlColorIndexAutomatic),
    };
    range->SetBorders(lines);
    XlInterior& interior = range->Interior();
    interior.ColorIndex(kHeadingInteriorColorIndex);
    interior.Pattern(xlSolid);
    interior.PatternColorIndex(xlAutomatic);
}

void frameRows(XlWorksheet& sheet, int32_t first, int32_t last, char lastColumn) {
    if (first > last) return;
    auto range = sheet.Range(a1Address('A', first), a1Address(lastColumn, last));
    const XlBorderLine lines[] = {
        thinLine(xlEdgeLeft, kFrameColorIndex),         thinLine(xlEdgeBottom, kFrameColorIndex),
        thinLine(xlEdgeRight, kFrameColorIndex),        thinLine(xlInsideVertical, kFrameColorIndex),
        thinLine(xlInsideHorizontal, kFrameColorIndex),
    };
    // A single row has no inside horizontal line to draw.
    range->SetBorders(std::span(lines).first(first < last ? 5 : 4));
}

}  // namespace speclore::catalog
