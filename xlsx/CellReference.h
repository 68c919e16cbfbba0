// Cell references in A1 notation on a sheet of 1,048,576 rows and 16,384
// columns: "A1" to "XFD1048576", letters in either case, each part
// optionally preceded by "$".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace speclore::xlsx {

inline constexpr uint32_t kMaxRows = 1048576;
inline constexpr uint32_t kMaxColumns = 16384;

struct CellReference {
    uint32_t row = 0;     // from 0
    uint32_t column = 0;  // from 0
};

// The cell, or nothing for anything that is no cell of the sheet.
std::optional<CellReference> readCellReference(std::string_view text);

// Raises error 1004 for anything that is no cell of the sheet.
CellReference parseCellReference(std::string_view text);

// "A1" form of a cell.
std::string formatCellReference(CellReference cell);

}  // namespace speclore::xlsx
