#include "xls/XlsApplication.h"

#include "workbook/Utf8.h"
#include "workbook/WorkbookError.h"
#include "xls/CellAddress.h"
#include "xls/XlsRange.h"

namespace speclore::xls {

namespace {

// The most characters a cell holds.
constexpr size_t kMaxCellText = 32767;

// The sheet writers' columns are letters from 'A'.
CellAddress addressOf(catalog::SheetCell cell) { return cellAddressAt(cell.row, cell.column - 'A' + 1); }

}  // namespace

void XlsWorksheet::SetValue(std::string_view address, std::string_view text) {
    setText(parseCellAddress(address), text);
}

void XlsWorksheet::SetValue(std::string_view address, int32_t number) {
    sheet_.setNumber(parseCellAddress(address), number);
}

void XlsWorksheet::SetCellValue(catalog::SheetCell cell, std::string_view text) {
    setText(addressOf(cell), text);
}

void XlsWorksheet::SetCellValue(catalog::SheetCell cell, int32_t number) {
    sheet_.setNumber(addressOf(cell), number);
}

void XlsWorksheet::setText(CellAddress cell, std::string_view text) {
    // Every UTF-8 text gives at least one character.
    if (text.empty()) {
        sheet_.clearValue(cell);
        return;
    }
    const std::optional<uint32_t> index = workbook_.strings().internUtf8(text, kMaxCellText);
    if (!index)
        workbook::throwInvalidArgument("セル " + formatCellAddress(cell) +
                                       " の文字列が 32767 文字を超えています");
    sheet_.setSharedString(cell, *index);
}

std::unique_ptr<catalog::XlRange> XlsWorksheet::Range(std::string_view first, std::string_view last) {
    return std::make_unique<XlsRange>(sheet_, workbook_.formats(), parseCellAddress(first),
                                      parseCellAddress(last));
}

void XlsWorksheet::FormatRange(catalog::SheetCell first, catalog::SheetCell last,
                               std::span<const catalog::XlSetting> settings) {
    XlsRange(sheet_, workbook_.formats(), addressOf(first), addressOf(last)).Set(settings);
}

XlsWorkbook::XlsWorkbook(WorkbookFile workbook, std::string path, Saving saving)
    : workbook_(std::move(workbook)), path_(std::move(path)), saving_(saving) {}

XlsWorkbook::~XlsWorkbook() = default;

WorkbookFile& XlsWorkbook::open() {
    if (!workbook_) workbook::throwInvalidArgument("ブックは既に閉じられています");
    return *workbook_;
}

catalog::XlWorksheet& XlsWorkbook::Sheets(int index) {
    WorkbookFile& workbook = open();
    Worksheet& sheet = workbook.worksheet(index);
    for (auto& existing : sheets_)
        if (existing && &existing->sheet() == &sheet) return *existing;
    sheets_.push_back(std::make_unique<XlsWorksheet>(workbook, sheet));
    return *sheets_.back();
}

catalog::XlWorksheet* XlsWorkbook::findWorksheet(std::string_view name) {
    const int number = open().worksheetNumber(workbook::utf8ToUtf16(name));
    return number == 0 ? nullptr : &Sheets(number);
}

void XlsWorkbook::Close(bool saveChanges) {
    WorkbookFile& workbook = open();
    if (saveChanges) {
        if (saving_ == Saving::Rewrite)
            workbook.saveInPlace(path_);
        else
            workbook.save(path_);
    }
    sheets_.clear();
    workbook_.reset();
}

std::unique_ptr<catalog::XlWorkbook> XlsApplication::OpenWorkbook(const std::string& fileName) {
    return open(fileName, XlsWorkbook::Saving::Replace);
}

std::unique_ptr<catalog::XlWorkbook> XlsApplication::OpenPrivateWorkbook(const std::string& fileName) {
    return open(fileName, XlsWorkbook::Saving::Rewrite);
}

std::unique_ptr<catalog::XlWorkbook> XlsApplication::open(const std::string& fileName,
                                                          XlsWorkbook::Saving saving) {
    if (quit_) workbook::throwInvalidArgument("アプリケーションは既に終了しています");
    return std::make_unique<XlsWorkbook>(WorkbookFile::open(fileName), fileName, saving);
}

void XlsApplication::Quit() { quit_ = true; }

std::unique_ptr<catalog::XlApplication> XlsApplicationFactory::CreateApplication() {
    return std::make_unique<XlsApplication>();
}

int32_t XlsApplicationFactory::maxRows() const { return static_cast<int32_t>(kMaxRows); }

}  // namespace speclore::xls
