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

// Appends the UTF-8 form of one code point (at most U+10FFFF); inline
// because both engines call it once per character of every cell text.
inline void appendCodePoint(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// The UTF-16 form that BIFF8 stores.
std::u16string utf8ToUtf16(std::string_view text);

}  // namespace speclore::workbook
