// Range(first, last) of a worksheet: every setter changes one attribute of
// each cell in the rectangle, keeping the rest of the cell's format.
#pragma once

#include <array>
#include <span>

#include "catalog/Spreadsheet.h"
#include "xls/CellAddress.h"
#include "xls/CellFormats.h"

namespace speclore::xls {

class Worksheet;
class XlsRange;

class XlsBorder : public catalog::XlBorder {
public:
    XlsBorder(XlsRange& range, int16_t index) : range_(range), index_(index) {}
    void LineStyle(int16_t style) override;
    void Weight(int16_t weight) override;
    void ColorIndex(int16_t colorIndex) override;

private:
    XlsRange& range_;
    int16_t index_;

    void applyToBorder(const XfChange& change);
};

class XlsInterior : public catalog::XlInterior {
public:
    explicit XlsInterior(XlsRange& range) : range_(range) {}
    void ColorIndex(int16_t colorIndex) override;
    void Pattern(int16_t pattern) override;
    void PatternColorIndex(int16_t colorIndex) override;

private:
    XlsRange& range_;
};

class XlsFont : public catalog::XlFont {
public:
    explicit XlsFont(XlsRange& range) : range_(range) {}
    void Bold(bool bold) override;

private:
    XlsRange& range_;
};

// One format change over a range: to every cell whole (border 0), or to
// the edges that Borders(border) names.
struct RangeChange {
    int16_t border;
    XfChange change;
};

class XlsRange : public catalog::XlRange {
public:
    // `first` and `last` are any two opposite corners.
    XlsRange(Worksheet& sheet, CellFormats& formats, CellAddress first, CellAddress last);

    void HorizontalAlignment(int16_t alignment) override;
    void VerticalAlignment(int16_t alignment) override;
    void WrapText(bool wrap) override;
    catalog::XlBorder& Borders(int16_t index) override;
    void SetBorders(std::span<const catalog::XlBorderLine> lines) override;
    catalog::XlInterior& Interior() override { return interior_; }
    catalog::XlFont& Font() override { return font_; }

    // Makes the changes in order, each to every cell it reaches, in one
    // pass over the rectangle. A border change reaches the outer edges (7
    // to 10) or both sides of every inside line (11, 12), since
    // neighbouring cells each record a shared edge.
    void apply(std::span<const RangeChange> changes);
    // The same for one change to every cell whole.
    void applyToCells(const XfChange& change);

private:
    Worksheet& sheet_;
    CellFormats& formats_;
    uint16_t top_, bottom_, left_, right_;
    std::array<XlsBorder, 6> borders_;
    XlsInterior interior_;
    XlsFont font_;
};

}  // namespace speclore::xls
