// The rows of MSysQueries, from which the engine rebuilds each saved
// query's SQL text.
#pragma once

#include <vector>

#include "jet/Snapshot.h"
#include "jet/reader/MdbHeader.h"
#include "jet/reader/SystemTables.h"

namespace speclore::jet::reader {

// Adds MSysQueries to the row tables. A database without it
// (none of its queries was ever saved) gets none; a damaged one gets none
// either, so that its tables can still be documented, and the engine
// reports every query's definition as unreadable.
void addSavedQueryRows(MdbHandle* mdb, const std::vector<CatalogRow>& catalog,
                       std::vector<RowTable>& rowTables);

}  // namespace speclore::jet::reader
