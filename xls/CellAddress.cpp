#include "xls/CellAddress.h"

#include "workbook/A1Notation.h"
#include "workbook/WorkbookError.h"

namespace speclore::xls {

namespace {

// The one limit a large catalog meets: say which, and what holds more.
[[noreturn]] void throwBeyondLastRow(int64_t row) {
    workbook::throwInvalidArgument(
        "行 " + std::to_string(row) +
        " は .xls のワークシートの最終行 65536 を超えています。.xlsx で出力してください");
}

}  // namespace

CellAddress parseCellAddress(std::string_view text) {
    // "IV65536": two letters and five digits at the most.
    std::optional<workbook::A1Parts> cell = workbook::splitA1(text, 2, 5);
    if (!cell || cell->column > kMaxColumns)
        workbook::throwInvalidArgument("セル番地 '" + std::string(text) + "' は不正です");
    if (cell->row > kMaxRows) throwBeyondLastRow(cell->row);
    return {static_cast<uint16_t>(cell->row - 1), static_cast<uint16_t>(cell->column - 1)};
}

void throwNoCellAt(int64_t row, int64_t column) {
    if (row < 1 || column < 1 || column > kMaxColumns)
        workbook::throwInvalidArgument("セル (" + std::to_string(row) + ", " + std::to_string(column) +
                                       ") は不正です");
    throwBeyondLastRow(row);
}

std::string formatCellAddress(CellAddress cell) { return workbook::formatA1(cell.row, cell.column); }

}  // namespace speclore::xls
