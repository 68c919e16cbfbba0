// Worksheet 2 of the specification workbook: the relationships stored in
// MSysRelationships whose referencing table is a visible local table, one
// row per column pair, under a heading in row 4.
#pragma once

#include <memory>
#include <string>

#include "catalog/DatabaseEngine.h"
#include "catalog/ItemNames.h"
#include "catalog/RunProgress.h"
#include "catalog/Spreadsheet.h"

namespace speclore::catalog {

// The two statements, sent to the engine exactly as they stand.
inline constexpr const char* kRelationCountSql =
    "SELECT Count(*) AS 件数 FROM MSysRelationships INNER JOIN MSysObjects ON "
    "MSysRelationships.szObject = MSysObjects.Name WHERE (((MSysObjects.Type)=1) AND "
    "((MSysObjects.Flags)=0));";
inline constexpr const char* kRelationRowsSql =
    "SELECT szObject, szColumn, szReferencedObject, szReferencedColumn, grbit FROM "
    "MSysRelationships INNER JOIN MSysObjects ON MSysRelationships.szObject = MSysObjects.Name "
    "WHERE (((MSysObjects.Type)=1) AND ((MSysObjects.Flags)=0)) ORDER BY szObject, icolumn;";

inline constexpr int32_t kRelationHeadingRow = 4;

// The number of relationship rows the count statement gives (0 when its
// result is empty).
int32_t countRelationRows(Database& database);

// Writes the heading row and one row per result row of the row statement,
// with one progress step each. Gives back the row result set, still open:
// the run closes it when it closes the database.
std::unique_ptr<Recordset> writeRelationSheet(XlWorksheet& sheet, Database& database, const ItemNames& names,
                                              RunProgress& progress);

}  // namespace speclore::catalog
