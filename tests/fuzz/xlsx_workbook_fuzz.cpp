// Opens arbitrary bytes as an .xlsx workbook. What the reader accepts gets a
// few cell and format operations and is saved to memory; the saved workbook
// must open again, with every sheet that took the operations. (A part the
// engine did not read is copied as stored, damage included.) Every refusal
// must be an AppError.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/AppError.h"
#include "tests/fuzz/SheetOperations.h"
#include "xlsx/WorkbookPackage.h"
#include "xlsx/XlsxApplication.h"

using namespace speclore;

namespace {

// True when the sheet could be taken.
bool operate(xlsx::WorkbookPackage& workbook, int number) {
    try {
        xlsx::XlsxWorksheet sheet(workbook, workbook.worksheet(number));
        try {
            fuzz::editSheet(sheet, "題名 <&>");
        } catch (const AppError&) {
            // A format the workbook cannot take.
        }
        return true;
    } catch (const AppError&) {
        return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string saved;
    std::vector<int> taken;
    try {
        xlsx::WorkbookPackage workbook =
            xlsx::WorkbookPackage::fromBytes(std::string(reinterpret_cast<const char*>(data), size));
        for (int number : {1, 2})
            if (operate(workbook, number)) taken.push_back(number);
        saved = workbook.toBytes();
    } catch (const AppError&) {
        return 0;
    }
    try {
        xlsx::WorkbookPackage again = xlsx::WorkbookPackage::fromBytes(saved);
        for (int number : taken) again.worksheet(number);
    } catch (const AppError&) {
        std::abort();  // the engine wrote a workbook it cannot read
    }
    return 0;
}
