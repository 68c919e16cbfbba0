// Runs a parsed SELECT over the system tables of a snapshot with Jet's
// semantics: conditions compare text without regard to case, a join keeps
// the rows of its first table in stored order, ORDER BY sorts text as
// `textOrder` has it and keeps that order among rows that tie.
#pragma once

#include <string>
#include <vector>

#include "jet/Snapshot.h"
#include "jet/SqlStatement.h"
#include "jet/TextOrder.h"

namespace speclore::jet::sql {

struct ResultSet {
    std::vector<std::string> columns;
    std::vector<std::vector<CellValue>> rows;
};

// The tables that statements may name: MSysObjects (Name, Type, Flags) and
// the row tables the snapshot holds, taken out of it.
std::vector<RowTable> queryableTables(Snapshot&& snapshot);

// Raises AppError: 3078 for an unknown table, 3061 for an unknown column,
// 3079 for a column name that more than one table has, 3000 for a
// statement that mixes Count(*) with columns.
ResultSet execute(const SelectStatement& statement, const std::vector<RowTable>& tables,
                  const TextOrder& textOrder = TextOrder());

}  // namespace speclore::jet::sql
