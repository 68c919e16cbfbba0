// Reads a table definition (TDEF) straight from its pages: the column
// entries with their stored flags, sort order and length, and the logical
// index entries joined with the physical indexes they use. libmdb drops the
// hyperlink flag and gives foreign-key indexes without columns, so the
// reader walks the raw pages itself.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "jet/Snapshot.h"
#include "jet/reader/MdbHeader.h"
#include "jet/reader/ReaderError.h"

namespace speclore::jet::reader {

// The type table of each complex column by its complex id (ACE keeps the
// id in the column entry and the type in MSysComplexColumns).
using ComplexTypeTables = std::map<uint32_t, std::string>;

// Raises UnreadableDatabase when the pages are not a well-formed
// definition. Descriptions are left empty; a complex column whose id
// `complexTypes` lacks keeps an empty type table.
RawTable readTableDefinition(MdbHandle* mdb, uint32_t firstPage, const ComplexTypeTables& complexTypes = {});

}  // namespace speclore::jet::reader
