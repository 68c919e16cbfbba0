// Shared pieces of the .xlsx engine's tests: the template, packages made
// by hand for the refusals, and running the engine on a copy.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/FileBytes.h"
#include "support/MissingTool.h"
#include "support/Subprocess.h"
#include "support/TempDir.h"
#include "xlsx/XlsxApplication.h"

namespace speclore::test {

inline const std::string kXlsxTemplate = std::string(SPECLORE_SOURCE_DIR) + "/resources/Template.xlsx";

// Runs tests/xlsx/make_packages.py with `arguments`; exit status 3 says
// python3-openpyxl is missing.
inline ProcessResult makePackages(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {"python3",
                                        std::string(SPECLORE_SOURCE_DIR) + "/tests/xlsx/make_packages.py"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runProcess(command, std::chrono::minutes(2));
}

inline std::string copyTemplate(const TempDir& dir, const std::string& name,
                                const std::string& source = kXlsxTemplate) {
    const std::filesystem::path target = dir / name;
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing);
    return target.string();
}

// Opens the workbook with the engine, lets `edit` work on it and saves it.
template <class Edit>
void editWorkbook(const std::string& path, Edit&& edit) {
    xlsx::XlsxApplicationFactory factory;
    std::unique_ptr<catalog::XlApplication> application = factory.CreateApplication();
    std::unique_ptr<catalog::XlWorkbook> workbook = application->OpenWorkbook(path);
    edit(*workbook);
    workbook->Close(true);
    application->Quit();
}

}  // namespace speclore::test
