#include "xls/XlsRange.h"

#include <algorithm>
#include <string>

#include "xls/ExcelConstants.h"
#include "xls/Worksheet.h"
#include "xls/XlsError.h"

namespace speclore::xls {

namespace {

constexpr int16_t kFirstBorder = 7;  // xlEdgeLeft
constexpr int16_t kLastBorder = 12;  // xlInsideHorizontal

template <class T>
T require(std::optional<T> value, const char* property, int16_t given) {
    if (!value)
        throwInvalidArgument(std::string(property) + " に指定できない値です: " + std::to_string(given));
    return *value;
}

}  // namespace

XlsRange::XlsRange(Worksheet& sheet, CellFormats& formats, CellAddress first, CellAddress last)
    : sheet_(sheet),
      formats_(formats),
      top_(std::min(first.row, last.row)),
      bottom_(std::max(first.row, last.row)),
      left_(std::min(first.column, last.column)),
      right_(std::max(first.column, last.column)),
      borders_{XlsBorder(*this, 7),  XlsBorder(*this, 8),  XlsBorder(*this, 9),
               XlsBorder(*this, 10), XlsBorder(*this, 11), XlsBorder(*this, 12)},
      interior_(*this),
      font_(*this) {}

void XlsRange::applyTo(uint16_t row, uint16_t column, const XfChange& change) {
    CellAddress cell{row, column};
    uint16_t xf = sheet_.cellXf(cell);
    uint16_t changed = formats_.apply(xf, change);
    if (changed != xf) sheet_.setXf(cell, changed);
}

void XlsRange::applyToCells(const XfChange& change) {
    for (uint32_t r = top_; r <= bottom_; ++r)
        for (uint32_t c = left_; c <= right_; ++c)
            applyTo(static_cast<uint16_t>(r), static_cast<uint16_t>(c), change);
}

void XlsRange::applyToBorder(int16_t index, XfChange change) {
    for (uint32_t r = top_; r <= bottom_; ++r) {
        for (uint32_t c = left_; c <= right_; ++c) {
            uint8_t edges = 0;
            switch (index) {
            case 7: edges = c == left_ ? EdgeLeft : 0; break;
            case 8: edges = r == top_ ? EdgeTop : 0; break;
            case 9: edges = r == bottom_ ? EdgeBottom : 0; break;
            case 10: edges = c == right_ ? EdgeRight : 0; break;
            case 11:
                edges = static_cast<uint8_t>((c < right_ ? EdgeRight : 0) | (c > left_ ? EdgeLeft : 0));
                break;
            case 12:
                edges = static_cast<uint8_t>((r < bottom_ ? EdgeBottom : 0) | (r > top_ ? EdgeTop : 0));
                break;
            default: break;
            }
            if (edges == 0) continue;
            change.edges = edges;
            applyTo(static_cast<uint16_t>(r), static_cast<uint16_t>(c), change);
        }
    }
}

void XlsRange::HorizontalAlignment(int16_t alignment) {
    applyToCells({XfOp::HorizontalAlign, 0,
                  require(horizontalAlignmentCode(alignment), "HorizontalAlignment", alignment)});
}

void XlsRange::VerticalAlignment(int16_t alignment) {
    applyToCells(
        {XfOp::VerticalAlign, 0, require(verticalAlignmentCode(alignment), "VerticalAlignment", alignment)});
}

void XlsRange::WrapText(bool wrap) { applyToCells({XfOp::Wrap, 0, static_cast<uint16_t>(wrap ? 1 : 0)}); }

catalog::XlBorder& XlsRange::Borders(int16_t index) {
    if (index < kFirstBorder || index > kLastBorder)
        throwInvalidArgument("Borders に指定できない番号です: " + std::to_string(index));
    return borders_[static_cast<size_t>(index - kFirstBorder)];
}

void XlsBorder::LineStyle(int16_t style) {
    LineKind kind = require(lineKind(style), "Border.LineStyle", style);
    range_.applyToBorder(index_, {XfOp::LineStyle, 0, static_cast<uint16_t>(kind)});
}

void XlsBorder::Weight(int16_t weight) {
    LineWeight w = require(lineWeight(weight), "Border.Weight", weight);
    range_.applyToBorder(index_, {XfOp::Weight, 0, static_cast<uint16_t>(w)});
}

void XlsBorder::ColorIndex(int16_t colorIndex) {
    if (colorIndex == kExcelNone) {
        range_.applyToBorder(index_, {XfOp::LineStyle, 0, static_cast<uint16_t>(LineKind::None)});
        return;
    }
    range_.applyToBorder(
        index_, {XfOp::BorderColor, 0, require(paletteColor(colorIndex), "Border.ColorIndex", colorIndex)});
}

void XlsInterior::ColorIndex(int16_t colorIndex) {
    uint16_t color = colorIndex == kExcelNone
                         ? kNoFill
                         : require(paletteColor(colorIndex), "Interior.ColorIndex", colorIndex);
    range_.applyToCells({XfOp::FillColor, 0, color});
}

void XlsInterior::Pattern(int16_t pattern) {
    range_.applyToCells(
        {XfOp::FillPattern, 0, require(fillPatternCode(pattern), "Interior.Pattern", pattern)});
}

void XlsInterior::PatternColorIndex(int16_t colorIndex) {
    range_.applyToCells({XfOp::FillPatternColor, 0,
                         require(paletteColor(colorIndex), "Interior.PatternColorIndex", colorIndex)});
}

void XlsFont::Bold(bool bold) { range_.applyToCells({XfOp::Bold, 0, static_cast<uint16_t>(bold ? 1 : 0)}); }

}  // namespace speclore::xls
