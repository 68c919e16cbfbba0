// The spreadsheet application of the catalog run, made of this engine:
// workbooks are .xls files edited in memory and written back on Close(true).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalog/Spreadsheet.h"
#include "workbook/Saving.h"
#include "xls/WorkbookFile.h"

namespace speclore::xls {

class XlsWorksheet : public catalog::XlWorksheet {
public:
    XlsWorksheet(WorkbookFile& workbook, Worksheet& sheet) : workbook_(workbook), sheet_(sheet) {}
    void SetValue(std::string_view address, std::string_view text) override;
    void SetValue(std::string_view address, int32_t number) override;
    void SetCellValue(catalog::SheetCell cell, std::string_view text) override;
    void SetCellValue(catalog::SheetCell cell, int32_t number) override;
    std::unique_ptr<catalog::XlRange> Range(std::string_view first, std::string_view last) override;
    void FormatRange(catalog::SheetCell first, catalog::SheetCell last,
                     std::span<const catalog::XlSetting> settings) override;

    const Worksheet& sheet() const { return sheet_; }

private:
    WorkbookFile& workbook_;
    Worksheet& sheet_;

    void setText(CellAddress cell, std::string_view text);
};

class XlsWorkbook : public catalog::XlWorkbook {
public:
    using Saving = workbook::Saving;

    XlsWorkbook(WorkbookFile workbook, std::string path, Saving saving);
    ~XlsWorkbook() override;
    catalog::XlWorksheet& Sheets(int index) override;
    catalog::XlWorksheet* findWorksheet(std::string_view name) override;
    // Close(true) writes the file it was opened from; if that fails the
    // workbook stays open, so that it can still be closed without saving.
    void Close(bool saveChanges) override;

private:
    std::optional<WorkbookFile> workbook_;
    std::string path_;
    Saving saving_;
    std::vector<std::unique_ptr<XlsWorksheet>> sheets_;

    WorkbookFile& open();
};

class XlsApplication : public catalog::XlApplication {
public:
    std::unique_ptr<catalog::XlWorkbook> OpenWorkbook(const std::string& fileName) override;
    std::unique_ptr<catalog::XlWorkbook> OpenPrivateWorkbook(const std::string& fileName) override;
    void Quit() override;

private:
    bool quit_ = false;

    std::unique_ptr<catalog::XlWorkbook> open(const std::string& fileName, XlsWorkbook::Saving saving);
};

class XlsApplicationFactory : public catalog::XlApplicationFactory {
public:
    std::unique_ptr<catalog::XlApplication> CreateApplication() override;
    int32_t maxRows() const override;
};

}  // namespace speclore::xls
