// What the catalog run asks of the spreadsheet application: open the copied
// template, write cell values, format ranges, save or discard, quit. Shaped
// after Excel's object model, whose effects the implementation reproduces;
// every call may raise an AppError.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace speclore::catalog {

// Excel constants used by the run.
inline constexpr int16_t xlGeneral = 1;
inline constexpr int16_t xlCenter = -4108;
inline constexpr int16_t xlBottom = -4107;
inline constexpr int16_t xlTop = -4160;
inline constexpr int16_t xlEdgeLeft = 7;
inline constexpr int16_t xlEdgeTop = 8;
inline constexpr int16_t xlEdgeBottom = 9;
inline constexpr int16_t xlEdgeRight = 10;
inline constexpr int16_t xlInsideVertical = 11;
inline constexpr int16_t xlInsideHorizontal = 12;
inline constexpr int16_t xlContinuous = 1;
inline constexpr int16_t xlThin = 2;
inline constexpr int16_t xlColorIndexAutomatic = -4105;
inline constexpr int16_t xlAutomatic = -4105;
inline constexpr int16_t xlSolid = 1;

class XlBorder {
public:
    virtual ~XlBorder() = default;
    virtual void LineStyle(int16_t style) = 0;
    virtual void Weight(int16_t weight) = 0;
    virtual void ColorIndex(int16_t colorIndex) = 0;
};

class XlInterior {
public:
    virtual ~XlInterior() = default;
    virtual void ColorIndex(int16_t colorIndex) = 0;
    virtual void Pattern(int16_t pattern) = 0;
    virtual void PatternColorIndex(int16_t colorIndex) = 0;
};

class XlFont {
public:
    virtual ~XlFont() = default;
    virtual void Bold(bool bold) = 0;
};

// One setter of a range's format: Range.HorizontalAlignment = value,
// Borders(border).LineStyle = value, Interior.ColorIndex = value and so on.
enum class XlSetter : uint8_t {
    HorizontalAlignment,
    VerticalAlignment,
    WrapText,  // value 0 false, any other true
    BorderLineStyle,
    BorderWeight,
    BorderColorIndex,
    InteriorColorIndex,
    InteriorPattern,
    InteriorPatternColorIndex,
    FontBold,  // value 0 false, any other true
};

struct XlSetting {
    XlSetter setter;
    int16_t value;
    int16_t border = 0;  // Borders(border), for the three border setters
};

// A rectangle of cells; each setter changes that one attribute of every cell.
class XlRange {
public:
    virtual ~XlRange() = default;
    virtual void HorizontalAlignment(int16_t alignment) = 0;
    virtual void VerticalAlignment(int16_t alignment) = 0;
    virtual void WrapText(bool wrap) = 0;
    // Borders(index), index 7 to 12; other indexes raise an error.
    virtual XlBorder& Borders(int16_t index) = 0;
    virtual XlInterior& Interior() = 0;
    virtual XlFont& Font() = 0;

    // The settings in turn. The cells end as the setters called one by one
    // leave them; an engine may make them all in one pass over the range,
    // and then refuses a value it cannot take before it makes any.
    virtual void Set(std::span<const XlSetting> settings) {
        for (const XlSetting& s : settings) {
            switch (s.setter) {
            case XlSetter::HorizontalAlignment: HorizontalAlignment(s.value); break;
            case XlSetter::VerticalAlignment: VerticalAlignment(s.value); break;
            case XlSetter::WrapText: WrapText(s.value != 0); break;
            case XlSetter::BorderLineStyle: Borders(s.border).LineStyle(s.value); break;
            case XlSetter::BorderWeight: Borders(s.border).Weight(s.value); break;
            case XlSetter::BorderColorIndex: Borders(s.border).ColorIndex(s.value); break;
            case XlSetter::InteriorColorIndex: Interior().ColorIndex(s.value); break;
            case XlSetter::InteriorPattern: Interior().Pattern(s.value); break;
            case XlSetter::InteriorPatternColorIndex: Interior().PatternColorIndex(s.value); break;
            case XlSetter::FontBold: Font().Bold(s.value != 0); break;
            }
        }
    }
};

// A cell by its column letter and its row number from 1: {'A', 3} is "A3".
struct SheetCell {
    char column;
    int32_t row;
};

class XlWorksheet {
public:
    virtual ~XlWorksheet() = default;
    // Range(address).Value = text or number; the cell keeps its format.
    virtual void SetValue(std::string_view address, std::string_view text) = 0;
    virtual void SetValue(std::string_view address, int32_t number) = 0;
    // The same for a cell given by number, which an engine may take without
    // reading an address.
    virtual void SetCellValue(SheetCell cell, std::string_view text) { SetValue(a1(cell), text); }
    virtual void SetCellValue(SheetCell cell, int32_t number) { SetValue(a1(cell), number); }
    // Range(first, last): the rectangle the two cells span.
    virtual std::unique_ptr<XlRange> Range(std::string_view first, std::string_view last) = 0;
    // Range(first, last).Set(settings) for a rectangle given by its corner
    // cells, which an engine may do without an address or a range object.
    virtual void FormatRange(SheetCell first, SheetCell last, std::span<const XlSetting> settings) {
        Range(a1(first), a1(last))->Set(settings);
    }

protected:
    static std::string a1(SheetCell cell) { return std::string(1, cell.column) + std::to_string(cell.row); }
};

class XlWorkbook {
public:
    virtual ~XlWorkbook() = default;
    // Sheets(index), counted from 1; a missing sheet raises error 9.
    virtual XlWorksheet& Sheets(int index) = 0;
    // The worksheet named exactly `name`, or nothing when the workbook has
    // no worksheet of that name (a chart sheet of that name is none).
    virtual XlWorksheet* findWorksheet(std::string_view name) = 0;
    // true saves to the file the workbook was opened from; false discards.
    virtual void Close(bool saveChanges) = 0;
};

class XlApplication {
public:
    virtual ~XlApplication() = default;
    // Workbooks.Open(FileName:=path).
    virtual std::unique_ptr<XlWorkbook> OpenWorkbook(const std::string& fileName) = 0;
    // The same for a private file: one nobody else reads, which the caller
    // syncs and puts in place itself after Close(true). The workbook may
    // then be saved by rewriting the file, without a replacement of its own.
    virtual std::unique_ptr<XlWorkbook> OpenPrivateWorkbook(const std::string& fileName) {
        return OpenWorkbook(fileName);
    }
    virtual void Quit() = 0;
};

// CreateObject("Excel.Application").
class XlApplicationFactory {
public:
    virtual ~XlApplicationFactory() = default;
    virtual std::unique_ptr<XlApplication> CreateApplication() = 0;
    // The rows a worksheet of this application's workbooks holds.
    virtual int32_t maxRows() const = 0;
};

}  // namespace speclore::catalog
