#include "xls/XlsRange.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

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

// The edges of a cell at `place` (the rectangle's sides it lies on) that
// Borders(index) reaches.
uint8_t edgesOf(int16_t index, uint8_t place) {
    switch (index) {
    case 7: return place & EdgeLeft;
    case 8: return place & EdgeTop;
    case 9: return place & EdgeBottom;
    case 10: return place & EdgeRight;
    case 11:
        return static_cast<uint8_t>((place & EdgeRight ? 0 : EdgeRight) | (place & EdgeLeft ? 0 : EdgeLeft));
    case 12:
        return static_cast<uint8_t>((place & EdgeBottom ? 0 : EdgeBottom) | (place & EdgeTop ? 0 : EdgeTop));
    default: return 0;
    }
}

// Borders(index) of a range: 7 to 12.
void requireBorderIndex(int16_t index) {
    if (index < kFirstBorder || index > kLastBorder)
        throwInvalidArgument("Borders に指定できない番号です: " + std::to_string(index));
}

XfChange lineStyleChange(int16_t style) {
    LineKind kind = require(lineKind(style), "Border.LineStyle", style);
    return {XfOp::LineStyle, 0, static_cast<uint16_t>(kind)};
}

XfChange weightChange(int16_t weight) {
    LineWeight w = require(lineWeight(weight), "Border.Weight", weight);
    return {XfOp::Weight, 0, static_cast<uint16_t>(w)};
}

// A border's colour; "none" takes the line away.
XfChange borderColorChange(int16_t colorIndex) {
    if (colorIndex == kExcelNone) return {XfOp::LineStyle, 0, static_cast<uint16_t>(LineKind::None)};
    return {XfOp::BorderColor, 0, require(paletteColor(colorIndex), "Border.ColorIndex", colorIndex)};
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

// Cells that start with the same XF at the same place in the rectangle
// (a corner, an edge, the inside) end alike. Each group's changes are
// worked out once, the groups taken in the order in which a pass cell by
// cell, change after change, first meets them: new formats are then added
// in the same order as by that pass, and the file comes out the same.
void XlsRange::apply(std::span<const RangeChange> changes) {
    struct Group {
        uint16_t xf;
        uint8_t place;
        bool changed;
    };
    std::vector<Group> groups;
    std::unordered_map<uint32_t, uint32_t> groupByKey;
    std::vector<uint32_t> groupOfCell;
    groupOfCell.reserve(static_cast<size_t>(bottom_ - top_ + 1) * (right_ - left_ + 1));
    uint32_t lastKey = UINT32_MAX, lastGroup = 0;
    for (uint32_t r = top_; r <= bottom_; ++r) {
        for (uint32_t c = left_; c <= right_; ++c) {
            const uint8_t place =
                static_cast<uint8_t>((r == top_ ? EdgeTop : 0) | (r == bottom_ ? EdgeBottom : 0) |
                                     (c == left_ ? EdgeLeft : 0) | (c == right_ ? EdgeRight : 0));
            const uint16_t xf = sheet_.cellXf({static_cast<uint16_t>(r), static_cast<uint16_t>(c)});
            const uint32_t key = static_cast<uint32_t>(xf) << 8 | place;
            if (key != lastKey) {
                auto [at, added] = groupByKey.try_emplace(key, static_cast<uint32_t>(groups.size()));
                if (added) groups.push_back({xf, place, false});
                lastKey = key;
                lastGroup = at->second;
            }
            groupOfCell.push_back(lastGroup);
        }
    }
    for (const RangeChange& step : changes) {
        for (Group& group : groups) {
            XfChange change = step.change;
            if (step.border != 0) {
                change.edges = edgesOf(step.border, group.place);
                if (change.edges == 0) continue;
            }
            const uint16_t xf = formats_.apply(group.xf, change);
            if (xf == group.xf) continue;
            group.xf = xf;
            group.changed = true;
        }
    }
    size_t cell = 0;
    for (uint32_t r = top_; r <= bottom_; ++r) {
        for (uint32_t c = left_; c <= right_; ++c) {
            const Group& group = groups[groupOfCell[cell++]];
            if (group.changed) sheet_.setXf({static_cast<uint16_t>(r), static_cast<uint16_t>(c)}, group.xf);
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
    requireBorderIndex(index);
    return borders_[static_cast<size_t>(index - kFirstBorder)];
}

void XlsRange::SetBorders(std::span<const catalog::XlBorderLine> lines) {
    std::vector<RangeChange> changes;
    changes.reserve(lines.size() * 3);
    for (const catalog::XlBorderLine& line : lines) {
        requireBorderIndex(line.index);
        changes.push_back({line.index, lineStyleChange(line.lineStyle)});
        changes.push_back({line.index, weightChange(line.weight)});
        changes.push_back({line.index, borderColorChange(line.colorIndex)});
    }
    apply(changes);
}

void XlsRange::applyToCells(const XfChange& change) {
    const RangeChange whole{0, change};
    apply({&whole, 1});
}

void XlsBorder::applyToBorder(const XfChange& change) {
    const RangeChange line{index_, change};
    range_.apply({&line, 1});
}

void XlsBorder::LineStyle(int16_t style) { applyToBorder(lineStyleChange(style)); }

void XlsBorder::Weight(int16_t weight) { applyToBorder(weightChange(weight)); }

void XlsBorder::ColorIndex(int16_t colorIndex) { applyToBorder(borderColorChange(colorIndex)); }

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
