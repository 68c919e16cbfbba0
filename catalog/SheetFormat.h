// Cell addresses and the formatting that both specification sheets share:
// the grey heading row and the thin frame around the rows below it.
#pragma once

#include <cstdint>
#include <string>

#include "catalog/Spreadsheet.h"

namespace speclore::catalog {

// "A3" for column 'A', row 3.
std::string CellAddress(char column, int32_t row);

// Heading row from column A to lastColumn: centred, every edge and inside
// vertical border thin in the automatic colour, solid grey interior.
void FormatHeadingRow(XlWorksheet& sheet, int32_t row, char lastColumn);

// Frame of the rows first..last from column A to lastColumn: left, bottom,
// right and inside vertical borders, and inside horizontal ones when there
// are two rows or more; nothing when there are no rows.
void FrameRows(XlWorksheet& sheet, int32_t first, int32_t last, char lastColumn);

}  // namespace speclore::catalog
