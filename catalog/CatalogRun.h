// The catalog run: the specification workbook for the chosen database.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "catalog/CatalogInputs.h"
#include "catalog/DatabaseEngine.h"
#include "catalog/OpenMdbFile.h"
#include "catalog/ProgressView.h"
#include "catalog/Spreadsheet.h"
#include "catalog/WorkbookFormat.h"

namespace speclore::catalog {

struct CalendarDate {
    int year;
    int month;
    int day;
};

// What a run reaches outside its inputs.
struct CatalogServices {
    DbEngineFactory& engines;
    SpreadsheetEngines spreadsheets;
    ProgressView& progress;
    // Template.xls, Template.xlsx and system.mdw lie here or in the installed data folder
    std::string programFolder;
    std::string iniPath;  // the settings file with section "CATALOG"
    CalendarDate today;   // for the date placeholders of the titles
    // The template to copy; empty: the one in the program's folder for the
    // output's format. Either way the output's name chooses the engine.
    std::string templatePath = {};
    // Called between the template copy and the opening of the workbook, so
    // that tests can run something else exactly then.
    std::function<void()> afterTemplateCopy = {};
    // The database of the inputs' login when the caller has opened it
    // already (to list its tables): the run takes it over rather than
    // opening and reading the file a second time.
    std::optional<OpenedDatabase> openedDatabase = {};
};

// Writes the workbook to outputPath, in the format its name asks for; true
// when it was written and saved, false after any failure (already reported
// to the user).
bool CreateCatalog(const std::string& outputPath, const CatalogInputs& inputs, CatalogServices& services);

// The title with "<FileName>", "<FileTitle>", "<YYYY>", "<YY>", "<MM>",
// "<M>", "<DD>", "<D>" replaced, compared without regard to case.
std::string ExpandTitle(const std::string& title, const std::string& databasePath, const CalendarDate& today);

}  // namespace speclore::catalog
