#include "catalog/SheetFormat.h"

#include <span>

namespace speclore::catalog {

namespace {

constexpr char kBlockLastColumn = 'F';
constexpr int16_t kFrameColorIndex = 15;
constexpr int16_t kHeadingInteriorColorIndex = 15;

// The settings of a format with lines, built at compile time in the order
// of the object model's calls they stand for.
template <size_t N>
struct Settings {
    std::array<XlSetting, N> items{};
    size_t count = 0;

    constexpr void add(XlSetter setter, int16_t value, int16_t border = 0) {
        items[count++] = {setter, value, border};
    }
    // Borders(index) as a thin continuous line in the colour given.
    constexpr void addThinLine(int16_t index, int16_t colorIndex) {
        add(XlSetter::BorderLineStyle, xlContinuous, index);
        add(XlSetter::BorderWeight, xlThin, index);
        add(XlSetter::BorderColorIndex, colorIndex, index);
    }
    constexpr std::span<const XlSetting> span() const { return std::span(items).first(count); }
};

constexpr XlSetting kTitleRow[] = {{XlSetter::HorizontalAlignment, xlGeneral},
                                   {XlSetter::VerticalAlignment, xlBottom},
                                   {XlSetter::WrapText, 0}};

constexpr Settings<19> kHeadingRow = [] {
    Settings<19> s;
    s.add(XlSetter::HorizontalAlignment, xlCenter);
    for (int16_t index : {xlEdgeLeft, xlEdgeTop, xlEdgeBottom, xlEdgeRight, xlInsideVertical})
        s.addThinLine(index, xlColorIndexAutomatic);
    s.add(XlSetter::InteriorColorIndex, kHeadingInteriorColorIndex);
    s.add(XlSetter::InteriorPattern, xlSolid);
    s.add(XlSetter::InteriorPatternColorIndex, xlAutomatic);
    return s;
}();

// The inside horizontal line comes last, so that a single row, which has
// none to draw, takes the others alone.
constexpr Settings<15> kFrame = [] {
    Settings<15> s;
    for (int16_t index : {xlEdgeLeft, xlEdgeBottom, xlEdgeRight, xlInsideVertical, xlInsideHorizontal})
        s.addThinLine(index, kFrameColorIndex);
    return s;
}();
constexpr size_t kSingleRowFrame = 12;

constexpr XlSetting kBold[] = {{XlSetter::FontBold, 1}};

}  // namespace

std::string a1Address(char column, int32_t row) { return std::string(1, column) + std::to_string(row); }

void writeBlockTitleRow(XlWorksheet& sheet, int32_t row, const std::string& name,
                        const std::string& description) {
    sheet.FormatRange({'A', row}, {kBlockLastColumn, row}, kTitleRow);
    sheet.SetCellValue({'A', row}, name);
    sheet.SetCellValue({kBlockLastColumn, row}, description);
}

void writeBlockHeadingRow(XlWorksheet& sheet, int32_t row, const ItemNames& names,
                          const std::array<Item, 6>& headings) {
    char column = 'A';
    for (Item heading : headings) sheet.SetCellValue({column++, row}, names[heading]);
    formatHeadingRow(sheet, row, kBlockLastColumn);
}

void formatHeadingRow(XlWorksheet& sheet, int32_t row, char lastColumn) {
    sheet.FormatRange({'A', row}, {lastColumn, row}, kHeadingRow.span());
}

void frameRows(XlWorksheet& sheet, int32_t first, int32_t last, char lastColumn) {
    if (first > last) return;
    const std::span<const XlSetting> frame = kFrame.span();
    sheet.FormatRange({'A', first}, {lastColumn, last}, first < last ? frame : frame.first(kSingleRowFrame));
}

void boldCell(XlWorksheet& sheet, SheetCell cell) { sheet.FormatRange(cell, cell, kBold); }

}  // namespace speclore::catalog
