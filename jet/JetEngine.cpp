#include "jet/JetEngine.h"

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
    return std::make_unique<JetDatabase>(
        readSnapshot(readerPath_, ReaderMode::Database, name, limits_, password));
}

JetDbEngineFactory::JetDbEngineFactory(const std::string& programFolder, ReaderLimits limits)
    : readerPath_(readerPathIn(programFolder)), limits_(limits) {}

std::unique_ptr<catalog::DbEngine> JetDbEngineFactory::NewEngine() {
    return std::make_unique<JetDbEngine>(readerPath_, limits_);
}

}  // namespace speclore::jet
