// The spreadsheet application of the catalog run for .xlsx workbooks:
// packages edited in memory and written back on Close(true).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalog/Spreadsheet.h"
#include "workbook/Saving.h"
#include "xlsx/WorkbookPackage.h"

namespace speclore::xlsx {

class XlsxWorksheet : public catalog::XlWorksheet {
public:
    XlsxWorksheet(WorkbookPackage& workbook, SheetPart& sheet) : workbook_(workbook), sheet_(sheet) {}
    void SetValue(std::string_view address, std::string_view text) override;
    void SetValue(std::string_view address, int32_t number) override;
    void SetCellValue(catalog::SheetCell cell, std::string_view text) override;
    void SetCellValue(catalog::SheetCell cell, int32_t number) override;
    std::unique_ptr<catalog::XlRange> Range(std::string_view first, std::string_view last) override;
    void FormatRange(catalog::SheetCell first, catalog::SheetCell last,
                     std::span<const catalog::XlSetting> settings) override;

    const SheetPart& sheet() const { return sheet_; }

private:
    WorkbookPackage& workbook_;
    SheetPart& sheet_;
};

class XlsxWorkbook : public catalog::XlWorkbook {
public:
    using Saving = workbook::Saving;

    XlsxWorkbook(WorkbookPackage workbook, std::string path, Saving saving);
    ~XlsxWorkbook() override;
    catalog::XlWorksheet& Sheets(int index) override;
    catalog::XlWorksheet* findWorksheet(std::string_view name) override;
    // Close(true) writes the file it was opened from; if that fails the
    // workbook stays open, so that it can still be closed without saving.
    void Close(bool saveChanges) override;

private:
    std::optional<WorkbookPackage> workbook_;
    std::string path_;
    Saving saving_;
    std::vector<std::unique_ptr<XlsxWorksheet>> sheets_;

    WorkbookPackage& open();
};

class XlsxApplication : public catalog::XlApplication {
public:
    std::unique_ptr<catalog::XlWorkbook> OpenWorkbook(const std::string& fileName) override;
    std::unique_ptr<catalog::XlWorkbook> OpenPrivateWorkbook(const std::string& fileName) override;
    void Quit() override;

private:
    bool quit_ = false;

    std::unique_ptr<catalog::XlWorkbook> open(const std::string& fileName, XlsxWorkbook::Saving saving);
};

class XlsxApplicationFactory : public catalog::XlApplicationFactory {
public:
    std::unique_ptr<catalog::XlApplication> CreateApplication() override;
    int32_t maxRows() const override;
};

}  // namespace speclore::xlsx
