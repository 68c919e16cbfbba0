// Range(first, last) of a worksheet: every setter changes one attribute of
// each cell in the rectangle, keeping the rest of the cell's format.
#pragma once

#include <array>

#include "catalog/Spreadsheet.h"
#include "xlsx/CellReference.h"
#include "xlsx/StyleSheet.h"

namespace speclore::xlsx {

class SheetPart;
class XlsxRange;

class XlsxBorder : public catalog::XlBorder {
public:
    XlsxBorder(XlsxRange& range, int16_t index) : range_(range), index_(index) {}
    void LineStyle(int16_t style) override;
    void Weight(int16_t weight) override;
    void ColorIndex(int16_t colorIndex) override;

private:
    XlsxRange& range_;
    int16_t index_;
};

class XlsxInterior : public catalog::XlInterior {
public:
    explicit XlsxInterior(XlsxRange& range) : range_(range) {}
    void ColorIndex(int16_t colorIndex) override;
    void Pattern(int16_t pattern) override;
    void PatternColorIndex(int16_t colorIndex) override;

private:
    XlsxRange& range_;
};

class XlsxFont : public catalog::XlFont {
public:
    explicit XlsxFont(XlsxRange& range) : range_(range) {}
    void Bold(bool bold) override;

private:
    XlsxRange& range_;
};

class XlsxRange : public catalog::XlRange {
public:
    // `first` and `last` are any two opposite corners.
    XlsxRange(SheetPart& sheet, StyleSheet& styles, CellReference first, CellReference last);

    void HorizontalAlignment(int16_t alignment) override;
    void VerticalAlignment(int16_t alignment) override;
    void WrapText(bool wrap) override;
    catalog::XlBorder& Borders(int16_t index) override;
    catalog::XlInterior& Interior() override { return interior_; }
    catalog::XlFont& Font() override { return font_; }

    // Applies the change to every cell of the rectangle.
    void applyToCells(const StyleChange& change);
    // Applies a border change to the edges that Borders(index) names, cell
    // by cell: the outer edges (7 to 10) and both sides of every inside
    // line (11, 12), since neighbouring cells each record a shared edge.
    void applyToBorder(int16_t index, StyleChange change);

private:
    SheetPart& sheet_;
    StyleSheet& styles_;
    uint32_t top_, bottom_, left_, right_;
    std::array<XlsxBorder, 6> borders_;
    XlsxInterior interior_;
    XlsxFont font_;

    void applyTo(uint32_t row, uint32_t column, const StyleChange& change);
};

}  // namespace speclore::xlsx
