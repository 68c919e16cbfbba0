// Text as the file stores it (UCS-2, compressed or not, in Jet 4 and ACE;
// the database's code page in Jet 3), converted to UTF-8 exactly as libmdb
// converts it. Jet 4 and ACE text is decoded here directly: libmdb's
// conversion goes through iconv for every string, which cost the reader a
// quarter of its time.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "jet/reader/MdbHeader.h"

namespace speclore::jet::reader {

std::string mdbText(MdbHandle* mdb, const unsigned char* bytes, size_t size);

// The same text, valid until the next conversion: for text that is only
// compared, or copied into a string that already has room.
std::string_view mdbTextView(MdbHandle* mdb, const unsigned char* bytes, size_t size);

// Whether the text converts to exactly `expected`, without keeping it.
bool mdbTextIs(MdbHandle* mdb, const unsigned char* bytes, size_t size, std::string_view expected);

// A Text column's value as libmdb hands out a bound one: converted, then
// cut at its first NUL.
std::string mdbFieldText(MdbHandle* mdb, const unsigned char* bytes, size_t size);

// Jet 4 and ACE text: UCS-2LE, or, after the marker FF FE, Access's
// compressed form, where a zero byte switches between one byte per
// character (U+0000 to U+00FF) and two. As libmdb gives it: a surrogate
// becomes '?', an odd last byte is dropped, and in the two-byte mode a
// character whose low byte is zero reads as a switch.
std::string unicodeText(const unsigned char* bytes, size_t size);

}  // namespace speclore::jet::reader
