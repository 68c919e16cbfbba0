// Opening a database with the main window's password and workgroup settings.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "catalog/CatalogInputs.h"
#include "catalog/DatabaseEngine.h"

namespace speclore::catalog {

// The open database together with the engine that opened it; the engine
// must outlive the database (members are destroyed in reverse order).
struct OpenedDatabase {
    std::unique_ptr<DbEngine> engine;
    std::unique_ptr<Database> database;
};

// Opens login.databasePath with a fresh engine from `engines`. A failed
// opening shows the open-failure message (style 48) with the engine's
// description and gives nothing back. A failure before the open call
// (creating the engine, setting the workgroup) is raised to the caller's
// trap. The default workgroup file "system.mdw" is looked up beside the
// program in `programFolder`, then in the installed data folder.
std::optional<OpenedDatabase> OpenMdbFile(DbEngineFactory& engines, const std::string& programFolder,
                                          const DatabaseLogin& login);

}  // namespace speclore::catalog
