// An .xlsx workbook opened for editing: the zip package, its workbook part
// with the sheet list, the style sheet and the worksheets asked for.
// Writing gives a new package in which only the parts that changed (the
// edited worksheets, the style sheet when formats were appended) are new;
// every other part is copied as stored.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xlsx/SheetPart.h"
#include "xlsx/StyleSheet.h"
#include "xlsx/ZipPackage.h"

namespace speclore::xlsx {

class WorkbookPackage {
public:
    // Both raise error 1004 when the file is no workbook the engine edits:
    // no zip, a damaged one, an encrypted or macro-enabled workbook, the
    // strict form, missing parts, fewer than two worksheets.
    static WorkbookPackage open(const std::string& path);
    static WorkbookPackage fromBytes(std::string bytes);

    WorkbookPackage(WorkbookPackage&&) noexcept;
    WorkbookPackage& operator=(WorkbookPackage&&) noexcept;
    ~WorkbookPackage();

    // Sheets(number), counted from 1 in the workbook's order: error 9 when
    // there is no such sheet, 1004 when it is no worksheet.
    SheetPart& worksheet(int number);
    // The number of the worksheet named exactly `name`, or 0 when no
    // worksheet has that name.
    int worksheetNumber(std::string_view name) const;
    StyleSheet& styles() { return *styles_; }

    std::string toBytes() const;
    // Writes toBytes() to `path` through a synced temporary file and a rename.
    void save(const std::string& path) const;
    // Writes toBytes() over the existing file at `path`, unsynced: only for
    // a private file whose owner syncs it and puts it in place. A failure
    // may leave that file half-written.
    void saveInPlace(const std::string& path) const;

private:
    struct Sheet {
        std::string name;
        bool isWorksheet = false;
        size_t entry = 0;
        std::unique_ptr<SheetPart> part;
    };

    ZipPackage zip_;
    std::vector<Sheet> sheets_;
    size_t stylesEntry_ = 0;
    std::unique_ptr<StyleSheet> styles_;

    explicit WorkbookPackage(ZipPackage zip) : zip_(std::move(zip)) {}
    void readStructure();
    void checkCopiedParts() const;
    void checkUntakenWorksheets() const;
};

}  // namespace speclore::xlsx
