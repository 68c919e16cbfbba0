// Truth values as the settings file holds them.
#pragma once

#include <string>

namespace speclore::frontend {

// "True" or "False" in any letter case, or a number (true when not zero),
// surrounding spaces allowed. Anything else raises a type mismatch (13).
bool textToBoolean(const std::string& text);

inline const char* booleanToText(bool value) { return value ? "True" : "False"; }

}  // namespace speclore::frontend
