// The password wrapper (module mBlowfish) over the cipher library
// _blowfish.so, loaded by name on first use from the program's folder first.
#pragma once

#include <string>

namespace speclore {

// The encrypted text form of `text` under `key`; "" when the library wrote
// nothing or failed (a failure shows one error box naming "BFEncode").
std::string BFEncode(const std::string& key, const std::string& text);
// The password back from its encrypted text form; "" likewise ("BFDecode").
std::string BFDecode(const std::string& key, const std::string& text);

// The one fixed key under which the main window keeps its two passwords.
inline constexpr const char* kPasswordKey = "vemtal";

}  // namespace speclore
