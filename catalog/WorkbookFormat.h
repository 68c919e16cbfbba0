// The two workbook formats a run writes. The output's name decides: the
// format follows the template, and the template follows the output's type.
#pragma once

#include <string>

#include "catalog/Spreadsheet.h"

namespace speclore::catalog {

enum class WorkbookFormat {
    Xls,   // Excel 97-2003 (BIFF8), Template.xls
    Xlsx,  // Office Open XML, Template.xlsx
};

// Xlsx for a name ending in ".xlsx" (any letter case); Xls for every other
// name, ".xls" among them, as before there were two formats.
WorkbookFormat workbookFormatOf(const std::string& path);

// "Template.xls" or "Template.xlsx", the template in the program's folder.
const char* templateFileName(WorkbookFormat format);

// The spreadsheet application of each format.
struct SpreadsheetEngines {
    XlApplicationFactory& xls;
    XlApplicationFactory& xlsx;

    XlApplicationFactory& forFormat(WorkbookFormat format) const {
        return format == WorkbookFormat::Xlsx ? xlsx : xls;
    }
};

}  // namespace speclore::catalog
