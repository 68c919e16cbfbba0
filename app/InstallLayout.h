// Where the program finds its files. A portable copy (the build folder, or a
// folder the user unpacked) keeps everything beside the executable. An
// installed copy has its executables in bin/, the reader and the cipher
// library in a private library folder and the templates and the default
// settings file in a data folder; both are found relative to the executable,
// so an unpacked package works under any root.
#pragma once

#include <optional>
#include <string>

namespace speclore {

enum class ProgramFileKind {
    Data,     // templates, the default settings file, system.mdw
    Library,  // the reader executable, the cipher library
};

// The installed folder for that kind, relative to the executable's folder.
std::string installedFolderFor(const std::string& programFolder, ProgramFileKind kind);

// `name` beside the program when it is there, else in the installed folder
// when it is there; the path beside the program when neither holds it, so
// that a missing file is reported where a portable copy keeps it.
std::string findProgramFile(const std::string& programFolder, const std::string& name, ProgramFileKind kind);

// What decides where the settings live, besides the files themselves.
struct SettingsEnvironment {
    std::optional<std::string> home;           // $HOME
    std::optional<std::string> xdgConfigHome;  // $XDG_CONFIG_HOME
};

SettingsEnvironment settingsEnvironmentFromProcess();

// The settings file for the executable. A portable copy keeps it beside the
// program, named after the executable, when the user may write the program's
// folder and the folder either holds that file or is no installed bin/
// folder. Otherwise it is "speclore/Speclore.ini" in the user's
// configuration folder, created there from the shipped default (the one
// beside the program, else the installed one) when it does not exist yet.
// Falls back to the file beside the program when no configuration folder can
// be had.
std::string settingsPathFor(const std::string& executablePath, const SettingsEnvironment& environment);

}  // namespace speclore
