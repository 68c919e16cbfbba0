// Range(first, last) of a worksheet: every setter changes one attribute of
// each cell in the rectangle, keeping the rest of the cell's format.
#pragma once

#include <array>

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

class XlsRange : public catalog::XlRange {
public:
    // `first` and `last` are any two opposite corners.
    XlsRange(Worksheet& sheet, CellFormats& formats, CellAddress first, CellAddress last);

    void HorizontalAlignment(int16_t alignment) override;
    void VerticalAlignment(int16_t alignment) override;
    void WrapText(bool wrap) override;
    catalog::XlBorder& Borders(int16_t index) override;
    catalog::XlInterior& Interior() override { return interior_; }
    catalog::XlFont& Font() override { return font_; }

    // Applies the change to every cell of the rectangle.
    void applyToCells(const XfChange& change);
    // Applies a border change to the edges that Borders(index) names, cell
    // by cell: the outer edges (7 to 10) and both sides of every inside
    // line (11, 12), since neighbouring cells each record a shared edge.
    void applyToBorder(int16_t index, XfChange change);

private:
    Worksheet& sheet_;
    CellFormats& formats_;
    uint16_t top_, bottom_, left_, right_;
    std::array<XlsBorder, 6> borders_;
    XlsInterior interior_;
    XlsFont font_;

    void applyTo(uint16_t row, uint16_t column, const XfChange& change);
};

}  // namespace speclore::xls
