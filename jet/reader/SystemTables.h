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
#include "jet/reader/ReaderError.h"

namespace speclore::jet::reader {

// One MSysObjects row: the object as the snapshot keeps it (without its
// table definition), where its definition starts, and the descriptions of
// its columns by column name.
struct CatalogRow {
    CatalogObject object;
    uint32_t definitionPage = 0;
    std::map<std::string, std::string> columnDescriptions;
};

// Every MSysObjects row in stored order. Raises UnreadableDatabase.
std::vector<CatalogRow> readCatalog(MdbHandle* mdb);

// All rows of the Type 1 table `name`, or nothing when the catalog has no
// such table. Raises UnreadableDatabase.
std::optional<RowTable> readRowTable(MdbHandle* mdb, const std::vector<CatalogRow>& catalog,
                                     const std::string& name);

}  // namespace speclore::jet::reader
