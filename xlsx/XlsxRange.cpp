#include "xlsx/XlsxRange.h"

#include <algorithm>
#include <string>

#include "xlsx/ObjectModelConstants.h"
#include "xlsx/SheetPart.h"
#include "xlsx/XlsxError.h"

namespace speclore::xlsx {

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

XlsxRange::XlsxRange(SheetPart& sheet, StyleSheet& styles, CellReference first, CellReference last)
    : sheet_(sheet),
      styles_(styles),
      top_(std::min(first.row, last.row)),
      bottom_(std::max(first.row, last.row)),
      left_(std::min(first.column, last.column)),
      right_(std::max(first.column, last.column)),
      borders_{XlsxBorder(*this, 7),  XlsxBorder(*this, 8),  XlsxBorder(*this, 9),
               XlsxBorder(*this, 10), XlsxBorder(*this, 11), XlsxBorder(*this, 12)},
      interior_(*this),
      font_(*this) {}

void XlsxRange::applyTo(uint32_t row, uint32_t column, const StyleChange& change) {
    CellReference cell{row, column};
    uint32_t xf = sheet_.cellFormat(cell);
    uint32_t changed = styles_.apply(xf, change);
    if (changed != xf) sheet_.setFormat(cell, changed);
}

void XlsxRange::applyToCells(const StyleChange& change) {
    for (uint32_t r = top_; r <= bottom_; ++r)
        for (uint32_t c = left_; c <= right_; ++c) applyTo(r, c, change);
}

void XlsxRange::applyToBorder(int16_t index, StyleChange change) {
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
            applyTo(r, c, change);
        }
    }
}

void XlsxRange::HorizontalAlignment(int16_t alignment) {
    applyToCells({StyleOp::HorizontalAlign, 0,
                  require(horizontalAlignment(alignment), "HorizontalAlignment", alignment)});
}

void XlsxRange::VerticalAlignment(int16_t alignment) {
    applyToCells(
        {StyleOp::VerticalAlign, 0, require(verticalAlignment(alignment), "VerticalAlignment", alignment)});
}

void XlsxRange::WrapText(bool wrap) { applyToCells({StyleOp::Wrap, 0, static_cast<uint16_t>(wrap ? 1 : 0)}); }

catalog::XlBorder& XlsxRange::Borders(int16_t index) {
    if (index < kFirstBorder || index > kLastBorder)
        throwInvalidArgument("Borders に指定できない番号です: " + std::to_string(index));
    return borders_[static_cast<size_t>(index - kFirstBorder)];
}

void XlsxBorder::LineStyle(int16_t style) {
    LineKind kind = require(lineKind(style), "Border.LineStyle", style);
    range_.applyToBorder(index_, {StyleOp::LineStyle, 0, static_cast<uint16_t>(kind)});
}

void XlsxBorder::Weight(int16_t weight) {
    LineWeight w = require(lineWeight(weight), "Border.Weight", weight);
    range_.applyToBorder(index_, {StyleOp::Weight, 0, static_cast<uint16_t>(w)});
}

void XlsxBorder::ColorIndex(int16_t colorIndex) {
    if (colorIndex == kExcelNone) {
        range_.applyToBorder(index_, {StyleOp::LineStyle, 0, static_cast<uint16_t>(LineKind::None)});
        return;
    }
    range_.applyToBorder(index_, {StyleOp::BorderColor, 0,
                                  require(paletteColor(colorIndex), "Border.ColorIndex", colorIndex)});
}

void XlsxInterior::ColorIndex(int16_t colorIndex) {
    uint16_t color = colorIndex == kExcelNone
                         ? kNoFill
                         : require(paletteColor(colorIndex), "Interior.ColorIndex", colorIndex);
    range_.applyToCells({StyleOp::FillColor, 0, color});
}

void XlsxInterior::Pattern(int16_t pattern) {
    range_.applyToCells(
        {StyleOp::FillPattern, 0, require(fillPattern(pattern), "Interior.Pattern", pattern)});
}

void XlsxInterior::PatternColorIndex(int16_t colorIndex) {
    range_.applyToCells({StyleOp::FillPatternColor, 0,
                         require(paletteColor(colorIndex), "Interior.PatternColorIndex", colorIndex)});
}

void XlsxFont::Bold(bool bold) {
    range_.applyToCells({StyleOp::Bold, 0, static_cast<uint16_t>(bold ? 1 : 0)});
}

}  // namespace speclore::xlsx
