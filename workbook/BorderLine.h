// A border line of one cell edge as both file formats code it: a BIFF8 XF
// numbers the line styles 0 to 13, and an .xlsx style sheet names the same
// styles in the same order. The object model's LineStyle and Weight each
// change one half of the pair.
#pragma once

#include <cstdint>

#include "workbook/FormatChange.h"

namespace speclore::workbook {

struct BorderLine {
    LineKind kind;
    LineWeight weight;
};

// The codes 0 (no line) to 13.
inline constexpr uint32_t kLineCodeCount = 14;

// The line a code stands for; an unknown code is no line.
BorderLine lineOfCode(uint32_t code);

// The code of a line; a weight the kind does not come in gives the kind's
// nearest code.
uint32_t codeOfLine(BorderLine line);

// The line an edge has after a LineStyle, Weight or BorderColor change:
// giving a missing line a weight or a colour draws it thin and continuous.
BorderLine changedLine(BorderLine line, const FormatChange& change);

}  // namespace speclore::workbook
