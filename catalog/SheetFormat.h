// Cell addresses and what the specification sheets share: the title and
// heading rows of a block, the grey heading format and the thin frame
// around the rows below it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "catalog/ItemNames.h"
#include "catalog/Spreadsheet.h"

namespace speclore::catalog {

// "A3" for column 'A', row 3.
std::string a1Address(char column, int32_t row);

// Title row of a table's or a query's block, columns A to F: general
// alignment at the bottom, unwrapped, the name in A and the description in F.
void writeBlockTitleRow(XlWorksheet& sheet, int32_t row, const std::string& name,
                        const std::string& description);

// Heading row of such a block: the six captions in A to F, formatted as a
// heading row.
void writeBlockHeadingRow(XlWorksheet& sheet, int32_t row, const ItemNames& names,
                          const std::array<Item, 6>& headings);

// Heading row from column A to lastColumn: centred, every edge and inside
// vertical border thin in the automatic colour, solid grey interior.
void formatHeadingRow(XlWorksheet& sheet, int32_t row, char lastColumn);

// Frame of the rows first..last from column A to lastColumn: left, bottom,
// right and inside vertical borders, and inside horizontal ones when there
// are two rows or more; nothing when there are no rows.
void frameRows(XlWorksheet& sheet, int32_t first, int32_t last, char lastColumn);

// The cell's text in bold.
void boldCell(XlWorksheet& sheet, SheetCell cell);

}  // namespace speclore::catalog
