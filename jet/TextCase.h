// Jet compares names and text without regard to case: table names in the
// catalog, column names, and text in SQL comparisons and ORDER BY. Case is
// folded for ASCII, Latin-1, Greek, Cyrillic and the full-width Latin
// letters that Japanese names often hold.
#pragma once

#include <string>
#include <string_view>

namespace speclore::jet {

// The code point at `i`, advancing past it; a byte that does not start a
// whole UTF-8 sequence stands for itself.
char32_t nextCodePoint(std::string_view utf8, size_t& i);

// The lower-case form of an upper-case letter of the alphabets below.
char32_t foldCase(char32_t c);

// The text's code points with case folded; invalid UTF-8 bytes stand for
// themselves. Equal keys mean equal text to Jet.
std::u32string caseFoldKey(std::string_view utf8);

// <0, 0 or >0, comparing the folded code points.
int compareIgnoringCase(std::string_view a, std::string_view b);

inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return compareIgnoringCase(a, b) == 0;
}

}  // namespace speclore::jet
