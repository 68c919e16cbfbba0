// Reading the rows of system tables through libmdb: MSysObjects with the
// descriptions kept in its LvProp column, and any other table as a
// RowTable of text and integer cells.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "jet/Snapshot.h"
#include "jet/reader/MdbHeader.h"
#include "jet/reader/PropertyBlob.h"
#include "jet/reader/ReaderError.h"

namespace speclore::jet::reader {

// Where a row is stored, as index entries point at it: its data page and
// its slot on that page.
struct RowLocation {
    uint32_t page = 0;
    uint16_t row = 0;
};

// One MSysObjects row: the object as the snapshot keeps it (without its
// table definition), where its definition starts, where the row itself
// lies, and the descriptions of its columns by column name.
struct CatalogRow {
    CatalogObject object;
    uint32_t definitionPage = 0;
    RowLocation location;
    ColumnProperties columnProperties;
};

// Every MSysObjects row in stored order. Raises UnreadableDatabase.
std::vector<CatalogRow> readCatalog(MdbHandle* mdb);

// All rows of the Type 1 table `name`, or nothing when the catalog has no
// such table. Raises UnreadableDatabase.
std::optional<RowTable> readRowTable(MdbHandle* mdb, const std::vector<CatalogRow>& catalog,
                                     const std::string& name);

}  // namespace speclore::jet::reader
