#include "catalog/OpenMdbFile.h"

#include <sys/stat.h>

#include "app/AppError.h"
#include "app/InstallLayout.h"
#include "app/MessageBox.h"

namespace speclore::catalog {

namespace {

const std::string kOpenFailureMessage =
    "データベースファイルのオープンに失敗しました。 エラーに関連する説明は以下の通りです。";

bool pathExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// Without a workgroup of the user's choice the database is opened as Admin
// with an empty password, through "system.mdw" beside the program. When the
// program has no such file the engine is given an empty SystemDB, which it
// takes as the built-in default workgroup (account Admin, empty password).
// A system.mdw that exists but is no workgroup file is still passed on, so
// that the engine reports it rather than it being passed over silently.
void useDefaultWorkgroup(DbEngine& engine, const std::string& programFolder) {
    const std::string defaultWorkgroup = findProgramFile(programFolder, "system.mdw", ProgramFileKind::Data);
    engine.SetSystemDB(pathExists(defaultWorkgroup) ? defaultWorkgroup : std::string());
    engine.SetDefaultUser("Admin");
    engine.SetDefaultPassword("");
}

}  // namespace

std::optional<OpenedDatabase> OpenMdbFile(DbEngineFactory& engines, const std::string& programFolder,
                                          const DatabaseLogin& login) {
    OpenedDatabase opened;
    opened.engine = engines.NewEngine();
    DbEngine& engine = *opened.engine;

    const std::string connect = login.databasePassword.empty() ? "" : ";pwd=" + login.databasePassword;

    // Whether a workgroup is used follows the shown text of the box; the
    // engine always gets the full path kept behind it.
    if (!login.workgroupShownText.empty()) {
        engine.SetSystemDB(login.workgroupPath);
        engine.SetDefaultUser(login.accountName);
        engine.SetDefaultPassword(login.accountPassword);
    } else {
        useDefaultWorkgroup(engine, programFolder);
    }

    // Only the opening itself is answered here, with the engine's own
    // description; anything before it goes to the caller's trap.
    try {
        opened.database = engine.OpenDatabase(login.databasePath, false, false, connect);
    } catch (...) {
        const AppError error = currentErrorAsAppError();
        MsgBox(kOpenFailureMessage + "\r\n\r\n" + error.description(), vbExclamation);
        return std::nullopt;
    }
    return opened;
}

}  // namespace speclore::catalog
