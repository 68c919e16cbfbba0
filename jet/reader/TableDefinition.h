// Reads a table definition (TDEF) straight from its pages: the column
// entries with their stored flags, sort order and length, and the logical
// index entries joined with the physical indexes they use. libmdb drops the
// hyperlink flag and gives foreign-key indexes without columns, so the
// reader walks the raw pages itself.
#pragma once

#include <cstdint>

#include "jet/Snapshot.h"
#include "jet/reader/MdbHeader.h"
#include "jet/reader/ReaderError.h"

namespace speclore::jet::reader {

// Raises UnreadableDatabase when the pages are not a well-formed
// definition. Descriptions are left empty.
RawTable readTableDefinition(MdbHandle* mdb, uint32_t firstPage);

}  // namespace speclore::jet::reader
