// The fixed Japanese text that the error box shows for an error number.
#pragma once

#include <cstdint>
#include <string>

namespace speclore {

// The text for the number, or the generic text for an application-defined
// or object-defined error when the number has none of its own.
const std::string& standardMessageText(int32_t number);

}  // namespace speclore
