#include "jet/DaoSchema.h"

#include <algorithm>
#include <map>
#include <string_view>

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
constexpr uint8_t kJetComplex = 0x12;
constexpr uint8_t kJetBigInt = 0x13;
constexpr uint8_t kJetDateTimeExtended = 0x14;

// Column flags.
constexpr uint8_t kFixedLength = 0x01;
constexpr uint8_t kLongAutoNumber = 0x04;
constexpr uint8_t kGuidAutoNumber = 0x40;
constexpr uint8_t kHyperlink = 0x80;
// Extra column flags (ACE).
constexpr uint8_t kCalculated = 0xC0;
// A calculated column stores its result behind a 23-byte header, and its
// length counts that header.
constexpr uint16_t kCalculatedHeader = 23;
// The type tables of the version history that Access keeps, in a hidden
// complex column, for an append-only memo.
constexpr std::string_view kVersionHistoryTypes = "MSysComplexTypeVH_";

// MSysObjects.Flags bits.
constexpr uint32_t kSystemFlags = 0x80000002u;
constexpr uint32_t kTemporary = 0x1u;
constexpr uint32_t kAccessHidden = 0x8u;
constexpr uint32_t kSavesOdbcPassword = 0x20000u;

constexpr int32_t dbAttachSavePWD = 0x20000;
constexpr int32_t dbDateTimeExtended = 26;
constexpr int16_t dbAttachment = 101;
constexpr int16_t dbComplexByte = 102;
constexpr int16_t dbComplexInteger = 103;
constexpr int16_t dbComplexLong = 104;
constexpr int16_t dbComplexSingle = 105;
constexpr int16_t dbComplexDouble = 106;
constexpr int16_t dbComplexGUID = 107;
constexpr int16_t dbComplexDecimal = 108;
constexpr int16_t dbComplexText = 109;
// What DAO reports as CollatingOrder where there is none.
constexpr int32_t dbSortUndefined = -1;
// LCIDs start above this; smaller stored values are no sort order (a
// Decimal column keeps its precision and scale there).
constexpr uint16_t kLowestSortOrder = dbSortNeutral;

// An attachment or multi-valued field's type, from its type table. A
// complex column whose type table is unknown keeps Jet's own code, which
// the sheet shows as a number.
int16_t complexType(const std::string& typeTable) {
    static const std::map<std::string_view, int16_t> kTypes = {
        {"MSysComplexType_Attachment", dbAttachment},    {"MSysComplexType_UnsignedByte", dbComplexByte},
        {"MSysComplexType_Short", dbComplexInteger},     {"MSysComplexType_Long", dbComplexLong},
        {"MSysComplexType_IEEESingle", dbComplexSingle}, {"MSysComplexType_IEEEDouble", dbComplexDouble},
        {"MSysComplexType_GUID", dbComplexGUID},         {"MSysComplexType_Decimal", dbComplexDecimal},
        {"MSysComplexType_Text", dbComplexText},
    };
    auto found = kTypes.find(typeTable);
    return found == kTypes.end() ? kJetComplex : found->second;
}

bool isCalculated(const RawColumn& column) { return (column.extraFlags & kCalculated) != 0; }

bool isVersionHistory(const RawColumn& column) {
    return column.jetType == kJetComplex && column.complexTypeTable.starts_with(kVersionHistoryTypes);
}

int16_t daoType(const RawColumn& column) {
    const uint8_t jetType = column.jetType;
    switch (jetType) {
    case kJetComplex: return complexType(column.complexTypeTable);
    case kJetNumeric: return dbDecimal;
    case kJetBigInt: return dbBigInt;
    case kJetDateTimeExtended: return dbDateTimeExtended;
    // 1 to 12 and 15 (GUID) have DAO's numbers already.
    default: return jetType;
    }
}

// The value size of a calculated column's result type.
int32_t calculatedSize(const RawColumn& column) {
    switch (column.jetType) {
    case kJetBoolean: return 1;
    case 0x02: return 1;  // Byte
    case 0x03: return 2;  // Integer
    case kJetLong:
    case 0x06: return 4;  // Long, Single
    case 0x05:            // Currency
    case 0x07:            // Double
    case 0x08:            // Date/Time
    case kJetBigInt: return 8;
    case 0x0F:  // GUID
    case kJetNumeric: return 16;
    case kJetText: return column.length > kCalculatedHeader ? (column.length - kCalculatedHeader) / 2 : 0;
    default: return 0;
    }
}

int32_t daoSize(const RawColumn& column, SnapshotFormat format) {
    if (isCalculated(column)) return calculatedSize(column);
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

Index daoIndex(RawIndex&& raw, const RawTable& table) {
    Index index;
    index.name = std::move(raw.name);
    index.primary = raw.indexType == 1;
    index.foreign = raw.indexType == 2;
    index.unique = (raw.flags & 0x01) != 0;
    index.fields.reserve(raw.columns.size());
    for (const RawIndexColumn& c : raw.columns) index.fields.push_back(table.columns[c.column].name);
    return index;
}

// The unique index that Access adds to every complex column, to tie the
// column's hidden id to the rows of its flat table, is left out: no one
// designed it, Access's Indexes window does not show it, and listing it
// would mark every attachment or multi-valued field as unique, which the
// field is not in any sense its designer meant. Only an index all of whose
// key columns are complex columns is left out, so an index a designer put
// on ordinary fields always stays.
bool isComplexFieldIndex(const RawIndex& index, const RawTable& table) {
    if (index.columns.empty()) return false;
    return std::all_of(index.columns.begin(), index.columns.end(), [&](const RawIndexColumn& c) {
        return table.columns[c.column].jetType == kJetComplex;
    });
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

void describeDaoField(Field& field, RawColumn& column, SnapshotFormat format, uint16_t databaseSortOrder) {
    field.type = daoType(column);
    field.size = daoSize(column, format);
    field.attributes = daoFieldAttributes(column);
    field.collatingOrder = daoCollatingOrder(column, databaseSortOrder);
    field.name = std::move(column.name);
    field.description = std::move(column.description);
}

void DaoTableDefs::take(const Snapshot& soFar, uint32_t position, CatalogObject& object) {
    if (!isTableDefinition(object.type)) return;
    TableDef table;
    table.name = object.name;
    table.attributes = daoTableAttributes(object.type, object.flags);
    table.description = std::move(object.description);
    if (object.table) {
        RawTable& raw = *object.table;
        // Indexes name their fields, so they are made before the columns
        // give their names away.
        table.indexes.reserve(raw.indexes.size());
        for (RawIndex& index : raw.indexes) {
            if (!isComplexFieldIndex(index, raw)) table.indexes.push_back(daoIndex(std::move(index), raw));
        }
        table.fields.reserve(raw.columns.size());
        for (RawColumn& column : raw.columns) {
            if (!isVersionHistory(column))
                describeDaoField(table.fields.emplace_back(), column, soFar.format, soFar.sortOrder);
        }
        object.table.reset();
    }
    tables_.push_back(std::move(table));
    positions_.push_back(position);
}

std::vector<catalog::TableDef> DaoTableDefs::inCatalogOrder(const Snapshot& snapshot) && {
    constexpr uint32_t kNone = UINT32_MAX;
    std::vector<uint32_t> taken(snapshot.objects.size(), kNone);
    for (uint32_t i = 0; i < positions_.size(); ++i) {
        if (positions_[i] < taken.size()) taken[positions_[i]] = i;
    }
    std::vector<TableDef> ordered;
    ordered.reserve(tables_.size());
    for (uint32_t position : catalogOrder(snapshot)) {
        if (taken[position] != kNone) ordered.push_back(std::move(tables_[taken[position]]));
    }
    return ordered;
}

}  // namespace speclore::jet
