// Where a portable and an installed copy find their files and keep the
// user's settings.
#include "app/InstallLayout.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "support/FileBytes.h"
#include "support/TempDir.h"

namespace speclore {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

constexpr uid_t kUnprivileged = 65534;

// Runs `body` in a child process as an ordinary user, so that a read-only
// folder is read-only even when the tests run as root; returns what it
// printed into `result`.
std::string asOrdinaryUser(const std::function<std::string()>& body) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return "pipe failed";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (::geteuid() == 0 && (::setgid(kUnprivileged) != 0 || ::setuid(kUnprivileged) != 0)) _exit(2);
        const std::string result = body();
        const ssize_t written = ::write(pipeEnds[1], result.data(), result.size());
        _exit(written == static_cast<ssize_t>(result.size()) ? 0 : 3);
    }
    ::close(pipeEnds[1]);
    std::string result;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) result.append(buffer, n);
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? result : "child failed";
}

void openUp(const fs::path& path) { fs::permissions(path, fs::perms::all, fs::perm_options::replace); }

class InstallLayout : public ::testing::Test {
protected:
    // A portable copy: the executable and its files in one folder.
    fs::path portable(const std::string& ini = "") {
        const fs::path folder = root / "portable";
        fs::create_directories(folder);
        test::writeText(folder / "Speclore", "");
        if (!ini.empty()) test::writeText(folder / "Speclore.ini", ini);
        return folder;
    }

    // An installed copy: bin/ with the executable, the data folder beside it.
    fs::path installed(const std::string& shippedIni) {
        const fs::path bin = root / "usr" / "bin";
        fs::create_directories(bin);
        test::writeText(bin / "speclore", "");
        const fs::path data = installedFolderFor(bin.string(), ProgramFileKind::Data);
        fs::create_directories(data);
        test::writeText(data / "Speclore.ini", shippedIni);
        test::writeText(data / "Template.xls", "shipped template");
        return bin;
    }

    SettingsEnvironment homeOf(const std::string& user) {
        const fs::path home = root / "home" / user;
        fs::create_directories(home);
        openUp(home);
        return {home.string(), std::nullopt};
    }

    TempDir dir;
    fs::path root = dir.path();
};

TEST_F(InstallLayout, APortableCopyKeepsItsSettingsBesideTheProgram) {
    const fs::path folder = portable();
    EXPECT_EQ(settingsPathFor((folder / "Speclore").string(), homeOf("a")),
              (folder / "Speclore.ini").string());
    test::writeText(folder / "Speclore.ini", "[INITIAL]\r\n");
    EXPECT_EQ(settingsPathFor((folder / "Speclore").string(), homeOf("a")),
              (folder / "Speclore.ini").string());
    EXPECT_FALSE(fs::exists(root / "home" / "a" / ".config"));
}

TEST_F(InstallLayout, AReadOnlyPortableCopyStartsTheUsersSettingsFromItsOwn) {
    const fs::path folder = portable("[CATALOG]\r\nTABLE=表\r\n");
    openUp(root);
    const SettingsEnvironment home = homeOf("a");
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
    const std::string path =
        asOrdinaryUser([&] { return settingsPathFor((folder / "Speclore").string(), home); });
    EXPECT_EQ(path, *home.home + "/.config/speclore/Speclore.ini");
    EXPECT_EQ(test::readText(path), "[CATALOG]\r\nTABLE=表\r\n");
}

TEST_F(InstallLayout, AnInstalledCopyGivesEveryUserTheirOwnSettings) {
    const fs::path bin = installed("[INITIAL]\r\nTABLETITLE=shipped\r\n");
    openUp(root);
    const SettingsEnvironment first = homeOf("first");
    const SettingsEnvironment second = homeOf("second");
    const std::string executable = (bin / "speclore").string();

    const std::string firstPath = settingsPathFor(executable, first);
    EXPECT_EQ(firstPath, *first.home + "/.config/speclore/Speclore.ini");
    EXPECT_EQ(test::readText(firstPath), "[INITIAL]\r\nTABLETITLE=shipped\r\n");
    test::writeText(firstPath, "[INITIAL]\r\nTABLETITLE=mine\r\n");

    // A later start keeps what the user changed; another user starts afresh.
    EXPECT_EQ(settingsPathFor(executable, first), firstPath);
    EXPECT_EQ(test::readText(firstPath), "[INITIAL]\r\nTABLETITLE=mine\r\n");
    const std::string secondPath = settingsPathFor(executable, second);
    EXPECT_EQ(test::readText(secondPath), "[INITIAL]\r\nTABLETITLE=shipped\r\n");
    // Nothing is written beside the program, even by a user who may write there.
    EXPECT_FALSE(fs::exists(bin / "speclore.ini"));
    EXPECT_FALSE(fs::exists(bin / "Speclore.ini"));
}

TEST_F(InstallLayout, XdgConfigHomeWinsOverHomeWhenItIsAnAbsolutePath) {
    const fs::path bin = installed("x");
    const fs::path config = root / "xdg";
    SettingsEnvironment environment = homeOf("a");
    environment.xdgConfigHome = config.string();
    EXPECT_EQ(settingsPathFor((bin / "speclore").string(), environment),
              (config / "speclore" / "Speclore.ini").string());
    environment.xdgConfigHome = "relative/config";
    EXPECT_EQ(settingsPathFor((bin / "speclore").string(), environment),
              *environment.home + "/.config/speclore/Speclore.ini");
    EXPECT_EQ(settingsPathFor((bin / "speclore").string(), SettingsEnvironment{}),
              (bin / "speclore.ini").string());
}

TEST_F(InstallLayout, ProgramFilesAreLookedUpBesideTheProgramFirst) {
    const fs::path bin = installed("x");
    const std::string folder = bin.string();
    EXPECT_EQ(findProgramFile(folder, "Template.xls", ProgramFileKind::Data),
              installedFolderFor(folder, ProgramFileKind::Data) + "/Template.xls");
    test::writeText(bin / "Template.xls", "portable template");
    EXPECT_EQ(findProgramFile(folder, "Template.xls", ProgramFileKind::Data), folder + "/Template.xls");
    // A file found nowhere is reported where a portable copy keeps it.
    EXPECT_EQ(findProgramFile(folder, "system.mdw", ProgramFileKind::Data), folder + "/system.mdw");
    const fs::path library = installedFolderFor(folder, ProgramFileKind::Library);
    fs::create_directories(library);
    test::writeText(library / "_blowfish.so", "");
    EXPECT_EQ(findProgramFile(folder, "_blowfish.so", ProgramFileKind::Library),
              (library / "_blowfish.so").string());
}

}  // namespace
}  // namespace speclore
