// DAO's view of the catalog kept in a snapshot: the TableDefs collection
// with each table's attribute word, fields and indexes, as DAO 3.6 reports
// them for the same file.
#pragma once

#include <vector>

#include "catalog/DatabaseEngine.h"
#include "jet/Snapshot.h"

namespace speclore::jet {

// MSysObjects.Type of the rows that are table definitions.
inline constexpr int32_t kLocalTable = 1;
inline constexpr int32_t kOdbcLinkedTable = 4;
inline constexpr int32_t kLinkedTable = 6;

bool isTableDefinition(int32_t type);

// TableDef.Attributes from an MSysObjects row's Type and Flags.
int32_t daoTableAttributes(int32_t type, int32_t flags);

// Positions in snapshot.objects as the name index lists them, or, without
// one, by name without regard to case (ties in stored order): the order of
// DAO's collections.
std::vector<uint32_t> catalogOrder(const Snapshot& snapshot);

// Fills `field`, made in place in its TableDef, as DAO describes the
// column, taking the column's name and description over.
// `databaseSortOrder` is the header's sort order, which stands in where a
// column keeps none of its own.
void describeDaoField(catalog::Field& field, RawColumn& column, SnapshotFormat format,
                      uint16_t databaseSortOrder);

// The TableDefs of every Type 1, 4 and 6 row, made one object at a time
// while the snapshot is still being decoded, then put in the order of the
// catalog's name index as DAO walks it (by name without regard to case
// when the snapshot has no such order). Linked tables have no fields here.
class DaoTableDefs {
public:
    // Makes the TableDef of a table's row from the snapshot so far (its
    // format and sort order), taking the object's table definition and
    // description over; the name stays for the catalog's order.
    void take(const Snapshot& soFar, uint32_t position, CatalogObject& object);
    // Every TableDef made, once the snapshot is whole.
    std::vector<catalog::TableDef> inCatalogOrder(const Snapshot& snapshot) &&;

private:
    std::vector<catalog::TableDef> tables_;
    // The position in the snapshot of each of tables_.
    std::vector<uint32_t> positions_;
};

}  // namespace speclore::jet
