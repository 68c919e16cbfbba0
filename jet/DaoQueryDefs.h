// DAO's QueryDefs collection from a snapshot: every saved query that a
// user made, with its kind, its SQL text and its description.
#pragma once

#include <vector>

#include "catalog/DatabaseEngine.h"
#include "jet/Snapshot.h"

namespace speclore::jet {

// MSysObjects.Type of a saved query.
inline constexpr int32_t kSavedQuery = 5;

// Every Type 5 row but the temporary ones, whose names begin with "~"
// (the record sources of forms and reports among them), in the order of
// the catalog's name index, as the tables are.
std::vector<catalog::QueryDef> daoQueryDefs(const Snapshot& snapshot);

}  // namespace speclore::jet
