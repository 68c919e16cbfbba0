#include "cli/CliRun.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "app/AppError.h"
#include "app/AppGlobals.h"
#include "app/ErrorBox.h"
#include "app/InstallLayout.h"
#include "app/MessageBox.h"
#include "catalog/CatalogRun.h"
#include "catalog/OpenMdbFile.h"
#include "frontend/InitialSettings.h"
#include "frontend/ListedTables.h"
#include "frontend/RunMessages.h"
#include "frontend/Today.h"

namespace speclore::cli {

namespace {

// The main window lists tables while browsing for the database; its tag
// names the procedure that would have failed there.
constexpr const char* kListingTag = "fMain-cmd処理ファイル参照_Click";

std::string environmentValue(const std::optional<std::string>& variable) {
    if (!variable) return {};
    const char* value = std::getenv(variable->c_str());
    if (!value) throw UsageError{"environment variable " + *variable + " is not set"};
    return value;
}

catalog::DatabaseLogin loginFor(const CliOptions& options) {
    catalog::DatabaseLogin login;
    // The main window keeps the database's full path, and the titles take
    // "<FileName>" from its folder separator: a bare name from the command
    // line would give an empty name.
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(options.databasePath, error);
    login.databasePath = error ? options.databasePath : full.string();
    login.databasePassword = environmentValue(options.databasePasswordVariable);
    if (options.workgroupPath) {
        login.workgroupShownText = *options.workgroupPath;
        login.workgroupPath = *options.workgroupPath;
        login.accountName = options.accountName.value_or("");
        login.accountPassword = environmentValue(options.accountPasswordVariable);
    }
    return login;
}

// Whether TableDefs(name) finds a table, by the engine's own comparison.
bool holdsTable(const catalog::Database& database, const std::string& name) {
    try {
        database.TableDefs(name);
        return true;
    } catch (const AppError& error) {
        if (error.number() == err::DbItemNotFound) return false;
        throw;
    }
}

// The open database with its table list as the main window would fill it
// (tables whose attribute word is 0, in the engine's order, all selected),
// or the named tables in the order given; nothing when the database cannot
// be opened (already reported). The run reads the same opening.
struct ListedDatabase {
    catalog::OpenedDatabase opened;
    std::vector<catalog::TableListItem> tables;
};

std::optional<ListedDatabase> listedDatabase(const CliOptions& options, const std::string& programFolder,
                                             catalog::DbEngineFactory& engines,
                                             const catalog::DatabaseLogin& login) {
    std::optional<ListedDatabase> listed;
    std::optional<std::string> unknownTable;
    const bool opened = trap(ProcTag::common(kListingTag), [&] {
        auto database = catalog::OpenMdbFile(engines, programFolder, login);
        if (!database) return;
        listed.emplace();
        std::vector<catalog::TableListItem>& list = listed->tables;
        if (options.tables.empty()) {
            for (std::string& name : frontend::listedTables(*database->database)) {
                list.push_back({std::move(name), true});
            }
        } else {
            for (const std::string& name : options.tables) {
                if (!unknownTable && !holdsTable(*database->database, name)) unknownTable = name;
                list.push_back({name, true});
            }
        }
        listed->opened = std::move(*database);
    });
    if (!opened) return std::nullopt;
    if (unknownTable) {
        throw UsageError{"the database has no table named \"" + *unknownTable + "\""};
    }
    return listed;
}

}  // namespace

ExitStatus runCli(const CliOptions& options, const std::string& programFolder, CliEngines engines,
                  catalog::ProgressView& progress) {
    if (options.settingsPath && !std::filesystem::is_regular_file(*options.settingsPath)) {
        throw UsageError{"no settings file at " + *options.settingsPath};
    }
    if (options.templatePath && !std::filesystem::is_regular_file(*options.templatePath)) {
        throw UsageError{"no template at " + *options.templatePath};
    }
    AppGlobals& globals = appGlobals();
    globals.programFolder = programFolder;
    // The windowed program's settings file, wherever that program keeps it.
    globals.iniPath = options.settingsPath.value_or(
        settingsPathFor(programFolder + "/Speclore", settingsEnvironmentFromProcess()));

    catalog::CatalogInputs inputs;
    inputs.login = loginFor(options);
    // A title not given is the one the main window would restore.
    inputs.tableTitle =
        options.tableTitle ? *options.tableTitle : frontend::initialTableTitle(globals.iniPath);
    inputs.relationTitle =
        options.relationTitle ? *options.relationTitle : frontend::initialRelationTitle(globals.iniPath);
    inputs.queryTitle =
        options.queryTitle ? *options.queryTitle : frontend::initialQueryTitle(globals.iniPath);

    auto listed = listedDatabase(options, programFolder, engines.databases, inputs.login);
    if (!listed) return kExitRunFailed;
    if (listed->tables.empty()) {
        MsgBox(frontend::kNoTableChosen, vbInformation);
        return kExitRunFailed;
    }
    inputs.tables = std::move(listed->tables);

    catalog::CatalogServices services{engines.databases,
                                      engines.spreadsheets,
                                      progress,
                                      globals.programFolder,
                                      globals.iniPath,
                                      frontend::today(),
                                      options.templatePath.value_or("")};
    services.openedDatabase = std::move(listed->opened);
    const bool written = catalog::CreateCatalog(options.outputPath, inputs, services);
    frontend::showRunOutcome(written);
    return written ? kExitWritten : kExitRunFailed;
}

}  // namespace speclore::cli
