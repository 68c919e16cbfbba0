// UTF-8 text of the program to the UTF-16 text that BIFF8 stores.
#pragma once

#include <string>
#include <string_view>

namespace speclore::xls {

// Malformed sequences become U+FFFD, so no input can fail the conversion.
std::u16string utf8ToUtf16(std::string_view text);

}  // namespace speclore::xls
