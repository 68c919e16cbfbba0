#include "frontend/InitialSettings.h"

#include "app/PasswordCipher.h"
#include "app/SettingsFile.h"
#include "frontend/BooleanText.h"

namespace speclore::frontend {

namespace {

constexpr const char* kSection = "INITIAL";

std::string readInitial(const std::string& iniPath, const char* key) {
    return GetIniValue(iniPath, kSection, key);
}

void writeInitial(const std::string& iniPath, const char* key, const std::string& value) {
    SetIniValue(iniPath, kSection, key, value);
}

}  // namespace

InitialSettings loadInitialSettings(const std::string& iniPath) {
    InitialSettings settings;
    const std::string option = readInitial(iniPath, "OPTION");
    settings.advancedOpen = textToBoolean(option.empty() ? "False" : option);
    settings.databasePassword = BFDecode(kPasswordKey, readInitial(iniPath, "DBPASSWORD"));
    settings.workgroupPath = readInitial(iniPath, "MDBFILE");
    settings.accountName = readInitial(iniPath, "ACCOUNT");
    settings.accountPassword = BFDecode(kPasswordKey, readInitial(iniPath, "PASSWORD"));
    settings.tableTitle = initialTableTitle(iniPath);
    settings.relationTitle = initialRelationTitle(iniPath);
    return settings;
}

void saveInitialSettings(const std::string& iniPath, const InitialSettings& settings) {
    writeInitial(iniPath, "OPTION", booleanToText(settings.advancedOpen));
    writeInitial(iniPath, "DBPASSWORD", BFEncode(kPasswordKey, settings.databasePassword));
    writeInitial(iniPath, "MDBFILE", settings.workgroupPath);
    writeInitial(iniPath, "ACCOUNT", settings.accountName);
    writeInitial(iniPath, "PASSWORD", BFEncode(kPasswordKey, settings.accountPassword));
    writeInitial(iniPath, "TABLETITLE", settings.tableTitle);
    writeInitial(iniPath, "RELATIONTITLE", settings.relationTitle);
}

std::string initialTableTitle(const std::string& iniPath) { return readInitial(iniPath, "TABLETITLE"); }

std::string initialRelationTitle(const std::string& iniPath) { return readInitial(iniPath, "RELATIONTITLE"); }

std::string initialQueryTitle(const std::string& iniPath) {
    const std::string title = readInitial(iniPath, "QUERYTITLE");
    return title.empty() ? "<FileTitle> クエリ仕様書" : title;
}

}  // namespace speclore::frontend
