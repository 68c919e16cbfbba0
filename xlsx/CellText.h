// Text of the program (UTF-8) as an inline string of a cell.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace speclore::xlsx {

// The most UTF-16 code units a cell holds.
inline constexpr size_t kMaxCellText = 32767;

// Appends `text` as the character data of a <t> element: markup characters
// escaped, characters XML cannot carry (controls, U+FFFE, U+FFFF) and
// underscores that would read as such an escape written as _xHHHH_, and
// malformed UTF-8 as U+FFFD. Gives the length in UTF-16 code units.
size_t appendCellText(std::string& out, std::string_view text);

}  // namespace speclore::xlsx
