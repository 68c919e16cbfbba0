// The whole catalog of a database written as .xlsx holds the same cells and
// formats as the .xls run of it: each read by its own outside reader
// (openpyxl through xlsxdump, xlrd through xlsdump), compared cell by cell
// as a person sees them.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>

#include "CatalogHarness.h"
#include "support/Xlsxdump.h"

namespace speclore::test {
namespace {

// What a cell shows: value, alignment, wrap, bold, four edges and fill.
std::string look(const nlohmann::json& value, int horizontal, int vertical, bool wrap, bool bold,
                 const std::map<std::string, std::string>& edges, const std::string& fill) {
    std::string text = value.dump() + " h" + std::to_string(horizontal) + " v" + std::to_string(vertical) +
                       (wrap ? " wrap" : "") + (bold ? " bold" : "");
    for (const auto& [edge, line] : edges) text += " " + edge + ":" + line;
    return text + " fill:" + fill;
}

std::string edgeText(const nlohmann::json& border) {
    const std::string style = border.value("style", "none");
    if (style == "none") return "none";
    return style + "/" + border.value("colorindex", nlohmann::json()).dump();
}

std::string fillText(const nlohmann::json& fill) {
    const std::string pattern = fill.value("pattern", "none");
    if (pattern == "none") return "none";
    return pattern + "/" + fill.value("fore_colorindex", nlohmann::json()).dump();
}

const std::string kDefaultLook =
    look(nullptr, 1, -4107, false, false,
         {{"bottom", "none"}, {"left", "none"}, {"right", "none"}, {"top", "none"}}, "none");

// Address -> look of the cells of a dumped sheet from `firstRow` down; the
// two readers name alignments differently, `alignments` gives their codes.
template <class Alignments>
std::map<std::string, std::string> looksFrom(const nlohmann::json& sheet, int firstRow,
                                             Alignments&& alignments) {
    std::map<std::string, std::string> looks;
    for (const nlohmann::json& cell : sheet.at("cells")) {
        const std::string address = cell.at("address");
        if (std::stoi(address.substr(address.find_first_of("0123456789"))) < firstRow) continue;
        const nlohmann::json& f = cell.at("format");
        std::map<std::string, std::string> edges;
        for (const char* edge : {"left", "top", "bottom", "right"})
            edges[edge] = edgeText(f["borders"][edge]);
        const auto [horizontal, vertical] = alignments(f);
        looks[address] = look(cell.value("value", nlohmann::json()), horizontal, vertical, f["wrap"],
                              f["font"]["bold"], edges, fillText(f["fill"]));
    }
    return looks;
}

// As xlrd sees the .xls.
std::map<std::string, std::string> xlsLooks(const nlohmann::json& sheet, int firstRow) {
    return looksFrom(sheet, firstRow, [](const nlohmann::json& f) {
        return std::pair<int, int>(f["horizontal"]["excel"], f["vertical"]["excel"]);
    });
}

// As openpyxl sees the .xlsx.
std::map<std::string, std::string> xlsxLooks(const nlohmann::json& sheet, int firstRow) {
    static const std::map<std::string, int> horizontal = {
        {"general", 1}, {"left", -4131}, {"center", -4108}, {"right", -4152}};
    static const std::map<std::string, int> vertical = {{"top", -4160}, {"center", -4108}, {"bottom", -4107}};
    return looksFrom(sheet, firstRow, [](const nlohmann::json& f) {
        return std::pair(horizontal.at(f["horizontal"]), vertical.at(f["vertical"]));
    });
}

void expectSameLooks(const std::map<std::string, std::string>& xls,
                     const std::map<std::string, std::string>& xlsx, const std::string& where) {
    std::set<std::string> addresses;
    for (const auto& entry : xls) addresses.insert(entry.first);
    for (const auto& entry : xlsx) addresses.insert(entry.first);
    size_t differences = 0;
    for (const std::string& address : addresses) {
        const auto a = xls.find(address), b = xlsx.find(address);
        const std::string& lookXls = a == xls.end() ? kDefaultLook : a->second;
        const std::string& lookXlsx = b == xlsx.end() ? kDefaultLook : b->second;
        if (lookXls != lookXlsx && ++differences <= 5) {
            ADD_FAILURE() << where << " " << address << "\n  .xls:  " << lookXls << "\n  .xlsx: " << lookXlsx;
        }
    }
    EXPECT_EQ(differences, 0u) << where;
}

TEST(XlsxMatchesXls, TheWholeCatalogOfEachFixture) {
    for (const char* fixture :
         {"catalog_ja.mdb", "rel_edge.mdb", "testV1997.mdb", "indexTestV2000.mdb", "queryTestV1997.mdb"}) {
        SCOPED_TRACE(fixture);
        CatalogHarness h;
        catalog::CatalogInputs inputs = h.inputsFor(fixture);
        inputs.tableTitle = "<FileName> のテーブル";
        inputs.relationTitle = "<FileTitle> のリレーション";
        inputs.queryTitle = "<FileTitle> のクエリ";
        const std::string xlsxOutput = (h.dir / "仕様書.xlsx").string();
        ASSERT_TRUE(h.run(inputs));
        ASSERT_TRUE(h.runTo(xlsxOutput, inputs));
        const nlohmann::json xls = xlsdumpJson(h.outputPath());
        const nlohmann::json xlsx = xlsxdumpJson(xlsxOutput);
        ASSERT_EQ(xlsx["sheets"].size(), 3u);
        for (int sheet = 1; sheet <= 3; ++sheet) {
            const nlohmann::json& xlsSheet = sheetNumber(xls, sheet);
            const nlohmann::json& xlsxSheet = xlsx["sheets"][sheet - 1];
            EXPECT_EQ(xlsxCell(xlsxSheet, "A1")["value"], findCell(xlsSheet, "A1")->at("value"));
            // Below the template's own rows every cell is the run's.
            const int firstRow = sheet == 2 ? 4 : 3;
            expectSameLooks(xlsLooks(xlsSheet, firstRow), xlsxLooks(xlsxSheet, firstRow),
                            std::string(fixture) + " sheet " + std::to_string(sheet));
        }
    }
}

}  // namespace
}  // namespace speclore::test
