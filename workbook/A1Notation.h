// Cell addresses in A1 notation, "A1" to the last cell of a sheet: column
// letters in either case, then the row number, each part optionally preceded
// by "$". Each engine checks the numbers against its own sheet size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace speclore::workbook {

struct A1Parts {
    uint32_t row;     // from 1
    uint32_t column;  // from 1
};

// The column and row numbers of `text`, with at most `maxLetters` letters
// and `maxDigits` digits; nothing for anything else, a row 0 included.
std::optional<A1Parts> splitA1(std::string_view text, size_t maxLetters, size_t maxDigits);

// Appends the letters of `column` (from 0): "A" to "XFD" for 0 to 16383.
void appendColumnLetters(std::string& out, uint32_t column);

// "A1" form of a cell, row and column from 0.
std::string formatA1(uint32_t row, uint32_t column);

}  // namespace speclore::workbook
