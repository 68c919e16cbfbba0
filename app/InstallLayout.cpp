#include "app/InstallLayout.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "app/AtomicFile.h"
#include "app/Startup.h"

namespace speclore {

namespace {

constexpr const char* kSettingsName = "Speclore.ini";
constexpr const char* kConfigFolderName = "speclore";
// Far more than the default settings file needs; a bigger file is no default.
constexpr size_t kMaxDefaultSettingsBytes = size_t{1} << 20;

bool isRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool mayWrite(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string installedDefaultSettings(const std::string& programFolder) {
    return installedFolderFor(programFolder, ProgramFileKind::Data) + "/" + kSettingsName;
}

std::optional<std::string> userConfigFolder(const SettingsEnvironment& environment) {
    if (environment.xdgConfigHome && !environment.xdgConfigHome->empty() &&
        environment.xdgConfigHome->front() == '/') {
        return *environment.xdgConfigHome;
    }
    if (environment.home && !environment.home->empty()) return *environment.home + "/.config";
    return std::nullopt;
}

// The user's own copy starts as the shipped default; without a default the
// program starts with empty settings, as a portable copy without its file.
void createFromDefault(const std::string& settingsPath, const std::string& programFolder) {
    std::error_code error;
    std::filesystem::create_directories(folderOf(settingsPath), error);
    if (error) return;
    for (const std::string& source :
         {programFolder + "/" + kSettingsName, installedDefaultSettings(programFolder)}) {
        const FileRead read = readRegularFile(source, kMaxDefaultSettingsBytes);
        if (read.status == FileReadStatus::Read) {
            replaceFileContents(settingsPath, read.bytes);
            return;
        }
    }
}

}  // namespace

std::string installedFolderFor(const std::string& programFolder, ProgramFileKind kind) {
    return programFolder + "/" +
           (kind == ProgramFileKind::Data ? SPECLORE_DATA_FROM_BIN : SPECLORE_LIBRARY_FROM_BIN);
}

std::string findProgramFile(const std::string& programFolder, const std::string& name, ProgramFileKind kind) {
    const std::string beside = programFolder + "/" + name;
    if (::access(beside.c_str(), F_OK) == 0) return beside;
    const std::string installed = installedFolderFor(programFolder, kind) + "/" + name;
    if (::access(installed.c_str(), F_OK) == 0) return installed;
    return beside;
}

SettingsEnvironment settingsEnvironmentFromProcess() {
    SettingsEnvironment environment;
    if (const char* home = std::getenv("HOME")) environment.home = home;
    if (const char* config = std::getenv("XDG_CONFIG_HOME")) environment.xdgConfigHome = config;
    return environment;
}

std::string settingsPathFor(const std::string& executablePath, const SettingsEnvironment& environment) {
    const std::string beside = iniPathFor(executablePath);
    const std::string programFolder = folderOf(executablePath);
    // The settings file is replaced through a temporary file beside it, so
    // a portable copy needs a folder it may write.
    if (mayWrite(programFolder)) {
        const bool installed = isRegularFile(installedDefaultSettings(programFolder));
        if (isRegularFile(beside) || !installed) return beside;
    }

    const std::optional<std::string> configFolder = userConfigFolder(environment);
    if (!configFolder) return beside;
    const std::string perUser = *configFolder + "/" + kConfigFolderName + "/" + kSettingsName;
    if (!isRegularFile(perUser)) createFromDefault(perUser, programFolder);
    return perUser;
}

}  // namespace speclore
