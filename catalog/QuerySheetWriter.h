// The query sheet of the specification workbook, written only where the
// template holds a worksheet of that name: one block per saved query, from
// row 3 down, each a title row, a heading row, the query's row and an
// empty row.
#pragma once

#include <string>
#include <vector>

#include "catalog/DatabaseEngine.h"
#include "catalog/ItemNames.h"
#include "catalog/RunProgress.h"
#include "catalog/Spreadsheet.h"

namespace speclore::catalog {

inline constexpr const char* kQuerySheetName = "クエリ仕様書";
inline constexpr int32_t kFirstQueryBlockRow = 3;

// The most characters a cell holds; a longer SQL text is cut to end in
// kCutTextMark within that limit.
inline constexpr size_t kMaxCellCharacters = 32767;
inline constexpr const char* kCutTextMark = "…(以下省略)";

// The caption of a QueryDef.Type: its item name, or the code itself in
// decimal for a kind the item names do not list.
std::string queryKindCaption(int32_t type, const ItemNames& names);

// The SQL text as a cell shows it: line ends as the single LF that a cell
// breaks lines at, and no more than kMaxCellCharacters characters (counted
// as the cell counts them, in UTF-16 units).
std::string querySqlCellText(const std::string& sql);

// Writes a block for each query, in the order given, with one progress
// step per query.
void writeQuerySheet(XlWorksheet& sheet, const std::vector<QueryDef>& queries, const ItemNames& names,
                     RunProgress& progress);

}  // namespace speclore::catalog
