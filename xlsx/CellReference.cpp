#include "xlsx/CellReference.h"

#include "workbook/A1Notation.h"
#include "workbook/WorkbookError.h"

namespace speclore::xlsx {

std::optional<CellReference> readCellReference(std::string_view text) {
    // "XFD1048576": three letters and seven digits at the most.
    std::optional<workbook::A1Parts> cell = workbook::splitA1(text, 3, 7);
    if (!cell || cell->column > kMaxColumns || cell->row > kMaxRows) return std::nullopt;
    return CellReference{cell->row - 1, cell->column - 1};
}

CellReference parseCellReference(std::string_view text) {
    std::optional<CellReference> cell = readCellReference(text);
    if (!cell) workbook::throwInvalidArgument("セル番地 '" + std::string(text) + "' は不正です");
    return *cell;
}

std::string formatCellReference(CellReference cell) { return workbook::formatA1(cell.row, cell.column); }

}  // namespace speclore::xlsx
