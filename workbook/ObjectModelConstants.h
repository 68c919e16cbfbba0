// The object model's constants for alignment, borders and fills, turned
// into the values a format change carries. Unknown constants give no value;
// the caller raises the error the object model raises.
#pragma once

#include <cstdint>
#include <optional>

#include "workbook/FormatChange.h"

namespace speclore::workbook {

std::optional<uint16_t> horizontalAlignment(int16_t alignment);
std::optional<uint16_t> verticalAlignment(int16_t alignment);
std::optional<LineKind> lineKind(int16_t lineStyle);
std::optional<LineWeight> lineWeight(int16_t weight);
// A palette colour 1..56 or automatic, as a colour index of the file.
std::optional<uint16_t> paletteColor(int16_t colorIndex);
std::optional<uint16_t> fillPattern(int16_t pattern);

// xlColorIndexNone / xlLineStyleNone / xlPatternNone.
inline constexpr int16_t kExcelNone = -4142;

}  // namespace speclore::workbook
