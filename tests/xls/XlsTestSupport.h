// Shared pieces of the workbook engine's tests: fixture workbooks, file
// bytes, and an xlsdump result without the parts that name the file.
#pragma once

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "support/FileBytes.h"
#include "support/TempDir.h"
#include "support/Xlsdump.h"

namespace speclore::test {

inline std::string xlsFixture(const std::string& name) {
    return std::string(SPECLORE_TEST_FIXTURES) + "/xls/" + name;
}

// Copies a fixture into `dir` under `name` and gives the copy's path.
inline std::string copyFixture(const TempDir& dir, const std::string& fixture, const std::string& name) {
    std::filesystem::path target = dir / name;
    std::filesystem::copy_file(xlsFixture(fixture), target,
                               std::filesystem::copy_options::overwrite_existing);
    return target.string();
}

// xlsdump's view of a workbook, with the file name taken out so that two
// files can be compared.
inline nlohmann::json dumpWithoutName(const std::string& path, const std::vector<std::string>& options = {}) {
    nlohmann::json dump = xlsdumpJson(path, options);
    dump.erase("file");
    return dump;
}

}  // namespace speclore::test
