// Worksheet 1 of the specification workbook: one block per selected table,
// from row 3 down, each a title row, a heading row, one row per field and
// an empty row.
#pragma once

#include <vector>

#include "catalog/CatalogInputs.h"
#include "catalog/DatabaseEngine.h"
#include "catalog/ItemNames.h"
#include "catalog/RunProgress.h"
#include "catalog/Spreadsheet.h"

namespace speclore::catalog {

// The first row of the first table block.
inline constexpr int32_t kFirstTableBlockRow = 3;

// Writes a block for each selected item of `tables`, top to bottom, with
// one progress step per table. A table missing from the database raises.
void writeTableSheet(XlWorksheet& sheet, const Database& database, const std::vector<TableListItem>& tables,
                     const ItemNames& names, RunProgress& progress);

}  // namespace speclore::catalog
