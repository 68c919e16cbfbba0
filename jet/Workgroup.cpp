#include "jet/Workgroup.h"

#include <optional>
#include <vector>

#include "app/AppError.h"
#include "jet/DatabaseFileCheck.h"
#include "jet/TextCase.h"

namespace speclore::jet {

namespace {

constexpr const char* kDefaultUser = "Admin";

// The user names of MSysAccounts; rows flagged as groups are no logins.
std::vector<std::string> userNames(const RowTable& accounts) {
    std::optional<size_t> nameColumn, groupColumn;
    for (size_t c = 0; c < accounts.columns.size(); ++c) {
        if (equalsIgnoringCase(accounts.columns[c], "Name")) nameColumn = c;
        if (equalsIgnoringCase(accounts.columns[c], "FGroup")) groupColumn = c;
    }
    std::vector<std::string> names;
    if (!nameColumn) return names;
    for (const auto& row : accounts.rows) {
        if (groupColumn) {
            auto* group = std::get_if<int64_t>(&row[*groupColumn]);
            if (group && *group != 0) continue;
        }
        if (auto* name = std::get_if<std::string>(&row[*nameColumn])) names.push_back(*name);
    }
    return names;
}

std::vector<std::string> workgroupUsers(const std::string& readerPath, const ReaderLimits& limits,
                                        const std::string& systemDb) {
    try {
        checkDatabaseFile(systemDb);
        Snapshot snapshot = readSnapshot(readerPath, ReaderMode::Accounts, systemDb, limits);
        const RowTable* accounts = snapshot.rowTable("MSysAccounts");
        if (!accounts) throw AppError(err::DbWorkgroupFileMissing);
        return userNames(*accounts);
    } catch (const AppError& e) {
        if (e.number() == err::CannotCreateObject) throw;
        throw openError(err::DbWorkgroupFileMissing, systemDb);
    }
}

}  // namespace

void checkWorkgroupLogin(const std::string& readerPath, const ReaderLimits& limits,
                         const std::string& systemDb, const std::string& user, const std::string& password) {
    if (systemDb.empty()) {
        if (!equalsIgnoringCase(user, kDefaultUser) || !password.empty())
            throw AppError(err::DbInvalidAccount);
        return;
    }
    for (const std::string& name : workgroupUsers(readerPath, limits, systemDb)) {
        if (equalsIgnoringCase(name, user)) return;
    }
    throw AppError(err::DbInvalidAccount);
}

}  // namespace speclore::jet
