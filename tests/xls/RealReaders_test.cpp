// Workbooks written by our engine, read back by a reader that is not ours:
// xlrd, through tests/tools/xlsdump, for values, formats and layout.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "CatalogPattern.h"
#include "XlsTestSupport.h"
#include "catalog/Spreadsheet.h"
#include "support/TempDir.h"
#include "support/Xlsdump.h"
#include "xls/XlsApplication.h"

namespace speclore::test {
namespace {

using namespace speclore::catalog;
using nlohmann::json;

const std::string kUiFont = "ＭＳ Ｐゴシック";

// Test names for the two templates that the round trip and edit tests use.
std::string templateName(const testing::TestParamInfo<std::string>& info) {
    return info.param == kTemplate ? "Ours" : "SavedByLibreOffice";
}

// ---------------------------------------------------------------------------
// Reading back.

// The cell's format as xlsdump gives it, without the record numbers that a
// rewrite may change; the workbook's default format for a cell it does not list.
json formatOf(const json& book, const json& sheet, const std::string& address) {
    const json* cell = findCell(sheet, address);
    json format = cell ? (*cell)["format"] : book["default_cell_format"];
    format.erase("xf_index");
    format["font"].erase("index");
    return format;
}

// (id, length) of every record from the first BOF to the last EOF, leaving out
// the cell table (compared cell by cell instead) and the lookup records that a
// writer may drop or rebuild (INDEX, DBCELL, EXTSST).
std::vector<std::pair<std::string, int>> layoutRecords(const std::string& path) {
    static const std::set<std::string> skipped = {"020B", "00D7", "00FF", "0208", "0201", "00BE",
                                                  "00FD", "0203", "027E", "00BD", "0204", "0006",
                                                  "0207", "0205", "04BC", "0221", "0236", "00D6"};
    const json dump = xlsdumpJson(path, {"--records"});
    std::vector<std::pair<std::string, int>> records;
    size_t end = 0;
    for (size_t i = 0; i < dump["records"].size(); ++i) {
        if (dump["records"][i]["id"] == "000A") {
            end = i + 1;  // stream padding after the last EOF is no record
        }
    }
    for (size_t i = 0; i < end; ++i) {
        const json& record = dump["records"][i];
        if (!skipped.count(record["id"].get<std::string>())) {
            records.emplace_back(record["id"].get<std::string>(), record["length"].get<int>());
        }
    }
    return records;
}

// Compound-file entries other than the Workbook stream, with their sizes.
std::set<std::tuple<std::string, std::string, long>> otherStreams(const json& streams) {
    std::set<std::tuple<std::string, std::string, long>> entries;
    for (const json& entry : streams["entries"]) {
        const std::string name = entry["name"];
        if (name == "Workbook" || entry["type"] == "root") {
            continue;
        }
        entries.emplace(name, entry["type"].get<std::string>(), entry["size"].get<long>());
    }
    return entries;
}

// ---------------------------------------------------------------------------
// (a) Opening and saving without any operation changes nothing a reader sees.

class RoundTrip : public testing::TestWithParam<std::string> {};

TEST_P(RoundTrip, ChangesNothing) {
    TempDir dir("speclore-roundtrip");
    const std::string copy = copyInto(dir, GetParam(), "copy.xls");
    {
        xls::XlsApplicationFactory factory;
        std::unique_ptr<XlApplication> excel = factory.CreateApplication();
        excel->OpenWorkbook(copy)->Close(true);
        excel->Quit();
    }
    ASSERT_EQ(runXlsdump(copy, {"--check"}).exitCode, 0) << runXlsdump(copy, {"--check"}).err;

    EXPECT_EQ(dumpWithoutName(copy, {"--all"}), dumpWithoutName(GetParam(), {"--all"}))
        << "cells, formats, column widths, row heights or merged ranges changed";
    EXPECT_EQ(dumpWithoutName(copy, {"--xfs"}), dumpWithoutName(GetParam(), {"--xfs"}));
    EXPECT_EQ(layoutRecords(copy), layoutRecords(GetParam()))
        << "page setup, print titles, names, window or drawing records changed";

    const json before = xlsdumpJson(GetParam(), {"--streams"});
    const json after = xlsdumpJson(copy, {"--streams"});
    EXPECT_EQ(after["root_clsid"], before["root_clsid"]);
    EXPECT_EQ(otherStreams(after), otherStreams(before));
}

INSTANTIATE_TEST_SUITE_P(Templates, RoundTrip, testing::Values(kTemplate, kLibreOfficeTemplate),
                         templateName);

TEST(Discard, LeavesTheFileAsItWas) {
    TempDir dir("speclore-discard");
    const std::string copy = copyInto(dir, kTemplate, "copy.xls");
    xls::XlsApplicationFactory factory;
    std::unique_ptr<XlApplication> excel = factory.CreateApplication();
    std::unique_ptr<XlWorkbook> book = excel->OpenWorkbook(copy);
    writeTableSheet(book->Sheets(1), kTables);
    book->Close(false);
    excel->Quit();
    EXPECT_TRUE(readText(copy) == readText(kTemplate));
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()),
        1)
        << "no temporary file left behind";
}

// ---------------------------------------------------------------------------
// (b) The catalog run's edits change exactly the cells they name.

struct Expected {
    std::optional<json> value;  // text or integer written
    json format;                // the whole format the cell must end with
};

json thin(int colorIndex) { return {{"style_code", 1}, {"colorindex", colorIndex}}; }

json none() { return {{"style_code", 0}}; }

// Does `actual` hold every key of `wanted` with the same value (recursively)?
::testing::AssertionResult contains(const json& actual, const json& wanted, const std::string& path) {
    if (!wanted.is_object()) {
        if (actual == wanted) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure()
               << path << ": got " << actual.dump() << ", want " << wanted.dump();
    }
    for (auto it = wanted.begin(); it != wanted.end(); ++it) {
        if (!actual.is_object() || !actual.contains(it.key())) {
            return ::testing::AssertionFailure() << path << "." << it.key() << " missing";
        }
        ::testing::AssertionResult inner = contains(actual[it.key()], it.value(), path + "." + it.key());
        if (!inner) {
            return inner;
        }
    }
    return ::testing::AssertionSuccess();
}

// A template and the catalog written into a copy of it, both as xlsdump reads
// them; made once per template for all the tests that look at it.
struct EditedCatalog {
    TempDir dir{"speclore-edit"};
    std::string output;
    json before;
    json after;
};

const EditedCatalog& editedCatalog(const std::string& templatePath) {
    static std::map<std::string, std::unique_ptr<EditedCatalog>> made;
    std::unique_ptr<EditedCatalog>& edit = made[templatePath];
    if (!edit) {
        edit = std::make_unique<EditedCatalog>();
        edit->output = copyInto(edit->dir, templatePath, "catalog.xls");
        writeCatalog(edit->output);
        edit->before = xlsdumpJson(templatePath);
        edit->after = xlsdumpJson(edit->output);
    }
    return *edit;
}

class CatalogEdit : public testing::TestWithParam<std::string> {
protected:
    const EditedCatalog& edit() const { return editedCatalog(GetParam()); }

    json templateFormat(int sheet, const std::string& address) const {
        return formatOf(edit().before, sheetNumber(edit().before, sheet), address);
    }

    void checkSheet(int number, const std::map<std::string, Expected>& expected) const {
        const json& before = sheetNumber(edit().before, number);
        const json& after = sheetNumber(edit().after, number);
        for (const auto& [address, want] : expected) {
            SCOPED_TRACE(address);
            const json* cell = findCell(after, address);
            if (want.value) {
                ASSERT_NE(cell, nullptr) << "value missing";
                EXPECT_EQ((*cell)["value"], *want.value);
                EXPECT_EQ((*cell)["type"], want.value->is_string() ? "text" : "number");
            } else if (cell) {
                EXPECT_EQ((*cell)["type"], "blank") << "no value was written here";
            }
            EXPECT_TRUE(contains(formatOf(edit().after, after, address), want.format, "format"));
        }
        // Every other cell is as in the template: same value, same format.
        std::set<std::string> seen;
        for (const json* sheet : {&before, &after}) {
            for (const json& cell : (*sheet)["cells"]) {
                const std::string address = cell["address"];
                if (expected.count(address) || !seen.insert(address).second) {
                    continue;
                }
                SCOPED_TRACE("untouched " + address);
                const json* was = findCell(before, address);
                const json* is = findCell(after, address);
                ASSERT_TRUE(was && is) << "cell appeared or vanished";
                EXPECT_EQ(is->value("value", json()), was->value("value", json()));
                EXPECT_EQ(formatOf(edit().after, after, address), formatOf(edit().before, before, address));
            }
        }
        EXPECT_EQ(after["columns"], before["columns"]);
        EXPECT_EQ(after["merged"], before["merged"]);
        EXPECT_EQ(after["default_row_height_twips"], before["default_row_height_twips"]);
        EXPECT_EQ(after["rows"][0], before["rows"][0]) << "the title row's height";
    }
};

json headingCell(const json& base) {
    json format = base;
    format["horizontal"] = {{"excel", -4108}};
    format["borders"] = {
        {"left", thin(-4105)}, {"top", thin(-4105)}, {"bottom", thin(-4105)}, {"right", thin(-4105)}};
    format["fill"] = {{"excel", {{"Pattern", 1}, {"ColorIndex", 15}, {"PatternColorIndex", -4105}}}};
    return format;
}

// Borders of a cell in a frame whose first row is `first`: every cell has its
// bottom line (inside horizontal or bottom edge), the first row no top line.
json framedCell(const json& base, int row, int first) {
    json format = base;
    format["borders"] = {{"left", thin(15)},
                         {"right", thin(15)},
                         {"top", row > first ? thin(15) : none()},
                         {"bottom", thin(15)}};
    format["fill"] = {{"pattern_code", 0}};
    return format;
}

// Only the groups a test states; the rest is compared by `contains`.
json plainFont() { return {{"name", kUiFont}, {"height_twips", 220}, {"bold", false}}; }

TEST_P(CatalogEdit, OpensInAnIndependentReader) {
    const ProcessResult check = runXlsdump(edit().output, {"--check"});
    EXPECT_EQ(check.exitCode, 0) << check.err;
}

TEST_P(CatalogEdit, TableSheetHoldsExactlyTheWrittenCells) {
    std::map<std::string, Expected> expected;
    // The title keeps the template's large bold font and its rule.
    expected["A1"] = {json(kTableTitle), templateFormat(1, "A1")};
    const json plain = {{"font", plainFont()}};
    const std::vector<BlockRows> rows = blockRows(kTables);
    for (size_t t = 0; t < kTables.size(); ++t) {
        const TableBlock& table = kTables[t];
        const BlockRows& r = rows[t];
        for (char c = 'A'; c <= 'F'; ++c) {
            json title = plain;
            title["horizontal"] = {{"excel", 1}};
            title["vertical"] = {{"excel", -4107}};
            title["wrap"] = false;
            title["borders"] = {{"left", none()}, {"top", none()}, {"bottom", none()}, {"right", none()}};
            std::optional<json> value;
            if (c == 'A') {
                value = table.name;
            } else if (c == 'F' && !table.description.empty()) {
                value = table.description;
            }
            expected[at(c, r.title)] = {value, title};
            expected[at(c, r.heading)] = {json(kTableHeadings[c - 'A']), headingCell(plain)};
        }
        for (int row = r.firstField; row <= r.lastField; ++row) {
            const FieldRow& field = table.fields[row - r.firstField];
            for (char c = 'A'; c <= 'F'; ++c) {
                json format = framedCell(plain, row, r.firstField);
                std::optional<json> value;
                if (c == 'A') {
                    value = row - r.firstField + 1;
                    format["font"]["bold"] = field.primaryKey;
                } else if (!field.texts[c - 'B'].empty()) {
                    value = field.texts[c - 'B'];
                }
                expected[at(c, row)] = {value, format};
            }
        }
    }
    checkSheet(1, expected);
}

TEST_P(CatalogEdit, RelationSheetHoldsExactlyTheWrittenCells) {
    std::map<std::string, Expected> expected;
    expected["A1"] = {json(kRelationTitle), templateFormat(2, "A1")};
    const json plain = {{"font", plainFont()}, {"vertical", {{"excel", -4107}}}};
    const int last = 4 + static_cast<int>(kRelations.size());
    for (char c = 'A'; c <= 'J'; ++c) {
        expected[at(c, 4)] = {json(kRelationHeadings[c - 'A']), headingCell(plain)};
        for (int row = 5; row <= last; ++row) {
            std::optional<json> value;
            if (c == 'A') {
                value = row - 4;
            } else if (*kRelations[row - 5][c - 'B']) {
                value = kRelations[row - 5][c - 'B'];
            }
            expected[at(c, row)] = {value, framedCell(plain, row, 5)};
        }
    }
    checkSheet(2, expected);
}

TEST_P(CatalogEdit, BoldKeepsTheFontAndBothBoldMarksAreSet) {
    const json* number = findCell(sheetNumber(edit().after, 1), "A5");
    ASSERT_NE(number, nullptr);
    const json& font = (*number)["format"]["font"];
    EXPECT_EQ(font["weight"], 700) << "LibreOffice and Excel read the weight";
    EXPECT_TRUE(font["bold_flag_bit"]) << "xlrd reads the flag bit";
    EXPECT_EQ(font["name"], kUiFont);
    EXPECT_EQ(font["height_twips"], 220);
}

// The template saved by LibreOffice has its Workbook stream in the mini
// stream; the catalog outgrows it. Other streams stay as they were.
TEST_P(CatalogEdit, KeepsTheOtherStreams) {
    const json before = xlsdumpJson(GetParam(), {"--streams"});
    const json after = xlsdumpJson(edit().output, {"--streams"});
    EXPECT_EQ(after["root_clsid"], before["root_clsid"]);
    EXPECT_EQ(otherStreams(after), otherStreams(before));
    for (const json& entry : after["entries"]) {
        if (entry["name"] == "Workbook") {
            EXPECT_GE(entry["size"].get<long>(), 4096);
            EXPECT_FALSE(entry["in_mini_stream"]);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Templates, CatalogEdit, testing::Values(kTemplate, kLibreOfficeTemplate),
                         templateName);

TEST(LargeCatalog, EveryValueReadsBack) {
    TempDir dir("speclore-large");
    const std::string output = copyInto(dir, kTemplate, "large.xls");
    const std::vector<TableBlock> tables = manyTables();
    writeCatalog(output, tables);

    const json book = xlsdumpJson(output, {"--values-only", "--sheet", "1"});
    std::map<std::string, json> read;
    for (const json& cell : book["sheets"][0]["cells"]) {
        read[cell["address"]] = cell["value"];
    }
    EXPECT_EQ(read, tableSheetValues(tables));
}

}  // namespace
}  // namespace speclore::test
