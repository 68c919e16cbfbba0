// Text as the file stores it (UCS-2, compressed or not, in Jet 4 and ACE;
// the database's code page in Jet 3), converted by libmdb to UTF-8.
#pragma once

#include <cstddef>
#include <string>

#include "jet/reader/MdbHeader.h"

namespace speclore::jet::reader {

std::string mdbText(MdbHandle* mdb, const unsigned char* bytes, size_t size);

}  // namespace speclore::jet::reader
