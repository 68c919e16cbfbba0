#include "xlsx/XlsxApplication.h"

#include "workbook/WorkbookError.h"
#include "xlsx/CellReference.h"
#include "xlsx/XlsxRange.h"

namespace speclore::xlsx {

namespace {

// The sheet writers' cells are an upper-case column letter and a row on the
// sheet; anything else takes the way of an address, and its error.
std::optional<CellReference> plainReference(catalog::SheetCell cell) {
    if (cell.column < 'A' || cell.column > 'Z' || cell.row < 1 || static_cast<uint32_t>(cell.row) > kMaxRows)
        return std::nullopt;
    return CellReference{static_cast<uint32_t>(cell.row) - 1, static_cast<uint32_t>(cell.column - 'A')};
}

}  // namespace

void XlsxWorksheet::SetValue(std::string_view address, std::string_view text) {
    sheet_.setText(parseCellReference(address), text);
}

void XlsxWorksheet::SetValue(std::string_view address, int32_t number) {
    sheet_.setNumber(parseCellReference(address), number);
}

void XlsxWorksheet::SetCellValue(catalog::SheetCell cell, std::string_view text) {
    const std::optional<CellReference> reference = plainReference(cell);
    if (!reference) return SetValue(a1(cell), text);
    sheet_.setText(*reference, text);
}

void XlsxWorksheet::SetCellValue(catalog::SheetCell cell, int32_t number) {
    const std::optional<CellReference> reference = plainReference(cell);
    if (!reference) return SetValue(a1(cell), number);
    sheet_.setNumber(*reference, number);
}

std::unique_ptr<catalog::XlRange> XlsxWorksheet::Range(std::string_view first, std::string_view last) {
    return std::make_unique<XlsxRange>(sheet_, workbook_.styles(), parseCellReference(first),
                                       parseCellReference(last));
}

void XlsxWorksheet::FormatRange(catalog::SheetCell first, catalog::SheetCell last,
                                std::span<const catalog::XlSetting> settings) {
    const std::optional<CellReference> from = plainReference(first), to = plainReference(last);
    if (!from || !to) return XlWorksheet::FormatRange(first, last, settings);
    XlsxRange(sheet_, workbook_.styles(), *from, *to).Set(settings);
}

XlsxWorkbook::XlsxWorkbook(WorkbookPackage workbook, std::string path, Saving saving)
    : workbook_(std::move(workbook)), path_(std::move(path)), saving_(saving) {}

XlsxWorkbook::~XlsxWorkbook() = default;

WorkbookPackage& XlsxWorkbook::open() {
    if (!workbook_) workbook::throwInvalidArgument("ブックは既に閉じられています");
    return *workbook_;
}

catalog::XlWorksheet& XlsxWorkbook::Sheets(int index) {
    WorkbookPackage& workbook = open();
    SheetPart& sheet = workbook.worksheet(index);
    for (auto& existing : sheets_)
        if (&existing->sheet() == &sheet) return *existing;
    sheets_.push_back(std::make_unique<XlsxWorksheet>(workbook, sheet));
    return *sheets_.back();
}

catalog::XlWorksheet* XlsxWorkbook::findWorksheet(std::string_view name) {
    const int number = open().worksheetNumber(name);
    return number == 0 ? nullptr : &Sheets(number);
}

void XlsxWorkbook::Close(bool saveChanges) {
    WorkbookPackage& workbook = open();
    if (saveChanges) {
        if (saving_ == Saving::Rewrite)
            workbook.saveInPlace(path_);
        else
            workbook.save(path_);
    }
    sheets_.clear();
    workbook_.reset();
}

std::unique_ptr<catalog::XlWorkbook> XlsxApplication::OpenWorkbook(const std::string& fileName) {
    return open(fileName, XlsxWorkbook::Saving::Replace);
}

std::unique_ptr<catalog::XlWorkbook> XlsxApplication::OpenPrivateWorkbook(const std::string& fileName) {
    return open(fileName, XlsxWorkbook::Saving::Rewrite);
}

std::unique_ptr<catalog::XlWorkbook> XlsxApplication::open(const std::string& fileName,
                                                           XlsxWorkbook::Saving saving) {
    if (quit_) workbook::throwInvalidArgument("アプリケーションは既に終了しています");
    return std::make_unique<XlsxWorkbook>(WorkbookPackage::open(fileName), fileName, saving);
}

void XlsxApplication::Quit() { quit_ = true; }

std::unique_ptr<catalog::XlApplication> XlsxApplicationFactory::CreateApplication() {
    return std::make_unique<XlsxApplication>();
}

int32_t XlsxApplicationFactory::maxRows() const { return static_cast<int32_t>(kMaxRows); }

}  // namespace speclore::xlsx
