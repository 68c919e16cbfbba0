// Range(first, last) of an .xlsx worksheet: the cells' formats are style
// indexes of the sheet part, changed through the package's style sheet.
#pragma once

#include "workbook/FormattedRange.h"
#include "xlsx/CellReference.h"
#include "xlsx/SheetPart.h"
#include "xlsx/StyleSheet.h"

namespace speclore::xlsx {

class XlsxRange : public workbook::FormattedRange {
public:
    // `first` and `last` are any two opposite corners.
    XlsxRange(SheetPart& sheet, StyleSheet& styles, CellReference first, CellReference last)
        : FormattedRange({first.row, first.column}, {last.row, last.column}),
          sheet_(sheet),
          styles_(styles) {}

private:
    static_assert(SheetPart::kKeepXf == kKeepFormat);
    SheetPart& sheet_;
    StyleSheet& styles_;

    uint32_t cellFormat(workbook::RangeCell cell) const override {
        return sheet_.cellFormat({cell.row, cell.column});
    }
    void setCellFormat(workbook::RangeCell cell, uint32_t xf) override {
        sheet_.setFormat({cell.row, cell.column}, xf);
    }
    void rowFormats(workbook::RangeCell first, std::span<uint32_t> xfs) const override {
        sheet_.rowFormats({first.row, first.column}, xfs);
    }
    void setRowFormats(workbook::RangeCell first, std::span<const uint32_t> xfs) override {
        sheet_.setRowFormats({first.row, first.column}, xfs);
    }
    uint32_t changedFormat(uint32_t xf, const workbook::FormatChange& change) override {
        return styles_.apply(xf, change);
    }
    workbook::FormatOutcomes& outcomes() override { return styles_.outcomes(); }
};

}  // namespace speclore::xlsx
