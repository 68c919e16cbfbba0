#include "jet/reader/TableDefinition.h"

#include <algorithm>
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
// Extra column flags of a calculated column (ACE).
constexpr uint8_t kCalculatedColumn = 0xC0;

// Copies text into a string that mostly has the room already. Appending to
// the emptied string is a plain copy; assigning goes through the general
// replace, which allows for the text lying within the string itself.
void copyInto(std::string& to, std::string_view text) {
    to.clear();
    to.append(text);
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
    // A length-prefixed name at `pos`, converted as libmdb converts it
    // (UCS-2 in Jet 4, the database's code page in Jet 3) into `name`;
    // advances `pos` past it.
    void name(size_t& pos, size_t lengthBytes, std::string& name) {
        size_t length = lengthBytes == 1 ? u8(pos) : u16(pos);
        pos += lengthBytes;
        need(pos, length);
        copyInto(name, mdbTextView(mdb_, bytes_.data() + pos, length));
        pos += length;
    }

private:
    const std::vector<uint8_t>& bytes_;
    MdbHandle* mdb_;
};

}  // namespace

TableDefinitionReader::TableDefinitionReader(MdbHandle* mdb, const ComplexTypeTables& complexTypes)
    : mdb_(mdb), complexTypes_(complexTypes) {}

void TableDefinitionReader::readBytes(uint32_t firstPage) {
    const auto pageSize = static_cast<size_t>(mdb_->fmt->pg_size);
    bytes_.clear();
    pages_.clear();
    uint32_t page = firstPage;
    while (page != 0) {
        if (std::find(pages_.begin(), pages_.end(), page) != pages_.end() ||
            pages_.size() >= kMaxDefinitionPages) {
            throw UnreadableDatabase("definition pages loop");
        }
        pages_.push_back(page);
        if (mdb_read_pg(mdb_, page) != static_cast<ssize_t>(pageSize)) {
            throw UnreadableDatabase("definition page unreadable");
        }
        const unsigned char* buffer = mdb_->pg_buf;
        if (buffer[0] != kTableDefinitionPage) throw UnreadableDatabase("not a definition page");
        size_t from = bytes_.empty() ? 0 : 8;
        bytes_.insert(bytes_.end(), buffer + from, buffer + pageSize);
        page = static_cast<uint32_t>(buffer[4]) | static_cast<uint32_t>(buffer[5]) << 8 |
               static_cast<uint32_t>(buffer[6]) << 16 | static_cast<uint32_t>(buffer[7]) << 24;
    }
}

// Descriptions are written over those of the table before, whose strings
// mostly have the room.
void TableDefinitionReader::describeColumns(const ColumnProperties& properties) {
    std::vector<RawColumn>& columns = table_.columns;
    described_.assign(columns.size(), false);
    // Sets mostly follow the columns' order: each name is looked for from
    // the column after the last one found, round to it.
    size_t next = 0;
    for (const ColumnProperty& property : properties.columns) {
        const std::string_view name = properties.nameOf(property);
        for (size_t tried = 0; tried < columns.size(); ++tried) {
            const size_t at = (next + tried) % columns.size();
            RawColumn& column = columns[at];
            if (column.name != name) continue;
            if (property.hasDescription) {
                const std::string_view description = properties.descriptionOf(property);
                if (column.description) {
                    copyInto(*column.description, description);
                } else {
                    column.description.emplace(description);
                }
                described_[at] = true;
            }
            // DAO gives a calculated field the type of its result.
            if (property.resultType && column.extraFlags & kCalculatedColumn)
                column.jetType = *property.resultType;
            next = at + 1;
            break;
        }
    }
    for (size_t at = 0; at < columns.size(); ++at) {
        if (!described_[at]) columns[at].description.reset();
    }
}

RawTable& TableDefinitionReader::read(uint32_t firstPage, const ColumnProperties& properties) {
    const Layout& layout = mdb_->f->jet_version == MDB_VER_JET3 ? kJet3 : kJet4;
    readBytes(firstPage);
    Cursor at(bytes_, mdb_);

    const uint32_t columnCount = at.u16(layout.columnCount);
    const uint32_t logicalCount = at.u32(layout.logicalIndexCount);
    const uint32_t physicalCount = at.u32(layout.physicalIndexCount);
    if (columnCount > kMaxColumns || logicalCount > kMaxIndexes || physicalCount > kMaxIndexes) {
        throw UnreadableDatabase("counts out of range");
    }

    // Entries are stored in no useful order; the column number is the
    // column's position in the table. Each entry goes straight to its
    // position, its name after it.
    size_t pos = layout.headerSize + layout.physicalCountEntry * physicalCount;
    const size_t firstEntry = pos;
    columnNumbers_.clear();
    for (uint32_t i = 0; i < columnCount; ++i, pos += layout.columnEntry) {
        at.need(pos, layout.columnEntry);
        columnNumbers_.push_back(at.u16(pos + layout.columnNumber));
    }
    order_.resize(columnCount);
    for (uint16_t i = 0; i < order_.size(); ++i) order_[i] = i;
    // Mostly they are stored in order already, which is cheaper to check
    // than to sort.
    if (!std::is_sorted(columnNumbers_.begin(), columnNumbers_.end())) {
        std::stable_sort(order_.begin(), order_.end(),
                         [&](uint16_t a, uint16_t b) { return columnNumbers_[a] < columnNumbers_[b]; });
    }
    positions_.resize(columnCount);
    sortedNumbers_.resize(columnCount);
    for (uint16_t k = 0; k < order_.size(); ++k) positions_[order_[k]] = k;

    table_.columns.resize(columnCount);
    for (uint32_t i = 0; i < columnCount; ++i) {
        const size_t entry = firstEntry + i * layout.columnEntry;
        RawColumn& column = table_.columns[positions_[i]];
        column.jetType = at.u8(entry);
        column.sortOrder = at.u16(entry + layout.sortOrder);
        column.flags = at.u8(entry + layout.flags);
        column.length = at.u16(entry + layout.length);
        column.extraFlags = layout.extraFlags != 0 ? at.u8(entry + layout.extraFlags) : 0;
        column.complexTypeTable.clear();
        if (layout.complexId != 0 && column.jetType == kComplexColumn) {
            auto found = complexTypes_.find(at.u32(entry + layout.complexId));
            if (found != complexTypes_.end()) column.complexTypeTable = found->second;
        }
    }
    for (uint32_t i = 0; i < columnCount; ++i)
        at.name(pos, layout.nameLengthBytes, table_.columns[positions_[i]].name);
    for (uint16_t k = 0; k < order_.size(); ++k) sortedNumbers_[k] = columnNumbers_[order_[k]];
    describeColumns(properties);

    physical_.resize(physicalCount);
    for (PhysicalIndex& index : physical_) {
        at.need(pos, layout.physicalEntry);
        index.columns.clear();
        for (size_t k = 0; k < 10; ++k) {
            size_t slot = pos + layout.physicalColumns + 3 * k;
            uint16_t number = at.u16(slot);
            if (number == kUnusedIndexColumn) continue;
            size_t position = 0;
            while (position < sortedNumbers_.size() && sortedNumbers_[position] != number) ++position;
            if (position == sortedNumbers_.size()) throw UnreadableDatabase("index names no column");
            index.columns.push_back({static_cast<uint16_t>(position), at.u8(slot + 2) == kAscendingColumn});
        }
        index.flags = at.u8(pos + layout.physicalFlags);
        pos += layout.physicalEntry;
    }

    table_.indexes.resize(logicalCount);
    for (RawIndex& index : table_.indexes) {
        at.need(pos, layout.logicalEntry);
        uint32_t number = at.u32(pos + layout.logicalPhysicalNumber);
        if (number >= physical_.size()) throw UnreadableDatabase("index names no physical index");
        index.indexType = at.u8(pos + layout.logicalType);
        index.flags = physical_[number].flags;
        index.columns = physical_[number].columns;
        pos += layout.logicalEntry;
    }
    for (RawIndex& index : table_.indexes) at.name(pos, layout.nameLengthBytes, index.name);
    return table_;
}

}  // namespace speclore::jet::reader
