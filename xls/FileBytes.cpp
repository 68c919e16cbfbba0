#include "xls/FileBytes.h"

#include "app/AtomicFile.h"
#include "workbook/WorkbookError.h"

namespace speclore::xls {

void writeFileAtomically(const std::string& path, const std::vector<std::string_view>& pieces) {
    // A saved workbook must survive a crash once the save has returned.
    int failure = replaceFileWith(path, pieces, FolderSync::Sync);
    if (failure != 0) workbook::throwFileError(failure, path, "保存できません");
}

void writeFileInPlace(const std::string& path, const std::vector<std::string_view>& pieces) {
    int failure = rewriteFileInPlace(path, pieces);
    if (failure != 0) workbook::throwFileError(failure, path, "保存できません");
}

}  // namespace speclore::xls
