// Reads a table definition (TDEF) straight from its pages: the column
// entries with their stored flags, sort order and length, and the logical
// index entries joined with the physical indexes they use. libmdb drops the
// hyperlink flag and gives foreign-key indexes without columns, so the
// reader walks the raw pages itself.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "jet/Snapshot.h"
#include "jet/reader/MdbHeader.h"
#include "jet/reader/PropertyBlob.h"
#include "jet/reader/ReaderError.h"

namespace speclore::jet::reader {

// The type table of each complex column by its complex id (ACE keeps the
// id in the column entry and the type in MSysComplexColumns).
using ComplexTypeTables = std::map<uint32_t, std::string>;

// Reads one definition after another into the same table, whose strings
// and lists keep their room from one to the next: a database's tables are
// mostly alike, so reading them allocates little.
class TableDefinitionReader {
public:
    // Keeps both references.
    explicit TableDefinitionReader(MdbHandle* mdb, const ComplexTypeTables& complexTypes = {});
    TableDefinitionReader(const TableDefinitionReader&) = delete;
    TableDefinitionReader& operator=(const TableDefinitionReader&) = delete;

    // The definition that starts at `firstPage`, valid until the next
    // read; the caller may change it, or move it away and back. Each
    // column has the description its name has in `properties`, and a
    // calculated one the type of its result. Raises UnreadableDatabase
    // when the pages are not a well-formed definition. A complex column
    // whose id `complexTypes` lacks keeps an empty type table.
    RawTable& read(uint32_t firstPage, const ColumnProperties& properties = {});

private:
    struct PhysicalIndex {
        uint8_t flags = 0;
        std::vector<RawIndexColumn> columns;
    };

    // The definition's bytes as one stream: the first page whole, then the
    // data part (from byte 8) of each continuation page.
    void readBytes(uint32_t firstPage);
    void describeColumns(const ColumnProperties& properties);

    MdbHandle* mdb_;
    const ComplexTypeTables& complexTypes_;
    RawTable table_;
    std::vector<uint8_t> bytes_;
    std::vector<uint32_t> pages_;
    // By stored entry: its column number and its position in the table.
    std::vector<uint16_t> columnNumbers_, positions_;
    // By position: the stored entry and its column number.
    std::vector<uint16_t> order_, sortedNumbers_;
    std::vector<PhysicalIndex> physical_;
    // By position: whether the column was given a description.
    std::vector<bool> described_;
};

}  // namespace speclore::jet::reader
