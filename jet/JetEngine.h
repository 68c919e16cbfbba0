// Our database engine in DAO's place. Each engine opens databases through
// the reader executable beside the program and answers from the snapshot
// it takes; the database file is only ever read.
#pragma once

#include <string>

#include "catalog/DatabaseEngine.h"
#include "jet/ReaderProcess.h"

namespace speclore::jet {

class JetDbEngine : public catalog::DbEngine {
public:
    JetDbEngine(std::string readerPath, ReaderLimits limits);

    void SetSystemDB(const std::string& path) override;
    void SetDefaultUser(const std::string& user) override;
    void SetDefaultPassword(const std::string& password) override;
    // Checks, in DAO's order, the workgroup login, the file, the database
    // password in `connect` (";pwd=..."), then reads the database. Always
    // read-only: `exclusive` and `readOnly` change nothing, since nothing
    // is ever written or locked.
    std::unique_ptr<catalog::Database> OpenDatabase(const std::string& name, bool exclusive, bool readOnly,
                                                    const std::string& connect) override;

private:
    std::string readerPath_;
    ReaderLimits limits_;
    std::string systemDb_;
    std::string user_;
    std::string password_;
};

class JetDbEngineFactory : public catalog::DbEngineFactory {
public:
    // `programFolder` holds the reader executable.
    explicit JetDbEngineFactory(const std::string& programFolder, ReaderLimits limits = {});

    std::unique_ptr<catalog::DbEngine> NewEngine() override;

private:
    std::string readerPath_;
    ReaderLimits limits_;
};

}  // namespace speclore::jet
