// A headless catalog run: the inputs the main window would gather, taken
// from the command line, the environment and the settings file.
#pragma once

#include "catalog/DatabaseEngine.h"
#include "catalog/ProgressView.h"
#include "catalog/WorkbookFormat.h"
#include "cli/CliOptions.h"

namespace speclore::cli {

enum ExitStatus : int { kExitWritten = 0, kExitRunFailed = 1, kExitUsage = 2 };

struct CliEngines {
    catalog::DbEngineFactory& databases;
    catalog::SpreadsheetEngines spreadsheets;
};

// Runs the catalog for the options; `programFolder` holds the templates and
// the default settings file. Raises UsageError for a password variable that
// is not set or a table the database does not hold.
ExitStatus runCli(const CliOptions& options, const std::string& programFolder, CliEngines engines,
                  catalog::ProgressView& progress);

}  // namespace speclore::cli
