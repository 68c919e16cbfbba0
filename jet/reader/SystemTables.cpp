#include "jet/reader/SystemTables.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "jet/reader/MdbText.h"

namespace speclore::jet::reader {

namespace {

struct TableDefFree {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using TablePtr = std::unique_ptr<MdbTableDef, TableDefFree>;

// A column bound to a buffer that each fetched row fills: the header of
// an OLE value, which libmdb reads on from, or a Memo's text, which may
// continue on other pages. libmdb keeps pointers to both members, so it
// never moves.
struct BoundColumn {
    BoundColumn() = default;
    BoundColumn(const BoundColumn&) = delete;
    BoundColumn& operator=(const BoundColumn&) = delete;

    char text[MDB_BIND_SIZE];
    int length = 0;
};
using BoundColumnPtr = std::unique_ptr<BoundColumn>;

// A table read through a catalog entry of our own; libmdb keeps a pointer
// to the entry for as long as the table is in use.
struct OpenTable {
    std::unique_ptr<MdbCatalogEntry> entry;
    TablePtr table;
    MdbTableDef* operator->() const { return table.get(); }
    MdbTableDef* get() const { return table.get(); }
};

OpenTable openTable(MdbHandle* mdb, const std::string& name, uint32_t definitionPage) {
    OpenTable open;
    open.entry = std::make_unique<MdbCatalogEntry>();
    std::memset(open.entry.get(), 0, sizeof(MdbCatalogEntry));
    open.entry->mdb = mdb;
    open.entry->object_type = MDB_TABLE;
    open.entry->table_pg = definitionPage;
    std::snprintf(open.entry->object_name, sizeof open.entry->object_name, "%s", name.c_str());
    open.table.reset(mdb_read_table(open.entry.get()));
    if (!open.table || !mdb_read_columns(open.table.get())) throw UnreadableDatabase(name);
    return open;
}

// No system table of a sound file holds this many rows; a corrupt page
// chain can make libmdb return rows without end.
constexpr size_t kMaxSystemRows = 200000;

void countRow(size_t& rows, const std::string& table) {
    if (++rows > kMaxSystemRows) throw UnreadableDatabase(table + ": too many rows");
}

// A column that must have the given type; a damaged definition can give
// it another, and libmdb loops printing warnings on type 0.
MdbColumn* columnNamed(MdbTableDef* table, const char* name, int type) {
    for (guint i = 0; i < table->columns->len; ++i) {
        auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
        if (g_ascii_strcasecmp(column->name, name) != 0) continue;
        if (column->col_type != type) throw UnreadableDatabase(name);
        return column;
    }
    throw UnreadableDatabase(name);
}

BoundColumnPtr bind(MdbColumn* column) {
    auto bound = std::make_unique<BoundColumn>();
    column->bind_ptr = bound->text;
    column->len_ptr = &bound->length;
    return bound;
}

// The columns of the row libmdb has just fetched are read where libmdb
// found them in its page buffer, which it records for every column, bound
// or not: binding would make libmdb print each value as text first.
const unsigned char* valueBytes(MdbHandle* mdb, const MdbColumn* column, size_t size) {
    const auto start = static_cast<size_t>(column->cur_value_start);
    if (start > static_cast<size_t>(mdb->fmt->pg_size) ||
        size > static_cast<size_t>(mdb->fmt->pg_size) - start) {
        return nullptr;
    }
    return mdb->pg_buf + start;
}

// An integer column's value; none for a missing value. A Yes/No value
// lives in the null mask, which libmdb leaves in the value's length.
std::optional<int64_t> integerValue(MdbHandle* mdb, const MdbColumn* column) {
    if (column->col_type == MDB_BOOL) return column->cur_value_len != 0 ? 0 : 1;
    if (column->cur_value_len == 0) return std::nullopt;
    const size_t width = column->col_type == MDB_BYTE ? 1 : column->col_type == MDB_INT ? 2 : 4;
    const unsigned char* p = valueBytes(mdb, column, width);
    if (!p) return std::nullopt;
    switch (column->col_type) {
    case MDB_BYTE: return p[0];
    case MDB_INT: return static_cast<int16_t>(p[0] | p[1] << 8);
    default:
        return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                    static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
    }
}

// A Text column's value; a missing one reads as empty text, as libmdb
// gives it.
std::string textValue(MdbHandle* mdb, const MdbColumn* column) {
    if (column->cur_value_len <= 0) return {};
    const auto size = static_cast<size_t>(column->cur_value_len);
    const unsigned char* p = valueBytes(mdb, column, size);
    return p ? mdbFieldText(mdb, p, size) : std::string();
}

enum class CellKind { Integer, Text, Memo, Skipped };

// Binary and OLE values would come out as raw bytes, which the snapshot
// cannot carry as text; no statement of ours reads them, so they are
// skipped.
CellKind cellKind(int type) {
    switch (type) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT: return CellKind::Integer;
    case MDB_TEXT: return CellKind::Text;
    case MDB_MEMO: return CellKind::Memo;
    default: return CellKind::Skipped;
    }
}

// Descriptions are asked of tables (local and linked) and of queries; the
// property blob of any other object (the database itself, a form) is left
// unread, so that a damaged one cannot make the whole database unreadable.
bool isTableDefinition(int32_t type) { return type == 1 || type == 4 || type == 6; }

constexpr int32_t kSavedQueryType = 5;

// The whole value of a bound OLE column in the current row, valid until
// the next call. Read part by part with the calls mdb_ole_read_full makes,
// but into one buffer kept from row to row: mdb_ole_read_full allocates a
// megabyte for every value.
const std::vector<unsigned char>& longValue(MdbHandle* mdb, MdbColumn* column) {
    // The first part as mdb_ole_read_full asks for it.
    constexpr size_t kFirstPart = 1 << 20;
    static std::vector<unsigned char> value;
    value.clear();
    unsigned char head[MDB_MEMO_OVERHEAD];
    std::memcpy(head, column->bind_ptr, sizeof head);
    const auto* part = static_cast<const unsigned char*>(column->bind_ptr);
    try {
        for (size_t length = mdb_ole_read(mdb, column, head, kFirstPart); length != 0;
             length = mdb_ole_read_next(mdb, column, head)) {
            value.insert(value.end(), part, part + length);
        }
    } catch (const std::bad_alloc&) {
        // A chain of parts that never ends, as mdb_ole_read_full fails on it.
        throw UnreadableDatabase("MSysObjects.LvProp");
    }
    return value;
}

// The descriptions in the LvProp blob of the current row.
void readDescriptionsOf(MdbHandle* mdb, MdbColumn* lvProp, CatalogRow& row) {
    const std::vector<unsigned char>& blob = longValue(mdb, lvProp);
    Descriptions found = readDescriptions(mdb, blob.data(), blob.size());
    row.object.description = std::move(found.table);
    row.columnProperties = std::move(found.columns);
}

// A query's description is worth a try, but its blob also holds the
// properties of the query's columns and of forms' filters, which nothing
// else here reads: a blob that cannot be read leaves the query without a
// description rather than making the database unreadable.
void readQueryDescriptionOf(MdbHandle* mdb, MdbColumn* lvProp, CatalogRow& row) {
    try {
        readDescriptionsOf(mdb, lvProp, row);
    } catch (const UnreadableDatabase&) {
        row.object.description.reset();
    }
    row.columnProperties = {};
}

}  // namespace

std::vector<CatalogRow> readCatalog(MdbHandle* mdb) {
    // MSysObjects' definition always starts on page 2.
    OpenTable table = openTable(mdb, "MSysObjects", 2);
    const MdbColumn* id = columnNamed(table.get(), "Id", MDB_LONGINT);
    const MdbColumn* name = columnNamed(table.get(), "Name", MDB_TEXT);
    const MdbColumn* type = columnNamed(table.get(), "Type", MDB_INT);
    const MdbColumn* flags = columnNamed(table.get(), "Flags", MDB_LONGINT);
    MdbColumn* lvPropColumn = columnNamed(table.get(), "LvProp", MDB_OLE);
    BoundColumnPtr lvProp = bind(lvPropColumn);

    std::vector<CatalogRow> rows;
    size_t count = 0;
    mdb_rewind_table(table.get());
    while (mdb_fetch_row(table.get())) {
        countRow(count, "MSysObjects");
        CatalogRow row;
        row.object.name = textValue(mdb, name);
        row.object.type = static_cast<int32_t>(integerValue(mdb, type).value_or(0));
        row.object.flags = static_cast<int32_t>(integerValue(mdb, flags).value_or(0));
        row.object.id = static_cast<int32_t>(integerValue(mdb, id).value_or(0));
        row.definitionPage = static_cast<uint32_t>(row.object.id) & 0x00FFFFFF;
        // libmdb has moved on to the next slot of the page it read from.
        row.location = {table->cur_phys_pg, static_cast<uint16_t>(table->cur_row - 1)};
        // An empty LvProp must not reuse the previous row's blob.
        if (lvProp->length > 0 && isTableDefinition(row.object.type)) {
            readDescriptionsOf(mdb, lvPropColumn, row);
        } else if (lvProp->length > 0 && row.object.type == kSavedQueryType) {
            readQueryDescriptionOf(mdb, lvPropColumn, row);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::optional<RowTable> readRowTable(MdbHandle* mdb, const std::vector<CatalogRow>& catalog,
                                     const std::string& name) {
    const CatalogRow* found = nullptr;
    for (const CatalogRow& row : catalog) {
        if (row.object.type == 1 && row.object.name == name) found = &row;
    }
    if (!found) return std::nullopt;

    OpenTable table = openTable(mdb, name, found->definitionPage);
    RowTable rows;
    rows.name = name;
    std::vector<MdbColumn*> columns;
    std::vector<CellKind> kinds;
    std::vector<BoundColumnPtr> memos;
    for (guint i = 0; i < table->columns->len; ++i) {
        auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
        rows.columns.push_back(column->name);
        columns.push_back(column);
        kinds.push_back(cellKind(column->col_type));
        // libmdb follows a Memo onto its other pages.
        if (kinds.back() == CellKind::Memo) memos.push_back(bind(column));
    }
    size_t count = 0;
    mdb_rewind_table(table.get());
    while (mdb_fetch_row(table.get())) {
        countRow(count, name);
        std::vector<CellValue> cells;
        cells.reserve(columns.size());
        auto memo = memos.begin();
        for (size_t i = 0; i < columns.size(); ++i) {
            switch (kinds[i]) {
            case CellKind::Integer:
                if (auto value = integerValue(mdb, columns[i])) {
                    cells.emplace_back(*value);
                } else {
                    cells.emplace_back();
                }
                break;
            case CellKind::Text: cells.emplace_back(textValue(mdb, columns[i])); break;
            case CellKind::Memo: {
                const BoundColumn& bound = **memo++;
                cells.emplace_back(std::string(bound.text, static_cast<size_t>(bound.length)));
                break;
            }
            case CellKind::Skipped: cells.emplace_back(); break;
            }
        }
        rows.rows.push_back(std::move(cells));
    }
    return rows;
}

}  // namespace speclore::jet::reader
