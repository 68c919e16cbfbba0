// The descriptions kept in an MSysObjects.LvProp blob ("KKD\0" in Jet 3,
// "MR2\0" in Jet 4): a chunk listing property names, then property sets,
// the unnamed one for the table and one per column. libmdb's own parser
// trusts every length in the blob and loops forever on a zero one, so the
// reader parses it itself and checks each length.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/reader/MdbHeader.h"
#include "jet/reader/ReaderError.h"

namespace speclore::jet::reader {

// What the sets of one column's name hold, in stored order; the texts
// are in ColumnProperties::text.
struct ColumnProperty {
    uint32_t nameOffset = 0;
    uint32_t nameLength = 0;
    bool hasDescription = false;
    uint32_t descriptionOffset = 0;
    uint32_t descriptionLength = 0;
    // The Jet type of a calculated column's result ("ResultType"); the
    // column entry itself holds the type the result is stored in.
    std::optional<uint8_t> resultType;
};

// The column sets that hold a description or a result type. Their names
// and descriptions share one string, so that a table's sets cost a few
// allocations, not a few for each column; a later set of the same name
// overrides an earlier one, as Access reads them.
struct ColumnProperties {
    std::string text;
    std::vector<ColumnProperty> columns;

    std::string_view nameOf(const ColumnProperty& column) const {
        return std::string_view(text).substr(column.nameOffset, column.nameLength);
    }
    std::string_view descriptionOf(const ColumnProperty& column) const {
        return std::string_view(text).substr(column.descriptionOffset, column.descriptionLength);
    }
};

struct Descriptions {
    std::optional<std::string> table;
    ColumnProperties columns;
};

// Raises UnreadableDatabase for a blob whose lengths do not fit.
Descriptions readDescriptions(MdbHandle* mdb, const unsigned char* blob, size_t size);

}  // namespace speclore::jet::reader
