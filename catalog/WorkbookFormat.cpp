#include "catalog/WorkbookFormat.h"

#include <strings.h>

namespace speclore::catalog {

WorkbookFormat workbookFormatOf(const std::string& path) {
    constexpr std::string_view kXlsx = ".xlsx";
    if (path.size() >= kXlsx.size() &&
        ::strcasecmp(path.c_str() + path.size() - kXlsx.size(), kXlsx.data()) == 0)
        return WorkbookFormat::Xlsx;
    return WorkbookFormat::Xls;
}

const char* templateFileName(WorkbookFormat format) {
    return format == WorkbookFormat::Xlsx ? "Template.xlsx" : "Template.xls";
}

}  // namespace speclore::catalog
