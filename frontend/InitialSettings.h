// The main window's remembered values, kept in section "INITIAL" of the
// settings file; the command line takes its default titles from there too.
#pragma once

#include <string>

namespace speclore::frontend {

struct InitialSettings {
    bool advancedOpen = false;     // OPTION
    std::string databasePassword;  // DBPASSWORD, stored encrypted
    std::string workgroupPath;     // MDBFILE
    std::string accountName;       // ACCOUNT
    std::string accountPassword;   // PASSWORD, stored encrypted
    std::string tableTitle;        // TABLETITLE
    std::string relationTitle;     // RELATIONTITLE
};

// Raises a type mismatch (13) for an OPTION that is no truth value. A
// password that does not decode has shown its error box and reads as "".
InitialSettings loadInitialSettings(const std::string& iniPath);

// Writes every key in the order above; a failure stops at that key.
void saveInitialSettings(const std::string& iniPath, const InitialSettings& settings);

// The titles alone, for the command line.
std::string initialTableTitle(const std::string& iniPath);
std::string initialRelationTitle(const std::string& iniPath);

// QUERYTITLE has no box in the main window, so it is only ever read; a file
// without one, or with an empty one (as every file written before the query
// sheet existed), gives "<FileTitle> クエリ仕様書".
std::string initialQueryTitle(const std::string& iniPath);

}  // namespace speclore::frontend
