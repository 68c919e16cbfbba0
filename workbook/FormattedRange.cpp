#include "workbook/FormattedRange.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/Invariant.h"
#include "workbook/ObjectModelConstants.h"
#include "workbook/ScratchBuffer.h"
#include "workbook/WorkbookError.h"

namespace speclore::workbook {

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

FormatChange horizontalChange(int16_t alignment) {
    return {FormatOp::HorizontalAlign, 0,
            require(horizontalAlignment(alignment), "HorizontalAlignment", alignment)};
}

FormatChange verticalChange(int16_t alignment) {
    return {FormatOp::VerticalAlign, 0,
            require(verticalAlignment(alignment), "VerticalAlignment", alignment)};
}

FormatChange wrapChange(bool wrap) { return {FormatOp::Wrap, 0, static_cast<uint16_t>(wrap ? 1 : 0)}; }

FormatChange lineStyleChange(int16_t style) {
    LineKind kind = require(lineKind(style), "Border.LineStyle", style);
    return {FormatOp::LineStyle, 0, static_cast<uint16_t>(kind)};
}

FormatChange weightChange(int16_t weight) {
    LineWeight w = require(lineWeight(weight), "Border.Weight", weight);
    return {FormatOp::Weight, 0, static_cast<uint16_t>(w)};
}

// A border's colour; "none" takes the line away.
FormatChange borderColorChange(int16_t colorIndex) {
    if (colorIndex == kExcelNone) return {FormatOp::LineStyle, 0, static_cast<uint16_t>(LineKind::None)};
    return {FormatOp::BorderColor, 0, require(paletteColor(colorIndex), "Border.ColorIndex", colorIndex)};
}

FormatChange fillColorChange(int16_t colorIndex) {
    const uint16_t color = colorIndex == kExcelNone
                               ? kNoFill
                               : require(paletteColor(colorIndex), "Interior.ColorIndex", colorIndex);
    return {FormatOp::FillColor, 0, color};
}

FormatChange fillPatternChange(int16_t pattern) {
    return {FormatOp::FillPattern, 0, require(fillPattern(pattern), "Interior.Pattern", pattern)};
}

FormatChange fillPatternColorChange(int16_t colorIndex) {
    return {FormatOp::FillPatternColor, 0,
            require(paletteColor(colorIndex), "Interior.PatternColorIndex", colorIndex)};
}

FormatChange boldChange(bool bold) { return {FormatOp::Bold, 0, static_cast<uint16_t>(bold ? 1 : 0)}; }

// What one setter does to the range; raises for a value the object model
// refuses.
RangeChange rangeChange(const catalog::XlSetting& setting) {
    using catalog::XlSetter;
    switch (setting.setter) {
    case XlSetter::HorizontalAlignment: return {0, horizontalChange(setting.value)};
    case XlSetter::VerticalAlignment: return {0, verticalChange(setting.value)};
    case XlSetter::WrapText: return {0, wrapChange(setting.value != 0)};
    case XlSetter::BorderLineStyle:
        requireBorderIndex(setting.border);
        return {setting.border, lineStyleChange(setting.value)};
    case XlSetter::BorderWeight:
        requireBorderIndex(setting.border);
        return {setting.border, weightChange(setting.value)};
    case XlSetter::BorderColorIndex:
        requireBorderIndex(setting.border);
        return {setting.border, borderColorChange(setting.value)};
    case XlSetter::InteriorColorIndex: return {0, fillColorChange(setting.value)};
    case XlSetter::InteriorPattern: return {0, fillPatternChange(setting.value)};
    case XlSetter::InteriorPatternColorIndex: return {0, fillPatternColorChange(setting.value)};
    case XlSetter::FontBold: return {0, boldChange(setting.value != 0)};
    }
    // The enumeration names every setter there is.
    invariantBroken("a known XlSetter", __FILE__, __LINE__);
}

// Room in place for a row of a catalog block, and for the rows and cells of
// all but the longest blocks; larger ranges take the heap.
constexpr size_t kRowInPlace = 16;
constexpr size_t kRowsInPlace = 128;
// A block's heading row, the most the sheet writers set at once, takes 19
// settings: an alignment, five lines of three setters and the interior.
constexpr size_t kSettingsInPlace = 24;
constexpr size_t kCellsInPlace = 512;

// Cells that start alike (see apply) and what their format has become.
struct RangeGroup {
    uint32_t start;
    uint32_t format;
    uint8_t place;
    bool known;  // from an earlier range of the workbook
    bool changed;
};

// The groups of a range in the order first met. A range of a sheet's block
// has a handful, kept in place and found by a look along them; past that a
// hash map finds them.
class RangeGroups {
public:
    uint32_t indexOf(uint32_t format, uint8_t place) {
        if (spilled_.empty()) {
            for (uint32_t i = 0; i < count_; ++i)
                if (inPlace_[i].start == format && inPlace_[i].place == place) return i;
            if (count_ < kInPlace) {
                inPlace_[count_] = {format, format, place, false, false};
                return count_++;
            }
            spilled_.assign(inPlace_.begin(), inPlace_.end());
            for (uint32_t i = 0; i < count_; ++i)
                byKey_.emplace(keyOf(inPlace_[i].start, inPlace_[i].place), i);
        }
        auto [at, added] = byKey_.try_emplace(keyOf(format, place), static_cast<uint32_t>(spilled_.size()));
        if (added) spilled_.push_back({format, format, place, false, false});
        return at->second;
    }

    std::span<RangeGroup> all() {
        if (spilled_.empty()) return std::span<RangeGroup>(inPlace_).first(count_);
        return spilled_;
    }

private:
    static constexpr uint32_t kInPlace = 16;
    std::array<RangeGroup, kInPlace> inPlace_;
    uint32_t count_ = 0;
    std::vector<RangeGroup> spilled_;
    std::unordered_map<uint64_t, uint32_t> byKey_;

    static uint64_t keyOf(uint32_t format, uint8_t place) {
        return static_cast<uint64_t>(format) << 8 | place;
    }
};

}  // namespace

FormattedRange::FormattedRange(RangeCell first, RangeCell last)
    : top_(std::min(first.row, last.row)),
      bottom_(std::max(first.row, last.row)),
      left_(std::min(first.column, last.column)),
      right_(std::max(first.column, last.column)),
      borders_{RangeBorder(*this, 7),  RangeBorder(*this, 8),  RangeBorder(*this, 9),
               RangeBorder(*this, 10), RangeBorder(*this, 11), RangeBorder(*this, 12)},
      interior_(*this),
      font_(*this) {}

// Cells that start with the same format at the same place in the rectangle
// (a corner, an edge, the inside) end alike. Each group's changes are
// worked out once, the groups taken in the order in which a pass cell by
// cell, change after change, first meets them: new formats are then added
// in the same order as by that pass, and the file comes out the same.
//
// Rows are mostly alike (a block's field rows show the formats of their
// columns), so a row that starts as the one above it, at the same place,
// takes that row's groups without looking at its cells: it brings no new
// group, which keeps the order of the groups.
void FormattedRange::apply(std::span<const RangeChange> changes) {
    const uint32_t width = right_ - left_ + 1;
    const uint32_t height = bottom_ - top_ + 1;
    ScratchBuffer<uint32_t, 2 * kRowInPlace> twoRows(2 * static_cast<size_t>(width));
    std::span<uint32_t> formats = twoRows.span().first(width);
    std::span<uint32_t> above = twoRows.span().subspan(width);
    // The groups of each distinct row in turn, and which of them each row is.
    ScratchBuffer<uint32_t, kCellsInPlace> groupOfCell(static_cast<size_t>(height) * width);
    ScratchBuffer<uint32_t, kRowsInPlace> shapeOfRow(height);
    RangeGroups groups;
    uint32_t shapes = 0;
    uint8_t placeAbove = 0;
    for (uint32_t r = top_; r <= bottom_; ++r) {
        rowFormats({r, left_}, formats);
        const uint8_t rowPlace =
            static_cast<uint8_t>((r == top_ ? EdgeTop : 0) | (r == bottom_ ? EdgeBottom : 0));
        if (r == top_ || rowPlace != placeAbove || !std::ranges::equal(formats, above)) {
            uint32_t* groupOf = &groupOfCell[static_cast<size_t>(shapes) * width];
            uint64_t lastKey = UINT64_MAX;
            uint32_t lastGroup = 0;
            for (uint32_t k = 0; k < width; ++k) {
                const uint8_t place = static_cast<uint8_t>(rowPlace | (k == 0 ? EdgeLeft : 0) |
                                                           (k == width - 1 ? EdgeRight : 0));
                const uint64_t key = static_cast<uint64_t>(formats[k]) << 8 | place;
                if (key != lastKey) {
                    lastKey = key;
                    lastGroup = groups.indexOf(formats[k], place);
                }
                groupOf[k] = lastGroup;
            }
            ++shapes;
            std::swap(above, formats);
            placeAbove = rowPlace;
        }
        shapeOfRow[r - top_] = shapes - 1;
    }
    // Groups whose outcome an earlier range worked out take it; the others
    // go through the changes, whose calls for a known group would only find
    // formats the workbook already holds.
    FormatOutcomes& known = outcomes();
    const uint32_t list = known.listNumber(changes);
    bool anyChanged = false, anyUnknown = false;
    for (RangeGroup& group : groups.all()) {
        const std::optional<uint32_t> outcome = known.find(list, group.start, group.place);
        if (!outcome) {
            anyUnknown = true;
            continue;
        }
        group.known = true;
        group.format = *outcome;
        group.changed = *outcome != group.start;
        anyChanged |= group.changed;
    }
    if (anyUnknown) {
        for (const RangeChange& step : changes) {
            for (RangeGroup& group : groups.all()) {
                if (group.known) continue;
                FormatChange change = step.change;
                if (step.border != 0) {
                    change.edges = edgesOf(step.border, group.place);
                    if (change.edges == 0) continue;
                }
                const uint32_t format = changedFormat(group.format, change);
                if (format == group.format) continue;
                group.format = format;
                group.changed = true;
                anyChanged = true;
            }
        }
        for (const RangeGroup& group : groups.all())
            if (!group.known) known.remember(list, group.start, group.place, group.format);
    }
    if (!anyChanged) return;
    // Each distinct row's formats become what its cells are set to, and
    // a row whose cells all stay is not visited.
    const std::span<const RangeGroup> found = groups.all();
    ScratchBuffer<uint8_t, kRowsInPlace> shapeChanges(shapes);
    for (uint32_t shape = 0; shape < shapes; ++shape) {
        uint32_t* row = &groupOfCell[static_cast<size_t>(shape) * width];
        bool changing = false;
        for (uint32_t k = 0; k < width; ++k) {
            const RangeGroup& group = found[row[k]];
            row[k] = group.changed ? group.format : kKeepFormat;
            changing |= group.changed;
        }
        shapeChanges[shape] = changing;
    }
    for (uint32_t r = top_; r <= bottom_; ++r) {
        const uint32_t shape = shapeOfRow[r - top_];
        if (shapeChanges[shape])
            setRowFormats({r, left_}, groupOfCell.span().subspan(static_cast<size_t>(shape) * width, width));
    }
}

void FormattedRange::rowFormats(RangeCell first, std::span<uint32_t> formats) const {
    for (uint32_t k = 0; k < formats.size(); ++k) formats[k] = cellFormat({first.row, first.column + k});
}

void FormattedRange::setRowFormats(RangeCell first, std::span<const uint32_t> formats) {
    for (uint32_t k = 0; k < formats.size(); ++k)
        if (formats[k] != kKeepFormat) setCellFormat({first.row, first.column + k}, formats[k]);
}

void FormattedRange::HorizontalAlignment(int16_t alignment) { applyToCells(horizontalChange(alignment)); }

void FormattedRange::VerticalAlignment(int16_t alignment) { applyToCells(verticalChange(alignment)); }

void FormattedRange::WrapText(bool wrap) { applyToCells(wrapChange(wrap)); }

catalog::XlBorder& FormattedRange::Borders(int16_t index) {
    requireBorderIndex(index);
    return borders_[static_cast<size_t>(index - kFirstBorder)];
}

void FormattedRange::Set(std::span<const catalog::XlSetting> settings) {
    ScratchBuffer<RangeChange, kSettingsInPlace> changes(settings.size());
    for (size_t k = 0; k < settings.size(); ++k) changes[k] = rangeChange(settings[k]);
    apply(changes.span());
}

void FormattedRange::applyToCells(const FormatChange& change) {
    const RangeChange whole{0, change};
    apply({&whole, 1});
}

void RangeBorder::applyToBorder(const FormatChange& change) {
    const RangeChange line{index_, change};
    range_.apply({&line, 1});
}

void RangeBorder::LineStyle(int16_t style) { applyToBorder(lineStyleChange(style)); }

void RangeBorder::Weight(int16_t weight) { applyToBorder(weightChange(weight)); }

void RangeBorder::ColorIndex(int16_t colorIndex) { applyToBorder(borderColorChange(colorIndex)); }

void RangeInterior::ColorIndex(int16_t colorIndex) { range_.applyToCells(fillColorChange(colorIndex)); }

void RangeInterior::Pattern(int16_t pattern) { range_.applyToCells(fillPatternChange(pattern)); }

void RangeInterior::PatternColorIndex(int16_t colorIndex) {
    range_.applyToCells(fillPatternColorChange(colorIndex));
}

void RangeFont::Bold(bool bold) { range_.applyToCells(boldChange(bold)); }

}  // namespace speclore::workbook
