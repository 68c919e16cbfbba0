// The descriptions kept in an MSysObjects.LvProp blob ("KKD\0" in Jet 3,
// "MR2\0" in Jet 4): a chunk listing property names, then property sets,
// the unnamed one for the table and one per column. libmdb's own parser
// trusts every length in the blob and loops forever on a zero one, so the
// reader parses it itself and checks each length.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "jet/reader/MdbHeader.h"
#include "jet/reader/ReaderError.h"

namespace speclore::jet::reader {

struct Descriptions {
    std::optional<std::string> table;
    std::unordered_map<std::string, std::string> columns;
    // The Jet type of each calculated column's result ("ResultType"); the
    // column entry itself holds the type the result is stored in.
    std::unordered_map<std::string, uint8_t> resultTypes;
};

// Raises UnreadableDatabase for a blob whose lengths do not fit.
Descriptions readDescriptions(MdbHandle* mdb, const unsigned char* blob, size_t size);

}  // namespace speclore::jet::reader
