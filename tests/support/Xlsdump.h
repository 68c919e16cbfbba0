// Reads a workbook back with tests/tools/xlsdump, a reader that is not ours
// (xlrd, Debian package python3-xlrd), and gives its JSON to the test.
//
//   nlohmann::json book = xlsdumpJson(path);                 // cells with formats
//   nlohmann::json one = xlsdumpJson(path, {"--sheet", "1", "--range", "A3:F8"});
//   const nlohmann::json* a1 = findCell(book["sheets"][0], "A1");
//
// What the JSON holds (see also xlsdump --help), in short: per sheet "name",
// "cells" (each with "address", "type", "value" and "format": "horizontal",
// "vertical", "wrap", "borders" {left, top, bottom, right}, "fill", "font"),
// "columns", "rows", "merged". --xfs lists every XF and FONT record, --streams
// the compound file's entries, --records the BIFF records of the Workbook
// stream. A cell without a "value" key holds none: read it with
// cell.value("value", nlohmann::json()), not cell["value"].
//
// Keep the result in a variable before looping over a part of it:
// `for (auto& c : xlsdumpJson(p)["sheets"])` loops over a destroyed object.
//
// Header-only so that any test suite can use it; needs nlohmann-json3-dev.
#pragma once

#include <chrono>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/Subprocess.h"

namespace speclore::test {

// The copy of xlsdump kept with the tests.
inline std::string xlsdumpPath() { return std::string(SPECLORE_SOURCE_DIR) + "/tests/tools/xlsdump"; }

// Runs xlsdump with the options and the file; the caller looks at the exit
// code (0 done, 1 unreadable file, 2 bad option, 3 xlrd missing).
inline ProcessResult runXlsdump(const std::string& file, const std::vector<std::string>& options = {}) {
    std::vector<std::string> argv{xlsdumpPath()};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back("--compact");
    argv.push_back(file);
    return runProcess(argv, std::chrono::seconds(120));
}

// The parsed output of a successful xlsdump run; throws std::runtime_error
// with xlsdump's own message when the file cannot be read.
inline nlohmann::json xlsdumpJson(const std::string& file, const std::vector<std::string>& options = {}) {
    const ProcessResult run = runXlsdump(file, options);
    if (run.exitCode != 0) {
        throw std::runtime_error("xlsdump failed (" + std::to_string(run.exitCode) + ") on " + file + ": " +
                                 run.err);
    }
    return nlohmann::json::parse(run.out);
}

// The cell with this address ("B7") in one sheet of an xlsdump result, or
// nullptr when xlsdump listed none (no record, or no value and a plain format).
inline const nlohmann::json* findCell(const nlohmann::json& sheet, std::string_view address) {
    for (const nlohmann::json& cell : sheet.at("cells")) {
        if (cell.at("address").get<std::string_view>() == address) {
            return &cell;
        }
    }
    return nullptr;
}

// The sheet numbered from 1, as Excel's Sheets(n).
inline const nlohmann::json& sheetNumber(const nlohmann::json& book, int number) {
    for (const nlohmann::json& sheet : book.at("sheets")) {
        if (sheet.at("number").get<int>() == number) {
            return sheet;
        }
    }
    throw std::out_of_range("xlsdump result has no sheet " + std::to_string(number));
}

}  // namespace speclore::test
