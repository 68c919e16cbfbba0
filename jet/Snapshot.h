// What the reader executable learns from a database file, as the engine
// keeps it: every MSysObjects row, the raw table definitions of the local
// tables, and the rows of the system tables that SQL statements may name.
// The engine answers every DAO operation from this, never from the file.
//
// Public entry points for other parts of the engine and for tests:
//   encodeSnapshot(snapshot)  -> bytes, as the reader writes them;
//   decodeSnapshot(bytes)     -> snapshot, raising MalformedSnapshot on any
//                                byte sequence that is not a whole, valid one;
//   decodeSnapshot(source)    -> the same, decoding while the bytes arrive.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace speclore::jet {

enum class SnapshotFormat : uint8_t { Jet3 = 0, Jet4 = 1, Ace = 2 };

// A column entry of a table definition, as stored.
struct RawColumn {
    std::string name;
    uint8_t jetType = 0;
    // Column flags: 0x01 fixed length, 0x04 Long AutoNumber, 0x40 GUID
    // AutoNumber, 0x80 hyperlink (Memo).
    uint8_t flags = 0;
    uint16_t length = 0;
    uint16_t sortOrder = 0;
    // Jet 4 and ACE extra flags: 0xC0 marks a calculated column (ACE).
    uint8_t extraFlags = 0;
    // A complex column (ACE attachment, multi-valued or version history):
    // the name of its type table in MSysObjects, such as
    // "MSysComplexType_Attachment"; empty for every other column.
    std::string complexTypeTable;
    std::optional<std::string> description;
};

struct RawIndexColumn {
    // Position of the column in RawTable::columns.
    uint16_t column = 0;
    bool ascending = true;
};

// A logical index entry joined with the physical index it uses.
struct RawIndex {
    std::string name;
    // 1 primary key, 2 foreign key (owned by a relationship), 0 other.
    uint8_t indexType = 0;
    // Physical index flags: 0x01 unique, 0x02 ignore nulls, 0x08 required.
    uint8_t flags = 0;
    std::vector<RawIndexColumn> columns;
};

struct RawTable {
    // In column-number order, the table's field order (the entries
    // themselves are stored in no useful order).
    std::vector<RawColumn> columns;
    std::vector<RawIndex> indexes;
};

// One row of MSysObjects.
struct CatalogObject {
    std::string name;
    int32_t type = 0;
    int32_t flags = 0;
    std::optional<std::string> description;
    // The table definition, for rows of Type 1.
    std::optional<RawTable> table;
    // MSysObjects.Id; MSysQueries.ObjectId refers to it.
    int32_t id = 0;
};

using CellValue = std::variant<std::monostate, int64_t, std::string>;

// The rows of a system table, in stored order.
struct RowTable {
    std::string name;
    std::vector<std::string> columns;
    std::vector<std::vector<CellValue>> rows;
};

struct Snapshot {
    SnapshotFormat format = SnapshotFormat::Jet4;
    // The database's sort order (an LCID) from the header.
    uint16_t sortOrder = 0;
    // MSysObjects, in stored order.
    std::vector<CatalogObject> objects;
    // MSysRelationships and MSysQueries (all columns but the binary ones),
    // and MSysAccounts for a workgroup file.
    std::vector<RowTable> rowTables;
    // Positions in `objects` in the order of MSysObjects' ParentIdName
    // index: by parent, then by name in the engine's collation. Empty when
    // the index could not be walked; otherwise each position once.
    std::vector<uint32_t> nameIndexOrder;

    const RowTable* rowTable(std::string_view name) const;
};

class MalformedSnapshot : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Bytes that arrive piece by piece, such as the reader's output while it
// still reads.
class SnapshotSource {
public:
    virtual ~SnapshotSource() = default;
    // Appends the next bytes to `buffer`; false when there are none left.
    virtual bool more(std::string& buffer) = 0;
};

std::string encodeSnapshot(const Snapshot& snapshot);
Snapshot decodeSnapshot(std::string_view bytes);
// Shown each object as soon as it is decoded, with the snapshot so far (its
// format and sort order known); it may take parts of the object over.
using ObjectTaker = std::function<void(const Snapshot& soFar, uint32_t position, CatalogObject& object)>;

// Decodes as the bytes come, asking for more only when it needs them, and
// reads the source to its end; raises MalformedSnapshot just the same.
Snapshot decodeSnapshot(SnapshotSource& source, const ObjectTaker& takeFromObject = {});

}  // namespace speclore::jet
