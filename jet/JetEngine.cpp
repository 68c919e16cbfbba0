#include "jet/JetEngine.h"

#include "jet/DaoSchema.h"
#include "jet/DatabaseFileCheck.h"
#include "jet/JetDatabase.h"
#include "jet/Workgroup.h"

namespace speclore::jet {

JetDbEngine::JetDbEngine(std::string readerPath, ReaderLimits limits)
    : readerPath_(std::move(readerPath)), limits_(limits) {}

void JetDbEngine::SetSystemDB(const std::string& path) { systemDb_ = path; }

void JetDbEngine::SetDefaultUser(const std::string& user) { user_ = user; }

void JetDbEngine::SetDefaultPassword(const std::string& password) { password_ = password; }

std::unique_ptr<catalog::Database> JetDbEngine::OpenDatabase(const std::string& name, bool, bool,
                                                             const std::string& connect) {
    checkWorkgroupLogin(readerPath_, limits_, systemDb_, user_, password_);
    DatabaseFileInfo info = checkDatabaseFile(name);
    const std::string password = passwordFromConnect(connect);
    checkDatabasePassword(name, info, password);
    // The TableDefs are made as the objects arrive, while the reader reads on.
    DaoTableDefs tables;
    Snapshot snapshot = readSnapshot(readerPath_, ReaderMode::Database, name, limits_, password,
                                     [&](const Snapshot& soFar, uint32_t position, CatalogObject& object) {
                                         tables.take(soFar, position, object);
                                     });
    std::vector<catalog::TableDef> tableDefs = std::move(tables).inCatalogOrder(snapshot);
    return std::make_unique<JetDatabase>(std::move(snapshot), std::move(tableDefs));
}

JetDbEngineFactory::JetDbEngineFactory(const std::string& programFolder, ReaderLimits limits)
    : readerPath_(readerPathIn(programFolder)), limits_(limits) {}

std::unique_ptr<catalog::DbEngine> JetDbEngineFactory::NewEngine() {
    return std::make_unique<JetDbEngine>(readerPath_, limits_);
}

}  // namespace speclore::jet
