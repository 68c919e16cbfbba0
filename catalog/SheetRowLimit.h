// The rows the two specification sheets need, known from the table
// definitions and the relationship count before anything is written: a
// catalog that the workbook's worksheets cannot hold is refused before the
// template is copied, rather than failing halfway through a sheet.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/CatalogInputs.h"
#include "catalog/DatabaseEngine.h"
#include "catalog/WorkbookFormat.h"

namespace speclore::catalog {

// The last row the table sheet writes (its title row 1 when nothing is
// selected). A listed table that is missing is passed over here: the sheet
// writer reports it at its turn.
int64_t tableSheetLastRow(const Database& database, const std::vector<TableListItem>& tables);

// The last row the relationship sheet writes for `relationRows` rows.
int64_t relationSheetLastRow(int32_t relationRows);

// Raises 1004 naming the sheet, the rows it needs and `maxRows` when either
// sheet needs more; suggests an .xlsx output unless the output is one.
void refuseRowsBeyondSheet(int64_t tableSheetLastRow, int64_t relationSheetLastRow, int32_t maxRows,
                           WorkbookFormat format);

}  // namespace speclore::catalog
