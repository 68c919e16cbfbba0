#include "jet/reader/TableDefinition.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "jet/reader/MdbText.h"

namespace speclore::jet::reader {

namespace {

constexpr uint8_t kTableDefinitionPage = 0x02;
// A definition spread over more pages than this is not one Jet writes.
constexpr size_t kMaxDefinitionPages = 512;
constexpr uint16_t kUnusedIndexColumn = 0xFFFF;
constexpr uint8_t kAscendingColumn = 0x01;
constexpr uint32_t kMaxColumns = 255;
constexpr uint32_t kMaxIndexes = 1024;

// Offsets of the parts of a TDEF that differ between Jet 3 and Jet 4 / ACE.
struct Layout {
    size_t columnCount, logicalIndexCount, physicalIndexCount, headerSize, physicalCountEntry;
    size_t columnEntry, columnNumber, sortOrder, flags, length;
    // Jet 4 and ACE only; 0 in Jet 3, whose entries have neither.
    size_t extraFlags, complexId;
    size_t nameLengthBytes;
    size_t physicalEntry, physicalColumns, physicalFlags;
    size_t logicalEntry, logicalPhysicalNumber, logicalType;
};

constexpr Layout kJet3{25, 27, 31, 43, 8, 18, 1, 9, 13, 16, 0, 0, 1, 39, 0, 38, 20, 4, 19};
constexpr Layout kJet4{45, 47, 51, 63, 12, 25, 5, 11, 15, 23, 16, 11, 2, 52, 4, 46, 28, 8, 23};
// A complex column keeps its complex id where other columns keep their
// sort order.
constexpr uint8_t kComplexColumn = 0x12;

// The definition's bytes as one stream: the first page whole, then the
// data part (from byte 8) of each continuation page. Every table's
// definition is read into the same buffer.
const std::vector<uint8_t>& definitionBytes(MdbHandle* mdb, uint32_t firstPage) {
    const auto pageSize = static_cast<size_t>(mdb->fmt->pg_size);
    static std::vector<uint8_t> bytes;
    bytes.clear();
    std::set<uint32_t> seen;
    uint32_t page = firstPage;
    while (page != 0) {
        if (!seen.insert(page).second || seen.size() > kMaxDefinitionPages) {
            throw UnreadableDatabase("definition pages loop");
        }
        if (mdb_read_pg(mdb, page) != static_cast<ssize_t>(pageSize)) {
            throw UnreadableDatabase("definition page unreadable");
        }
        const unsigned char* buffer = mdb->pg_buf;
        if (buffer[0] != kTableDefinitionPage) throw UnreadableDatabase("not a definition page");
        size_t from = bytes.empty() ? 0 : 8;
        bytes.insert(bytes.end(), buffer + from, buffer + pageSize);
        page = static_cast<uint32_t>(buffer[4]) | static_cast<uint32_t>(buffer[5]) << 8 |
               static_cast<uint32_t>(buffer[6]) << 16 | static_cast<uint32_t>(buffer[7]) << 24;
    }
    return bytes;
}

class Cursor {
public:
    Cursor(const std::vector<uint8_t>& bytes, MdbHandle* mdb) : bytes_(bytes), mdb_(mdb) {}

    void need(size_t at, size_t size) const {
        if (at > bytes_.size() || size > bytes_.size() - at) {
            throw UnreadableDatabase("definition truncated");
        }
    }
    uint8_t u8(size_t at) const {
        need(at, 1);
        return bytes_[at];
    }
    uint16_t u16(size_t at) const {
        need(at, 2);
        return static_cast<uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
    }
    uint32_t u32(size_t at) const {
        need(at, 4);
        return static_cast<uint32_t>(bytes_[at]) | static_cast<uint32_t>(bytes_[at + 1]) << 8 |
               static_cast<uint32_t>(bytes_[at + 2]) << 16 | static_cast<uint32_t>(bytes_[at + 3]) << 24;
    }
    // A length-prefixed name at `pos`, converted by libmdb (UCS-2 in Jet 4,
    // the database's code page in Jet 3); advances `pos` past it.
    std::string name(size_t& pos, size_t lengthBytes) {
        size_t length = lengthBytes == 1 ? u8(pos) : u16(pos);
        pos += lengthBytes;
        need(pos, length);
        std::string text = mdbText(mdb_, bytes_.data() + pos, length);
        pos += length;
        return text;
    }

private:
    const std::vector<uint8_t>& bytes_;
    MdbHandle* mdb_;
};

struct PhysicalIndex {
    uint8_t flags = 0;
    std::vector<RawIndexColumn> columns;
};

}  // namespace

RawTable readTableDefinition(MdbHandle* mdb, uint32_t firstPage, const ComplexTypeTables& complexTypes) {
    const Layout& layout = mdb->f->jet_version == MDB_VER_JET3 ? kJet3 : kJet4;
    const std::vector<uint8_t>& bytes = definitionBytes(mdb, firstPage);
    Cursor at(bytes, mdb);

    const uint32_t columnCount = at.u16(layout.columnCount);
    const uint32_t logicalCount = at.u32(layout.logicalIndexCount);
    const uint32_t physicalCount = at.u32(layout.physicalIndexCount);
    if (columnCount > kMaxColumns || logicalCount > kMaxIndexes || physicalCount > kMaxIndexes) {
        throw UnreadableDatabase("counts out of range");
    }

    RawTable table;
    table.columns.reserve(columnCount);
    table.indexes.reserve(logicalCount);
    std::vector<uint16_t> columnNumbers;
    columnNumbers.reserve(columnCount);
    size_t pos = layout.headerSize + layout.physicalCountEntry * physicalCount;
    for (uint32_t i = 0; i < columnCount; ++i, pos += layout.columnEntry) {
        at.need(pos, layout.columnEntry);
        RawColumn column;
        column.jetType = at.u8(pos);
        column.sortOrder = at.u16(pos + layout.sortOrder);
        column.flags = at.u8(pos + layout.flags);
        column.length = at.u16(pos + layout.length);
        if (layout.extraFlags != 0) column.extraFlags = at.u8(pos + layout.extraFlags);
        if (layout.complexId != 0 && column.jetType == kComplexColumn) {
            auto found = complexTypes.find(at.u32(pos + layout.complexId));
            if (found != complexTypes.end()) column.complexTypeTable = found->second;
        }
        columnNumbers.push_back(at.u16(pos + layout.columnNumber));
        table.columns.push_back(std::move(column));
    }
    for (RawColumn& column : table.columns) column.name = at.name(pos, layout.nameLengthBytes);

    // Entries are stored in no useful order; the column number is the
    // column's position in the table.
    std::vector<size_t> order(table.columns.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return columnNumbers[a] < columnNumbers[b]; });
    std::vector<RawColumn> sorted;
    std::vector<uint16_t> sortedNumbers;
    sorted.reserve(order.size());
    sortedNumbers.reserve(order.size());
    for (size_t i : order) {
        sorted.push_back(std::move(table.columns[i]));
        sortedNumbers.push_back(columnNumbers[i]);
    }
    table.columns = std::move(sorted);
    columnNumbers = std::move(sortedNumbers);

    std::vector<PhysicalIndex> physical(physicalCount);
    for (PhysicalIndex& index : physical) {
        at.need(pos, layout.physicalEntry);
        for (size_t k = 0; k < 10; ++k) {
            size_t slot = pos + layout.physicalColumns + 3 * k;
            uint16_t number = at.u16(slot);
            if (number == kUnusedIndexColumn) continue;
            size_t position = 0;
            while (position < columnNumbers.size() && columnNumbers[position] != number) ++position;
            if (position == columnNumbers.size()) throw UnreadableDatabase("index names no column");
            index.columns.push_back({static_cast<uint16_t>(position), at.u8(slot + 2) == kAscendingColumn});
        }
        index.flags = at.u8(pos + layout.physicalFlags);
        pos += layout.physicalEntry;
    }

    for (uint32_t i = 0; i < logicalCount; ++i, pos += layout.logicalEntry) {
        at.need(pos, layout.logicalEntry);
        uint32_t number = at.u32(pos + layout.logicalPhysicalNumber);
        if (number >= physical.size()) throw UnreadableDatabase("index names no physical index");
        RawIndex index;
        index.indexType = at.u8(pos + layout.logicalType);
        index.flags = physical[number].flags;
        index.columns = physical[number].columns;
        table.indexes.push_back(std::move(index));
    }
    for (RawIndex& index : table.indexes) index.name = at.name(pos, layout.nameLengthBytes);
    return table;
}

}  // namespace speclore::jet::reader
