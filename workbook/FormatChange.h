// The one attribute of a cell's format that a range operation changes, in
// the codes both file formats store: alignments, line styles, palette colours
// and fill patterns are numbered alike in a BIFF8 XF and an .xlsx style sheet.
#pragma once

#include <cstdint>

namespace speclore::workbook {

// Border edges of one cell, combinable as a mask.
enum EdgeMask : uint8_t { EdgeLeft = 1, EdgeRight = 2, EdgeTop = 4, EdgeBottom = 8 };

// The drawing style of a border line as the object model names it apart
// from its weight; a line style of either file is the pair.
enum class LineKind : uint8_t { None, Continuous, Dash, Dot, DashDot, DashDotDot, Double, SlantDashDot };
enum class LineWeight : uint8_t { Hairline, Thin, Medium, Thick };

enum class FormatOp : uint8_t {
    HorizontalAlign,   // value: 0 general, 1 left, 2 center, 3 right, 4 fill, 5 justify,
                       //        6 centre across selection, 7 distributed
    VerticalAlign,     // value: 0 top, 1 center, 2 bottom, 3 justify, 4 distributed
    Wrap,              // value: 0 or 1
    LineStyle,         // value: LineKind
    Weight,            // value: LineWeight
    BorderColor,       // value: colour index
    FillColor,         // value: colour index, or kNoFill
    FillPattern,       // value: 0 none, 1 solid, 2 to 18 the other patterns in the files' order
    FillPatternColor,  // value: colour index
    Bold,              // value: 0 or 1
};

struct FormatChange {
    FormatOp op;
    uint8_t edges = 0;  // border operations only
    uint16_t value = 0;
};

// Colour indexes: 8 to 63 the palette (ColorIndex n is n + 7), 64 the
// automatic (system foreground) colour, 65 the system background.
inline constexpr uint16_t kAutomaticColor = 64;
inline constexpr uint16_t kWindowBackground = 65;
inline constexpr uint16_t kNoFill = 0xFFFF;

}  // namespace speclore::workbook
