// Shared pieces of the .xlsx engine's tests: the template, packages made
// by hand for the refusals, and running the engine on a copy.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "support/TempDir.h"
#include "xlsx/XlsxApplication.h"

namespace speclore::test {

inline const std::string kXlsxTemplate = std::string(SPECLORE_SOURCE_DIR) + "/resources/Template.xlsx";

inline std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void putFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
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
