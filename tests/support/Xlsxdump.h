// Reads an .xlsx workbook back with tests/tools/xlsxdump, a reader that is
// not ours (openpyxl, Debian package python3-openpyxl), and gives its JSON.
//
//   nlohmann::json book = xlsxdumpJson(path);             // sheets, cells, layout
//   nlohmann::json parts = xlsxdumpJson(path, {"--parts"});  // part -> SHA-256
//   const nlohmann::json& a1 = xlsxCell(book["sheets"][0], "A1");
//
// Each cell carries "type" (empty, number, text), "value" and "format":
// "horizontal", "vertical", "wrap", "borders" {left, top, bottom, right:
// "style" and "colorindex"}, "fill" {"pattern", "fore_colorindex",
// "back_colorindex"}, "font" {"name", "size", "bold"}. Colours are given as
// the object model's ColorIndex (automatic -4105).
#pragma once

#include <chrono>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/Subprocess.h"

namespace speclore::test {

inline std::string xlsxdumpPath() { return std::string(SPECLORE_SOURCE_DIR) + "/tests/tools/xlsxdump"; }

inline ProcessResult runXlsxdump(const std::string& file, const std::vector<std::string>& options = {}) {
    std::vector<std::string> argv{xlsxdumpPath()};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back(file);
    return runProcess(argv, std::chrono::seconds(120));
}

// Throws std::runtime_error with xlsxdump's message when the file cannot be read.
inline nlohmann::json xlsxdumpJson(const std::string& file, const std::vector<std::string>& options = {}) {
    const ProcessResult run = runXlsxdump(file, options);
    if (run.exitCode != 0) {
        throw std::runtime_error("xlsxdump failed (" + std::to_string(run.exitCode) + ") on " + file + ": " +
                                 run.err);
    }
    return nlohmann::json::parse(run.out);
}

// The cell with this address in one sheet of an xlsxdump result; an empty
// object when openpyxl saw no such cell.
inline nlohmann::json xlsxCell(const nlohmann::json& sheet, std::string_view address) {
    for (const nlohmann::json& cell : sheet.at("cells")) {
        if (cell.at("address").get<std::string_view>() == address) {
            return cell;
        }
    }
    return nlohmann::json::object();
}

}  // namespace speclore::test
