// What LibreOffice makes of a workbook's cell formats: the workbook is
// converted to a flat OpenDocument spreadsheet (.fods, one XML file) and the
// cell styles are read back per cell. Shows that a real spreadsheet
// application draws the borders, fills, alignment and bold we stored.
//
//   SheetLooks looks = readCellLooksWithLibreOffice(book, workDir);
//   const CellLook& a4 = looks.at("テーブル仕様書").at("A4");
//   EXPECT_EQ(a4.background, "#c0c0c0");
//   EXPECT_TRUE(a4.hasBorder("top"));
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>

#include "support/LibreOffice.h"

namespace speclore::test {

struct CellLook {
    bool bold = false;
    std::string background;  // "#c0c0c0"; empty when the cell has no fill
    std::string textAlign;   // "center", "start", "end"; empty for general alignment
    // "top", "bottom", "left", "right" -> "0.74pt solid #c0c0c0"; absent or "none": no line
    std::map<std::string, std::string> borders;

    bool hasBorder(const std::string& edge) const {
        auto it = borders.find(edge);
        return it != borders.end() && it->second != "none";
    }
    std::string borderColour(const std::string& edge) const {
        auto it = borders.find(edge);
        return it == borders.end() ? std::string() : it->second.substr(it->second.rfind(' ') + 1);
    }
};

// Sheet name -> cell address ("A4") -> look, for every cell that has a style
// of its own; cells not listed show the default look.
using SheetLooks = std::map<std::string, std::map<std::string, CellLook>>;

namespace fods {

struct Tag {
    std::string name;
    std::map<std::string, std::string> attributes;
    bool closing = false;      // </name>
    bool selfClosing = false;  // <name ... />
};

// Reads the tag that starts at text[pos] == '<'; pos ends after its '>'.
inline Tag readTag(std::string_view text, size_t& pos) {
    Tag tag;
    size_t end = text.find('>', pos);
    if (end == std::string_view::npos) {
        end = text.size();
    }
    std::string_view inner = text.substr(pos + 1, end - pos - 1);
    pos = end + 1;
    if (!inner.empty() && inner.front() == '/') {
        tag.closing = true;
        inner.remove_prefix(1);
    }
    if (!inner.empty() && inner.back() == '/') {
        tag.selfClosing = true;
        inner.remove_suffix(1);
    }
    size_t i = inner.find_first_of(" \t\r\n");
    tag.name = std::string(inner.substr(0, i));
    while (i != std::string_view::npos && i < inner.size()) {
        const size_t eq = inner.find('=', i);
        if (eq == std::string_view::npos) {
            break;
        }
        const size_t open = inner.find('"', eq);
        const size_t close = inner.find('"', open + 1);
        if (open == std::string_view::npos || close == std::string_view::npos) {
            break;
        }
        const size_t nameStart = inner.find_first_not_of(" \t\r\n", i);
        tag.attributes[std::string(inner.substr(nameStart, eq - nameStart))] =
            std::string(inner.substr(open + 1, close - open - 1));
        i = close + 1;
    }
    return tag;
}

inline std::string attribute(const Tag& tag, const std::string& name) {
    auto it = tag.attributes.find(name);
    return it == tag.attributes.end() ? std::string() : it->second;
}

inline int repeat(const Tag& tag, const std::string& name) {
    const std::string value = attribute(tag, name);
    return value.empty() ? 1 : std::stoi(value);
}

inline std::string columnLetters(int column) {
    std::string letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
    }
    return letters;
}

inline void readCellProperties(const Tag& tag, CellLook& look) {
    const std::string background = attribute(tag, "fo:background-color");
    if (!background.empty() && background != "transparent") {
        look.background = background;
    }
    if (const std::string all = attribute(tag, "fo:border"); !all.empty()) {
        for (const char* edge : {"top", "bottom", "left", "right"}) {
            look.borders[edge] = all;
        }
    }
    for (const char* edge : {"top", "bottom", "left", "right"}) {
        if (const std::string one = attribute(tag, std::string("fo:border-") + edge); !one.empty()) {
            look.borders[edge] = one;
        }
    }
}

// Cell styles and the cells that use them, from a .fods document.
inline SheetLooks parse(std::string_view text) {
    constexpr int kLastColumn = 255;  // IV: nothing beyond it comes from an .xls
    std::map<std::string, CellLook> styles;
    SheetLooks sheets;
    std::string style;  // the table-cell style being read
    std::string sheet;
    int row = 0;
    int rowsRepeated = 1;  // of the row being read: its cells stand for that many rows
    int column = 0;
    for (size_t pos = text.find('<'); pos != std::string_view::npos; pos = text.find('<', pos)) {
        const Tag tag = readTag(text, pos);
        if (tag.name == "style:style") {
            style = !tag.closing && attribute(tag, "style:family") == "table-cell"
                        ? attribute(tag, "style:name")
                        : std::string();
        } else if (!style.empty() && tag.name == "style:table-cell-properties") {
            readCellProperties(tag, styles[style]);
        } else if (!style.empty() && tag.name == "style:text-properties") {
            styles[style].bold = attribute(tag, "fo:font-weight") == "bold";
        } else if (!style.empty() && tag.name == "style:paragraph-properties") {
            styles[style].textAlign = attribute(tag, "fo:text-align");
        } else if (tag.name == "table:table" && !tag.closing) {
            sheet = attribute(tag, "table:name");
            row = 0;
        } else if (tag.name == "table:table-row" && !tag.closing) {
            column = 0;
            rowsRepeated = repeat(tag, "table:number-rows-repeated");
            if (tag.selfClosing) {
                row += rowsRepeated;
            }
        } else if (tag.name == "table:table-row" && tag.closing) {
            row += rowsRepeated;
        } else if ((tag.name == "table:table-cell" || tag.name == "table:covered-table-cell") &&
                   !tag.closing) {
            const int count = repeat(tag, "table:number-columns-repeated");
            const std::string cellStyle = attribute(tag, "table:style-name");
            // Large repeated blocks are the unused rest of a sheet, never a written cell.
            const bool filler = static_cast<long>(rowsRepeated) * count > 4096;
            for (int r = 0; r < rowsRepeated && !filler && !cellStyle.empty(); ++r) {
                for (int i = 0; i < count && column + i <= kLastColumn; ++i) {
                    sheets[sheet][columnLetters(column + i) + std::to_string(row + r + 1)] =
                        styles[cellStyle];
                }
            }
            column += count;
        }
    }
    return sheets;
}

}  // namespace fods

// Every styled cell of the workbook as LibreOffice shows it. Empty when
// LibreOffice could not open the file; the conversion's messages go to log.
inline SheetLooks readCellLooksWithLibreOffice(const std::filesystem::path& workbook,
                                               const std::filesystem::path& workDir,
                                               std::string* log = nullptr) {
    const std::filesystem::path outDir = workDir / "fods";
    std::filesystem::create_directories(outDir);
    const ProcessResult run = convertWithLibreOffice(workbook, "fods", outDir);
    if (log) {
        *log = run.out + run.err;
    }
    std::ifstream in(outDir / (workbook.stem().string() + ".fods"), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return fods::parse(text.str());
}

}  // namespace speclore::test
