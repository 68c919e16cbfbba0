// The descriptions kept in an MSysObjects.LvProp blob ("KKD\0" in Jet 3,
// "MR2\0" in Jet 4): a chunk listing property names, then property sets,
// the unnamed one for the table and one per column. libmdb's own parser
// trusts every length in the blob and loops forever on a zero one, so the
// reader parses it itself and checks each length.
#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>

#include "jet/reader/MdbHeader.h"

namespace speclore::jet::reader {

class CorruptProperties : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Descriptions {
    std::optional<std::string> table;
    std::map<std::string, std::string> columns;
};

// Raises CorruptProperties for a blob whose lengths do not fit.
Descriptions readDescriptions(MdbHandle* mdb, const unsigned char* blob, size_t size);

}  // namespace speclore::jet::reader
