// The database password that Jet 3 and Jet 4 keep in the header page.
//
// Jet 4 stores up to 20 UTF-16LE characters at 0x42, XORed (besides the
// header mask) with the integer part of the creation date at 0x72, so each
// file has its own key. Jet 3 stores up to 20 bytes in the database's code
// page at the same offset, under the header mask only. ACE keeps no
// password there: an ACE password encrypts the whole file.
#pragma once

#include <string>

#include "jet/HeaderPage.h"

namespace speclore::jet {

// The stored password, cut at its first NUL character: UTF-16LE bytes in
// Jet 4, code-page bytes in Jet 3; empty when the database has none.
std::string storedPassword(const HeaderPage& header);

// True when `utf8Password` is the stored password, compared exactly (case
// matters). A password that the database's encoding cannot hold never
// matches.
bool passwordMatches(const HeaderPage& header, const std::string& utf8Password);

}  // namespace speclore::jet
