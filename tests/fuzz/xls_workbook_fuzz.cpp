// Opens arbitrary bytes as a workbook. What the reader accepts gets a few
// cell and format operations and is saved to memory; the saved workbook
// must open again. Every refusal must be an AppError.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/AppError.h"
#include "tests/fuzz/SheetOperations.h"
#include "xls/WorkbookFile.h"
#include "xls/XlsApplication.h"

using namespace speclore;

namespace {

void operate(xls::WorkbookFile& workbook, int number) {
    try {
        xls::XlsWorksheet sheet(workbook, workbook.worksheet(number));
        fuzz::editSheet(sheet, "題名");
    } catch (const AppError&) {
        // A missing sheet or a format the workbook cannot take.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string saved;
    try {
        xls::WorkbookFile workbook =
            xls::WorkbookFile::fromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
        operate(workbook, 1);
        operate(workbook, 2);
        saved = workbook.toBytes();
    } catch (const AppError&) {
        return 0;
    }
    try {
        xls::WorkbookFile::fromBytes(saved);
    } catch (const AppError&) {
        std::abort();  // the engine wrote a workbook it cannot read
    }
    return 0;
}
