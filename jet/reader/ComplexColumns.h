// ACE's complex columns (attachments, multi-valued fields, the version
// history of append-only memos): MSysComplexColumns ties each column's
// complex id to the MSysObjects row of its type table, whose name tells the
// kind ("MSysComplexType_Attachment", "MSysComplexType_Long", ...).
#pragma once

#include <vector>

#include "jet/reader/MdbHeader.h"
#include "jet/reader/SystemTables.h"
#include "jet/reader/TableDefinition.h"

namespace speclore::jet::reader {

// The type table's name by complex id; empty for a database without
// MSysComplexColumns (Jet 3 and Jet 4). Raises UnreadableDatabase.
ComplexTypeTables readComplexTypeTables(MdbHandle* mdb, const std::vector<CatalogRow>& catalog);

}  // namespace speclore::jet::reader
