// The order of MSysObjects' ParentIdName index: every object under its
// parent, by name in the engine's own collation. The leaf pages keep that
// order whatever sort order the database was made with (General, legacy
// General or a language's own), so walking them gives the order the engine
// lists its table definitions in without knowing the collation.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/reader/MdbHeader.h"
#include "jet/reader/SystemTables.h"

namespace speclore::jet::reader {

// Positions in `catalog` in the order of the index. Empty when the index
// cannot be walked or does not name every row exactly once (a damaged
// file), so that the engine falls back to an order of its own.
std::vector<uint32_t> nameIndexOrder(MdbHandle* mdb, const std::vector<CatalogRow>& catalog);

}  // namespace speclore::jet::reader
