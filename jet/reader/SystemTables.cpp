#include "jet/reader/SystemTables.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "jet/reader/PropertyBlob.h"

namespace speclore::jet::reader {

namespace {

struct TableDefFree {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using TablePtr = std::unique_ptr<MdbTableDef, TableDefFree>;

// A column bound to a buffer that each fetched row fills with its text.
// libmdb keeps pointers to both members, so it never moves.
struct BoundColumn {
    BoundColumn() = default;
    BoundColumn(const BoundColumn&) = delete;
    BoundColumn& operator=(const BoundColumn&) = delete;

    char text[MDB_BIND_SIZE];
    int length = 0;
    int index = 0;  // 1-based, as libmdb counts
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

// Binds a column that must have the given type; a damaged definition can
// give it another, and libmdb loops printing warnings on type 0.
BoundColumnPtr bind(MdbTableDef* table, const char* column, int type) {
    auto bound = std::make_unique<BoundColumn>();
    bound->index = mdb_bind_column_by_name(table, const_cast<gchar*>(column), bound->text, &bound->length);
    if (bound->index < 1) throw UnreadableDatabase(column);
    auto* definition = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, bound->index - 1));
    if (definition->col_type != type) throw UnreadableDatabase(column);
    return bound;
}

enum class CellKind { Integer, Text, Skipped };

// Binary and OLE values would come out as raw bytes, which the snapshot
// cannot carry as text; no statement of ours reads them, so they are not
// even bound.
CellKind cellKind(int type) {
    switch (type) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT: return CellKind::Integer;
    case MDB_TEXT:
    case MDB_MEMO: return CellKind::Text;
    default: return CellKind::Skipped;
    }
}

// Descriptions are asked of tables (local and linked) and of queries; the
// property blob of any other object (the database itself, a form) is left
// unread, so that a damaged one cannot make the whole database unreadable.
bool isTableDefinition(int32_t type) { return type == 1 || type == 4 || type == 6; }

constexpr int32_t kSavedQueryType = 5;

// The descriptions in the LvProp blob of the current row.
void readDescriptionsOf(MdbHandle* mdb, MdbColumn* lvProp, CatalogRow& row) {
    size_t size = 0;
    std::unique_ptr<void, decltype(&std::free)> blob(mdb_ole_read_full(mdb, lvProp, &size), &std::free);
    if (!blob) throw UnreadableDatabase("MSysObjects.LvProp");
    Descriptions found = readDescriptions(mdb, static_cast<const unsigned char*>(blob.get()), size);
    row.object.description = std::move(found.table);
    row.columnDescriptions = std::move(found.columns);
    row.columnResultTypes = std::move(found.resultTypes);
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
    row.columnDescriptions.clear();
}

}  // namespace

std::vector<CatalogRow> readCatalog(MdbHandle* mdb) {
    // MSysObjects' definition always starts on page 2.
    OpenTable table = openTable(mdb, "MSysObjects", 2);
    BoundColumnPtr id = bind(table.get(), "Id", MDB_LONGINT);
    BoundColumnPtr name = bind(table.get(), "Name", MDB_TEXT);
    BoundColumnPtr type = bind(table.get(), "Type", MDB_INT);
    BoundColumnPtr flags = bind(table.get(), "Flags", MDB_LONGINT);
    BoundColumnPtr lvProp = bind(table.get(), "LvProp", MDB_OLE);
    auto* lvPropColumn = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, lvProp->index - 1));

    std::vector<CatalogRow> rows;
    size_t count = 0;
    mdb_rewind_table(table.get());
    while (mdb_fetch_row(table.get())) {
        countRow(count, "MSysObjects");
        CatalogRow row;
        row.object.name.assign(name->text, static_cast<size_t>(name->length));
        row.object.type = static_cast<int32_t>(std::strtol(type->text, nullptr, 10));
        row.object.flags = static_cast<int32_t>(std::strtoll(flags->text, nullptr, 10));
        row.object.id = static_cast<int32_t>(std::strtoll(id->text, nullptr, 10));
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
    std::vector<BoundColumnPtr> bound;
    std::vector<CellKind> kinds;
    for (guint i = 0; i < table->columns->len; ++i) {
        auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
        rows.columns.push_back(column->name);
        kinds.push_back(cellKind(column->col_type));
        auto b = std::make_unique<BoundColumn>();
        b->index = static_cast<int>(i) + 1;
        if (kinds.back() != CellKind::Skipped) mdb_bind_column(table.get(), b->index, b->text, &b->length);
        bound.push_back(std::move(b));
    }
    size_t count = 0;
    mdb_rewind_table(table.get());
    while (mdb_fetch_row(table.get())) {
        countRow(count, name);
        std::vector<CellValue> cells;
        for (size_t i = 0; i < bound.size(); ++i) {
            const BoundColumn& b = *bound[i];
            switch (kinds[i]) {
            case CellKind::Integer:
                // libmdb gives a missing value as empty text.
                if (b.length == 0) {
                    cells.emplace_back();
                } else {
                    cells.emplace_back(static_cast<int64_t>(std::strtoll(b.text, nullptr, 10)));
                }
                break;
            case CellKind::Text:
                cells.emplace_back(std::string(b.text, static_cast<size_t>(b.length)));
                break;
            case CellKind::Skipped: cells.emplace_back(); break;
            }
        }
        rows.rows.push_back(std::move(cells));
    }
    return rows;
}

}  // namespace speclore::jet::reader
