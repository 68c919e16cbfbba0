// Cell addresses in A1 notation: "A1" to "IV65536", letters in either case,
// each part optionally preceded by "$".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace speclore::xls {

inline constexpr uint32_t kMaxRows = 65536;
inline constexpr uint32_t kMaxColumns = 256;

struct CellAddress {
    uint16_t row = 0;     // from 0
    uint16_t column = 0;  // from 0
};

// Raises error 1004 for anything that is no cell of the worksheet.
CellAddress parseCellAddress(std::string_view text);
// The same for a cell given by its row and column numbers, from 1; inline
// because the sheet writers give every cell this way.
[[noreturn]] void throwNoCellAt(int64_t row, int64_t column);
inline CellAddress cellAddressAt(int64_t row, int64_t column) {
    if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) throwNoCellAt(row, column);
    return {static_cast<uint16_t>(row - 1), static_cast<uint16_t>(column - 1)};
}

// "A1" form of a cell, for messages and tests.
std::string formatCellAddress(CellAddress cell);

}  // namespace speclore::xls
