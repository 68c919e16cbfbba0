#include "jet/DaoSchema.h"

#include <algorithm>

#include "jet/TextCase.h"

namespace speclore::jet {

namespace {

using namespace speclore::catalog;

// Jet column type codes.
constexpr uint8_t kJetBoolean = 0x01;
constexpr uint8_t kJetLong = 0x04;
constexpr uint8_t kJetText = 0x0A;
constexpr uint8_t kJetOle = 0x0B;
constexpr uint8_t kJetMemo = 0x0C;
constexpr uint8_t kJetNumeric = 0x10;
constexpr uint8_t kJetBigInt = 0x13;
constexpr uint8_t kJetDateTimeExtended = 0x14;

// Column flags.
constexpr uint8_t kFixedLength = 0x01;
constexpr uint8_t kLongAutoNumber = 0x04;
constexpr uint8_t kGuidAutoNumber = 0x40;
constexpr uint8_t kHyperlink = 0x80;

// MSysObjects.Flags bits.
constexpr uint32_t kSystemFlags = 0x80000002u;
constexpr uint32_t kTemporary = 0x1u;
constexpr uint32_t kAccessHidden = 0x8u;
constexpr uint32_t kSavesOdbcPassword = 0x20000u;

constexpr int32_t dbAttachSavePWD = 0x20000;
constexpr int32_t dbDateTimeExtended = 26;
// What DAO reports as CollatingOrder where there is none.
constexpr int32_t dbSortUndefined = -1;
// LCIDs start above this; smaller stored values are no sort order (a
// Decimal column keeps its precision and scale there).
constexpr uint16_t kLowestSortOrder = dbSortNeutral;

int16_t daoType(uint8_t jetType) {
    switch (jetType) {
    case kJetNumeric: return dbDecimal;
    case kJetBigInt: return dbBigInt;
    case kJetDateTimeExtended: return dbDateTimeExtended;
    // 1 to 12 and 15 (GUID) have DAO's numbers already.
    default: return jetType;
    }
}

int32_t daoSize(const RawColumn& column, SnapshotFormat format) {
    switch (column.jetType) {
    case kJetBoolean: return 1;
    // Jet 4 and ACE store text as UCS-2; DAO counts characters.
    case kJetText: return format == SnapshotFormat::Jet3 ? column.length : column.length / 2;
    case kJetMemo:
    case kJetOle: return 0;
    // DAO gives a Decimal's value size, not the 17 bytes stored.
    case kJetNumeric: return 16;
    default: return column.length;
    }
}

int32_t daoFieldAttributes(const RawColumn& column) {
    int32_t attributes = (column.flags & kFixedLength) ? dbFixedField : dbVariableField;
    // ACE's complex columns carry the flag too, for their hidden ids; only
    // a Long is an AutoNumber field.
    if (column.jetType == kJetLong && (column.flags & kLongAutoNumber)) attributes |= dbAutoIncrField;
    if (column.jetType == kJetMemo && (column.flags & kHyperlink)) attributes |= dbHyperlinkField;
    return attributes;
}

int32_t daoCollatingOrder(const RawColumn& column, uint16_t databaseSortOrder) {
    // The sheet tells a GUID AutoNumber from a plain GUID by a value below
    // dbSortNeutral; nothing stored marks it but the column flag.
    if (column.flags & kGuidAutoNumber) return dbSortUndefined;
    if (column.jetType != kJetNumeric && column.sortOrder >= kLowestSortOrder) return column.sortOrder;
    return databaseSortOrder >= kLowestSortOrder ? databaseSortOrder : dbSortUndefined;
}

Index daoIndex(const RawIndex& raw, const RawTable& table) {
    Index index;
    index.name = raw.name;
    index.primary = raw.indexType == 1;
    index.foreign = raw.indexType == 2;
    index.unique = (raw.flags & 0x01) != 0;
    for (const RawIndexColumn& c : raw.columns) index.fields.push_back(table.columns[c.column].name);
    return index;
}

}  // namespace

// Positions in snapshot.objects as the name index lists them, or, without
// one, by name without regard to case (ties in stored order).
std::vector<uint32_t> catalogOrder(const Snapshot& snapshot) {
    if (!snapshot.nameIndexOrder.empty()) return snapshot.nameIndexOrder;
    std::vector<uint32_t> order(snapshot.objects.size());
    for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return compareIgnoringCase(snapshot.objects[a].name, snapshot.objects[b].name) < 0;
    });
    return order;
}

bool isTableDefinition(int32_t type) {
    return type == kLocalTable || type == kLinkedTable || type == kOdbcLinkedTable;
}

int32_t daoTableAttributes(int32_t type, int32_t flags) {
    const auto bits = static_cast<uint32_t>(flags);
    int32_t attributes = 0;
    if (type == kLinkedTable) {
        attributes = dbAttachedTable;
    } else if (type == kOdbcLinkedTable) {
        attributes = dbAttachedODBC;
        if (bits & kSavesOdbcPassword) attributes |= dbAttachSavePWD;
    } else if (bits & kSystemFlags) {
        attributes = dbSystemObject;
    }
    // Only DAO's documented constants: Access keeps bits of its own in
    // Flags (0x40000 on an ACE table with complex fields, 0x1000 on its
    // clipboard tables) that say nothing about the table's kind, and a
    // plain local table must still give 0.
    if (bits & (kAccessHidden | kTemporary)) attributes |= dbHiddenObject;
    return attributes;
}

catalog::Field daoField(const RawColumn& column, SnapshotFormat format, uint16_t databaseSortOrder) {
    Field field;
    field.name = column.name;
    field.type = daoType(column.jetType);
    field.size = daoSize(column, format);
    field.attributes = daoFieldAttributes(column);
    field.collatingOrder = daoCollatingOrder(column, databaseSortOrder);
    field.description = column.description;
    return field;
}

std::vector<catalog::TableDef> daoTableDefs(const Snapshot& snapshot) {
    std::vector<TableDef> tables;
    for (uint32_t position : catalogOrder(snapshot)) {
        const CatalogObject& object = snapshot.objects[position];
        if (!isTableDefinition(object.type)) continue;
        TableDef table;
        table.name = object.name;
        table.attributes = daoTableAttributes(object.type, object.flags);
        table.description = object.description;
        if (object.table) {
            for (const RawColumn& column : object.table->columns) {
                table.fields.push_back(daoField(column, snapshot.format, snapshot.sortOrder));
            }
            for (const RawIndex& index : object.table->indexes) {
                table.indexes.push_back(daoIndex(index, *object.table));
            }
        }
        tables.push_back(std::move(table));
    }
    return tables;
}

}  // namespace speclore::jet
