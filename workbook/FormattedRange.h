// Range(first, last) of a worksheet as the object model has it: every setter
// changes one attribute of each cell in the rectangle, keeping the rest of
// the cell's format. An engine says where a cell's format lives and what a
// format becomes under a change; the rest is the same for every file format.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "catalog/Spreadsheet.h"
#include "workbook/FormatChange.h"
#include "workbook/FormatOutcomes.h"

namespace speclore::workbook {

class FormattedRange;

class RangeBorder : public catalog::XlBorder {
public:
    RangeBorder(FormattedRange& range, int16_t index) : range_(range), index_(index) {}
    void LineStyle(int16_t style) override;
    void Weight(int16_t weight) override;
    void ColorIndex(int16_t colorIndex) override;

private:
    FormattedRange& range_;
    int16_t index_;

    void applyToBorder(const FormatChange& change);
};

class RangeInterior : public catalog::XlInterior {
public:
    explicit RangeInterior(FormattedRange& range) : range_(range) {}
    void ColorIndex(int16_t colorIndex) override;
    void Pattern(int16_t pattern) override;
    void PatternColorIndex(int16_t colorIndex) override;

private:
    FormattedRange& range_;
};

class RangeFont : public catalog::XlFont {
public:
    explicit RangeFont(FormattedRange& range) : range_(range) {}
    void Bold(bool bold) override;

private:
    FormattedRange& range_;
};

// A cell of the rectangle, row and column from 0.
struct RangeCell {
    uint32_t row;
    uint32_t column;
};

class FormattedRange : public catalog::XlRange {
public:
    static constexpr uint32_t kKeepFormat = UINT32_MAX;

    // `first` and `last` are any two opposite corners.
    FormattedRange(RangeCell first, RangeCell last);
    FormattedRange(const FormattedRange&) = delete;
    FormattedRange& operator=(const FormattedRange&) = delete;

    void HorizontalAlignment(int16_t alignment) override;
    void VerticalAlignment(int16_t alignment) override;
    void WrapText(bool wrap) override;
    catalog::XlBorder& Borders(int16_t index) override;
    catalog::XlInterior& Interior() override { return interior_; }
    catalog::XlFont& Font() override { return font_; }
    // Every setting is checked before any is made.
    void Set(std::span<const catalog::XlSetting> settings) override;

    // Makes the changes in order, each to every cell it reaches, in one
    // pass over the rectangle. A border change reaches the outer edges (7
    // to 10) or both sides of every inside line (11, 12), since
    // neighbouring cells each record a shared edge.
    void apply(std::span<const RangeChange> changes);
    // The same for one change to every cell whole.
    void applyToCells(const FormatChange& change);

private:
    uint32_t top_, bottom_, left_, right_;
    std::array<RangeBorder, 6> borders_;
    RangeInterior interior_;
    RangeFont font_;

    virtual uint32_t cellFormat(RangeCell cell) const = 0;
    virtual void setCellFormat(RangeCell cell, uint32_t format) = 0;
    // The same for cells side by side in a row, from `first` rightwards;
    // an engine may find them in one go. Cells are set left to right, and a
    // cell given kKeepFormat is left as it is.
    virtual void rowFormats(RangeCell first, std::span<uint32_t> formats) const;
    virtual void setRowFormats(RangeCell first, std::span<const uint32_t> formats);
    // The format that `format` becomes under the change; may add formats to
    // the workbook, in the order in which they are first asked for.
    virtual uint32_t changedFormat(uint32_t format, const FormatChange& change) = 0;
    // What lists of changes have made of formats in this workbook.
    virtual FormatOutcomes& outcomes() = 0;
};

}  // namespace speclore::workbook
