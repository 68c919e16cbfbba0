#include "catalog/SheetFormat.h"

#include <initializer_list>

namespace speclore::catalog {

namespace {

constexpr int16_t kFrameColorIndex = 15;
constexpr int16_t kHeadingInteriorColorIndex = 15;

void setBorders(XlRange& range, std::initializer_list<int16_t> indexes, int16_t colorIndex) {
    for (int16_t index : indexes) {
        XlBorder& border = range.Borders(index);
        border.LineStyle(xlContinuous);
        border.Weight(xlThin);
        border.ColorIndex(colorIndex);
    }
}

}  // namespace

std::string CellAddress(char column, int32_t row) { return std::string(1, column) + std::to_string(row); }

void FormatHeadingRow(XlWorksheet& sheet, int32_t row, char lastColumn) {
    auto range = sheet.Range(CellAddress('A', row), CellAddress(lastColumn, row));
    range->HorizontalAlignment(xlCenter);
    setBorders(*range, {xlEdgeLeft, xlEdgeTop, xlEdgeBottom, xlEdgeRight, xlInsideVertical},
               xlColorIndexAutomatic);
    XlInterior& interior = range->Interior();
    interior.ColorIndex(kHeadingInteriorColorIndex);
    interior.Pattern(xlSolid);
    interior.PatternColorIndex(xlAutomatic);
}

void FrameRows(XlWorksheet& sheet, int32_t first, int32_t last, char lastColumn) {
    if (first > last) return;
    auto range = sheet.Range(CellAddress('A', first), CellAddress(lastColumn, last));
    setBorders(*range, {xlEdgeLeft, xlEdgeBottom, xlEdgeRight, xlInsideVertical}, kFrameColorIndex);
    if (first < last) setBorders(*range, {xlInsideHorizontal}, kFrameColorIndex);
}

}  // namespace speclore::catalog
