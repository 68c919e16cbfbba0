// Opens a workbook in LibreOffice headless (Debian libreoffice-calc-nogui)
// and brings back what it read: the text of every sheet as CSV, or a PDF
// print. Shows that a real spreadsheet application accepts our files.
//
//   if (!libreOfficeInstalled()) SPECLORE_MISSING_TOOL("soffice is not installed");
//   SheetTexts sheets = readSheetsWithLibreOffice(book, workDir);
//   EXPECT_EQ(sheets.at("テーブル仕様書")[0][0], "title");
//
// Each conversion runs with its own LibreOffice profile under workDir, so
// tests running in parallel do not share (and lock) one user installation.
#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "support/Subprocess.h"

namespace speclore::test {

using CsvRow = std::vector<std::string>;
// Sheet name -> rows of cell texts, as LibreOffice shows them.
using SheetTexts = std::map<std::string, std::vector<CsvRow>>;

inline bool libreOfficeInstalled() {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (!dir.empty() && access((dir + "/soffice").c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

// soffice --headless --convert-to <target> --outdir <outDir> <input>.
inline ProcessResult convertWithLibreOffice(const std::filesystem::path& input, const std::string& target,
                                            const std::filesystem::path& outDir) {
    const std::filesystem::path profile = std::filesystem::absolute(outDir / "lo-profile");
    std::filesystem::create_directories(profile);
    return runProcess({"soffice", "-env:UserInstallation=file://" + profile.string(), "--headless",
                       "--norestore", "--convert-to", target, "--outdir", outDir.string(), input.string()},
                      std::chrono::minutes(3));
}

// RFC 4180 text: fields separated by commas, quoted fields with "" for a quote.
inline std::vector<CsvRow> parseCsv(std::string_view text) {
    std::vector<CsvRow> rows;
    CsvRow row;
    std::string field;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            row.push_back(std::move(field));
            field.clear();
            rows.push_back(std::move(row));
            row.clear();
        } else {
            field += c;
        }
    }
    if (!field.empty() || !row.empty()) {
        row.push_back(std::move(field));
        rows.push_back(std::move(row));
    }
    return rows;
}

// Every sheet of the workbook as LibreOffice reads it, in UTF-8. Empty when
// LibreOffice could not open the file; the conversion's messages go to log.
inline SheetTexts readSheetsWithLibreOffice(const std::filesystem::path& workbook,
                                            const std::filesystem::path& workDir,
                                            std::string* log = nullptr) {
    const std::filesystem::path outDir = workDir / "csv";
    std::filesystem::create_directories(outDir);
    // Comma, double quote, UTF-8 (76), from line 1, ..., formatted text as shown,
    // all sheets (-1), each to <stem>-<sheet name>.csv.
    const ProcessResult run = convertWithLibreOffice(
        workbook, "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1", outDir);
    if (log) {
        *log = run.out + run.err;
    }
    SheetTexts sheets;
    const std::string prefix = workbook.stem().string() + "-";
    for (const auto& entry : std::filesystem::directory_iterator(outDir)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".csv" || name.rfind(prefix, 0) != 0) {
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        sheets[entry.path().stem().string().substr(prefix.size())] = parseCsv(text.str());
    }
    return sheets;
}

}  // namespace speclore::test
