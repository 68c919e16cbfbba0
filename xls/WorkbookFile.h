// An .xls workbook (BIFF8 in a compound file) opened for editing: the
// workbook globals, the shared strings, the formats and every sheet.
// Writing re-serializes the whole Workbook stream with recomputed stream
// positions; all other streams and storages of the file are kept as read.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xls/BiffRecord.h"
#include "xls/CellFormats.h"
#include "xls/CompoundFile.h"
#include "xls/SharedStrings.h"
#include "xls/Worksheet.h"

namespace speclore::xls {

class WorkbookFile {
public:
    // Both raise error 1004 when the workbook cannot be read or is of a
    // kind the engine does not edit (BIFF5 or older, encrypted).
    static WorkbookFile open(const std::string& path);
    static WorkbookFile fromBytes(std::string_view bytes);

    WorkbookFile(WorkbookFile&&) noexcept;
    WorkbookFile& operator=(WorkbookFile&&) noexcept;
    ~WorkbookFile();

    // Sheets(number), counted from 1 in BOUNDSHEET order: error 9 when there
    // is no such sheet, 1004 when it is no worksheet.
    Worksheet& worksheet(int number);
    // The number of the worksheet named exactly `name`, or 0 when no
    // worksheet has that name.
    int worksheetNumber(std::u16string_view name) const;

    SharedStrings& strings() { return strings_; }
    CellFormats& formats() { return formats_; }

    // The compound file with the rewritten Workbook stream.
    std::string toBytes() const;
    // Writes toBytes() to `path` through a temporary file and a rename.
    void save(const std::string& path) const;
    // Writes toBytes() over the existing file at `path`, unsynced: for a
    // private file whose owner syncs it and puts it in place itself.
    void saveInPlace(const std::string& path) const;

private:
    WorkbookFile() = default;

    struct Substream {
        uint32_t originalOffset = 0;
        std::unique_ptr<Worksheet> worksheet;  // worksheets
        std::vector<BiffRecord> records;       // any other kind, kept as read
    };
    struct SheetEntry {
        size_t boundSheetRecord;  // in globals_
        size_t substream;
    };

    CompoundFile file_;
    std::vector<BiffRecord> globals_;  // without SST, its CONTINUEs and EXTSST
    size_t sstAt_ = 0;
    size_t lastFontAt_ = 0;
    size_t lastXfAt_ = 0;
    SharedStrings strings_;
    CellFormats formats_;
    std::vector<Substream> substreams_;
    std::vector<SheetEntry> sheets_;

    void readWorkbookStream(const std::string& stream);
    void readGlobals(std::vector<BiffRecord> records);
    std::string workbookStream() const;
};

}  // namespace speclore::xls
