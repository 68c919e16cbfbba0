// Range(first, last) of an .xls worksheet: the cells' formats are XF
// indexes of the worksheet, changed through the workbook's XF records.
#pragma once

#include "workbook/FormattedRange.h"
#include "xls/CellAddress.h"
#include "xls/CellFormats.h"
#include "xls/Worksheet.h"

namespace speclore::xls {

class XlsRange : public workbook::FormattedRange {
public:
    // `first` and `last` are any two opposite corners.
    XlsRange(Worksheet& sheet, CellFormats& formats, CellAddress first, CellAddress last)
        : FormattedRange({first.row, first.column}, {last.row, last.column}),
          sheet_(sheet),
          formats_(formats) {}

private:
    static_assert(Worksheet::kKeepXf == kKeepFormat);
    Worksheet& sheet_;
    CellFormats& formats_;

    // The rectangle lies within the worksheet, so its rows and columns fit
    // the worksheet's 16 bits, as does every XF index.
    static CellAddress address(workbook::RangeCell cell) {
        return {static_cast<uint16_t>(cell.row), static_cast<uint16_t>(cell.column)};
    }
    uint32_t cellFormat(workbook::RangeCell cell) const override { return sheet_.cellXf(address(cell)); }
    void setCellFormat(workbook::RangeCell cell, uint32_t xf) override {
        sheet_.setXf(address(cell), static_cast<uint16_t>(xf));
    }
    void rowFormats(workbook::RangeCell first, std::span<uint32_t> xfs) const override {
        sheet_.rowXfs(address(first), xfs);
    }
    void setRowFormats(workbook::RangeCell first, std::span<const uint32_t> xfs) override {
        sheet_.setRowXfs(address(first), xfs);
    }
    uint32_t changedFormat(uint32_t xf, const workbook::FormatChange& change) override {
        return formats_.apply(static_cast<uint16_t>(xf), change);
    }
    workbook::FormatOutcomes& outcomes() override { return formats_.outcomes(); }
};

}  // namespace speclore::xls
