// The program's text (UTF-8) read code point by code point, as both file
// formats store text in Unicode. Malformed sequences read as U+FFFD, so no
// input can fail a conversion.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace speclore::workbook {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes the code point at `i` of `text` (i < text.size()) and advances `i`
// past it; a malformed sequence gives U+FFFD.
char32_t nextCodePoint(std::string_view text, size_t& i);

// The UTF-16 form that BIFF8 stores.
std::u16string utf8ToUtf16(std::string_view text);

}  // namespace speclore::workbook
