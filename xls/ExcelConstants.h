// The object model's constants for alignment, borders and fills, turned
// into the codes a BIFF8 XF stores. Unknown constants give no value; the
// caller raises the error the object model raises.
#pragma once

#include <cstdint>
#include <optional>

#include "xls/CellFormats.h"

namespace speclore::xls {

std::optional<uint16_t> horizontalAlignmentCode(int16_t alignment);
std::optional<uint16_t> verticalAlignmentCode(int16_t alignment);
std::optional<LineKind> lineKind(int16_t lineStyle);
std::optional<LineWeight> lineWeight(int16_t weight);
// A palette colour 1..56 or automatic, as a BIFF colour index.
std::optional<uint16_t> paletteColor(int16_t colorIndex);
std::optional<uint16_t> fillPatternCode(int16_t pattern);

// xlColorIndexNone / xlLineStyleNone / xlPatternNone.
inline constexpr int16_t kExcelNone = -4142;

}  // namespace speclore::xls
