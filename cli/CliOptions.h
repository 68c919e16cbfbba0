// The command line of speclore-cli.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace speclore::cli {

struct CliOptions {
    std::string databasePath;
    std::string outputPath;
    std::vector<std::string> tables;  // empty: every table the main window lists
    std::optional<std::string> tableTitle;
    std::optional<std::string> relationTitle;
    std::optional<std::string> queryTitle;
    std::optional<std::string> databasePasswordVariable;
    std::optional<std::string> workgroupPath;
    std::optional<std::string> accountName;
    std::optional<std::string> accountPasswordVariable;
    std::optional<std::string> settingsPath;
    std::optional<std::string> templatePath;  // instead of the program folder's
    bool help = false;
};

// What went wrong with the command line, in one sentence.
struct UsageError {
    std::string message;
};

// Parses the arguments after the program name. "--name value" and
// "--name=value" are both accepted; "--" ends the options.
CliOptions parseCliOptions(const std::vector<std::string>& arguments);

extern const char* const kCliHelpText;

}  // namespace speclore::cli
