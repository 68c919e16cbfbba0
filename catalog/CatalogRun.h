// The catalog run: the specification workbook for the chosen database.
#pragma once

#include <string>

#include "catalog/CatalogInputs.h"
#include "catalog/DatabaseEngine.h"
#include "catalog/ProgressView.h"
#include "catalog/Spreadsheet.h"

namespace speclore::catalog {

struct CalendarDate {
    int year;
    int month;
    int day;
};

// What a run reaches outside its inputs.
struct CatalogServices {
    DbEngineFactory& engines;
    XlApplicationFactory& spreadsheets;
    ProgressView& progress;
    std::string programFolder;  // Template.xls and system.mdw lie here or in the installed data folder
    std::string iniPath;        // the settings file with section "CATALOG"
    CalendarDate today;         // for the date placeholders of the titles
};

// Writes the workbook to outputPath; true when it was written and saved,
// false after any failure (already reported to the user).
bool CreateCatalog(const std::string& outputPath, const CatalogInputs& inputs, CatalogServices& services);

// The title with "<FileName>", "<FileTitle>", "<YYYY>", "<YY>", "<MM>",
// "<M>", "<DD>", "<D>" replaced, compared without regard to case.
std::string ExpandTitle(const std::string& title, const std::string& databasePath, const CalendarDate& today);

}  // namespace speclore::catalog
