// speclore-cli: the specification workbook without windows, for batch work
// and continuous integration. See --help.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "cli/TerminalProgress.h"
#include "jet/JetEngine.h"
#include "xls/XlsApplication.h"
#include "xlsx/XlsxApplication.h"

namespace {

// The folder of this executable, where the templates and Speclore.ini lie.
std::string programFolder() {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::filesystem::current_path().string();
    return executable.parent_path().string();
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "speclore-cli: %s\nTry 'speclore-cli --help'.\n", message.c_str());
    return speclore::cli::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace speclore::cli;
    try {
        const CliOptions options = parseCliOptions(std::vector<std::string>(argv + 1, argv + argc));
        if (options.help) {
            std::fputs(kCliHelpText, stdout);
            return kExitWritten;
        }
        TerminalProgress progress(stderr);
        CliMessageBox boxes(progress);
        speclore::installMessageBoxService(&boxes);

        const std::string folder = programFolder();
        speclore::jet::JetDbEngineFactory databases(folder);
        speclore::xls::XlsApplicationFactory xls;
        speclore::xlsx::XlsxApplicationFactory xlsx;
        const ExitStatus status = runCli(options, folder, {databases, {xls, xlsx}}, progress);
        speclore::installMessageBoxService(nullptr);
        return status;
    } catch (const UsageError& error) {
        speclore::installMessageBoxService(nullptr);
        return usageError(error.message);
    }
}
