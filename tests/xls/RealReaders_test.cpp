// Workbooks written by our engine, read back by readers that are not ours:
// xlrd (through tests/tools/xlsdump) for values and formats, LibreOffice
// headless for "a real spreadsheet application opens it and reads the same".
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "catalog/Spreadsheet.h"
#include "support/LibreOffice.h"
#include "support/LibreOfficeCellLooks.h"
#include "support/TempDir.h"
#include "support/Xlsdump.h"
#include "xls/XlsApplication.h"
#include "XlsTestSupport.h"

namespace speclore::test {
namespace {

using namespace speclore::catalog;
using nlohmann::json;

const std::string kTemplate = std::string(SPECLORE_SOURCE_DIR) + "/resources/Template.xls";
// Template.xls as LibreOffice saves it: Workbook in the mini stream, property
// set streams, an empty drawing, EXTSST (soffice --convert-to xls).
const std::string kLibreOfficeTemplate =
    std::string(SPECLORE_TEST_FIXTURES) + "/template_libreoffice.xls";
const std::string kUiFont = "ＭＳ Ｐゴシック";

// Test names for the two templates that the round trip and edit tests use.
std::string templateName(const testing::TestParamInfo<std::string>& info) {
    return info.param == kTemplate ? "Ours" : "SavedByLibreOffice";
}

std::string copyInto(const TempDir& dir, const std::string& source, const std::string& name) {
    const std::filesystem::path target = dir / name;
    std::filesystem::copy_file(source, target);
    return target.string();
}

std::string at(char column, int row) {
    return column + std::to_string(row);
}

// ---------------------------------------------------------------------------
// Writing in the catalog run's pattern.

const std::array<const char*, 6> kTableHeadings = {"NO", "項目名称", "タイプ", "サイズ", "インデックス", "項目説明"};
const std::array<const char*, 10> kRelationHeadings = {
    "NO", "外部参照テーブル名", "外部参照項目名", "参照先テーブル名", "参照先項目名",
    "リレーション", "参照整合性", "連鎖更新", "連鎖削除", "結合"};

struct FieldRow {
    std::array<std::string, 5> texts;  // columns B to F
    bool primaryKey;
};

struct TableBlock {
    std::string name;
    std::string description;
    std::vector<FieldRow> fields;
};

const std::vector<TableBlock> kTables = {
    {"顧客", "顧客マスタ",
     {{{"顧客ID", "ｵｰﾄﾅﾝﾊﾞｰ型", "長整数型", "PrimaryKey", "顧客を一意に識別する番号"}, true},
      {{"氏名", "ﾃｷｽﾄ型", "50", "", "顧客の氏名, \"漢字\""}, false}}},
    {"担当者", "", {{{"担当者コード", "ﾃｷｽﾄ型", "10", "はい (重複なし)", ""}, false}}},
};

const std::vector<std::array<const char*, 9>> kRelations = {
    {"受注", "顧客ID", "顧客", "顧客ID", "一対多", "○", "○", "", "INNER"},
    {"受注明細", "受注ID", "受注", "受注ID", "一対多", "○", "", "○", "INNER"},
    {"受注明細", "行番号", "受注", "行番号", "一対多", "○", "", "○", "LEFT"},
};

const char* kTableTitle = "テーブル仕様書 - 販売管理.mdb (2026/12/07)";
const char* kRelationTitle = "リレーション仕様書 - 販売管理.mdb";

void headingFormat(XlWorksheet& sheet, const std::string& first, const std::string& last) {
    std::unique_ptr<XlRange> range = sheet.Range(first, last);
    range->HorizontalAlignment(xlCenter);
    for (int16_t edge : {xlEdgeLeft, xlEdgeTop, xlEdgeBottom, xlEdgeRight, xlInsideVertical}) {
        XlBorder& border = range->Borders(edge);
        border.LineStyle(xlContinuous);
        border.Weight(xlThin);
        border.ColorIndex(xlColorIndexAutomatic);
    }
    range->Interior().ColorIndex(15);
    range->Interior().Pattern(xlSolid);
    range->Interior().PatternColorIndex(xlAutomatic);
}

void frame(XlWorksheet& sheet, const std::string& first, const std::string& last, bool severalRows) {
    std::unique_ptr<XlRange> range = sheet.Range(first, last);
    std::vector<int16_t> edges{xlEdgeLeft, xlEdgeBottom, xlEdgeRight, xlInsideVertical};
    if (severalRows) {
        edges.push_back(xlInsideHorizontal);
    }
    for (int16_t edge : edges) {
        XlBorder& border = range->Borders(edge);
        border.LineStyle(xlContinuous);
        border.Weight(xlThin);
        border.ColorIndex(15);
    }
}

// Rows taken by the table blocks, as the catalog run lays them out.
struct BlockRows {
    int title;
    int heading;
    int firstField;
    int lastField;
};

std::vector<BlockRows> blockRows(const std::vector<TableBlock>& tables) {
    std::vector<BlockRows> rows;
    int j = 3;
    for (const TableBlock& table : tables) {
        const int m = static_cast<int>(table.fields.size());
        rows.push_back({j, j + 1, j + 2, j + 1 + m});
        j += m + 3;
    }
    return rows;
}

void writeTableSheet(XlWorksheet& sheet, const std::vector<TableBlock>& tables) {
    sheet.SetValue("A1", kTableTitle);
    const std::vector<BlockRows> rows = blockRows(tables);
    for (size_t t = 0; t < tables.size(); ++t) {
        const TableBlock& table = tables[t];
        const BlockRows& r = rows[t];
        std::unique_ptr<XlRange> title = sheet.Range(at('A', r.title), at('F', r.title));
        title->HorizontalAlignment(xlGeneral);
        title->VerticalAlignment(xlBottom);
        title->WrapText(false);
        sheet.SetValue(at('A', r.title), table.name);
        sheet.SetValue(at('F', r.title), table.description);
        for (int c = 0; c < 6; ++c) {
            sheet.SetValue(at(static_cast<char>('A' + c), r.heading), kTableHeadings[c]);
        }
        headingFormat(sheet, at('A', r.heading), at('F', r.heading));
        for (size_t p = 0; p < table.fields.size(); ++p) {
            const int row = r.firstField + static_cast<int>(p);
            sheet.SetValue(at('A', row), static_cast<int32_t>(p + 1));
            if (table.fields[p].primaryKey) {
                sheet.Range(at('A', row), at('A', row))->Font().Bold(true);
            }
            for (int c = 0; c < 5; ++c) {
                sheet.SetValue(at(static_cast<char>('B' + c), row), table.fields[p].texts[c]);
            }
        }
        frame(sheet, at('A', r.firstField), at('F', r.lastField), r.firstField < r.lastField);
    }
}

void writeRelationSheet(XlWorksheet& sheet) {
    sheet.SetValue("A1", kRelationTitle);
    for (int c = 0; c < 10; ++c) {
        sheet.SetValue(at(static_cast<char>('A' + c), 4), kRelationHeadings[c]);
    }
    headingFormat(sheet, "A4", "J4");
    for (size_t k = 0; k < kRelations.size(); ++k) {
        const int row = 5 + static_cast<int>(k);
        sheet.SetValue(at('A', row), static_cast<int32_t>(k + 1));
        for (int c = 0; c < 9; ++c) {
            sheet.SetValue(at(static_cast<char>('B' + c), row), kRelations[k][c]);
        }
    }
    frame(sheet, "A5", at('J', 4 + static_cast<int>(kRelations.size())), kRelations.size() > 1);
}

void writeCatalog(const std::string& path, const std::vector<TableBlock>& tables = kTables) {
    xls::XlsApplicationFactory factory;
    std::unique_ptr<XlApplication> excel = factory.CreateApplication();
    std::unique_ptr<XlWorkbook> book = excel->OpenWorkbook(path);
    writeTableSheet(book->Sheets(1), tables);
    writeRelationSheet(book->Sheets(2));
    book->Close(true);
    excel->Quit();
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
    static const std::set<std::string> skipped = {
        "020B", "00D7", "00FF", "0208", "0201", "00BE", "00FD", "0203", "027E", "00BD",
        "0204", "0006", "0207", "0205", "04BC", "0221", "0236", "00D6"};
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

    EXPECT_EQ(dumpWithoutName(copy, {"--all"}),
              dumpWithoutName(GetParam(), {"--all"}))
        << "cells, formats, column widths, row heights or merged ranges changed";
    EXPECT_EQ(dumpWithoutName(copy, {"--xfs"}),
              dumpWithoutName(GetParam(), {"--xfs"}));
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
    EXPECT_TRUE(readBytes(copy) == readBytes(kTemplate));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file left behind";
}

// ---------------------------------------------------------------------------
// (b) The catalog run's edits change exactly the cells they name.

struct Expected {
    std::optional<json> value;  // text or integer written
    json format;                // the whole format the cell must end with
};

json thin(int colorIndex) {
    return {{"style_code", 1}, {"colorindex", colorIndex}};
}

json none() {
    return {{"style_code", 0}};
}

// Does `actual` hold every key of `wanted` with the same value (recursively)?
::testing::AssertionResult contains(const json& actual, const json& wanted, const std::string& path) {
    if (!wanted.is_object()) {
        if (actual == wanted) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << path << ": got " << actual.dump() << ", want "
                                             << wanted.dump();
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
                EXPECT_EQ(formatOf(edit().after, after, address),
                          formatOf(edit().before, before, address));
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
    format["borders"] = {{"left", thin(-4105)}, {"top", thin(-4105)},
                         {"bottom", thin(-4105)}, {"right", thin(-4105)}};
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
json plainFont() {
    return {{"name", kUiFont}, {"height_twips", 220}, {"bold", false}};
}

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

// Enough distinct Japanese texts that the shared string table runs over
// many CONTINUE records, and enough rows for many row blocks.
std::vector<TableBlock> manyTables() {
    std::vector<TableBlock> tables;
    char text[64];
    for (int t = 0; t < 300; ++t) {
        TableBlock table;
        std::snprintf(text, sizeof text, "テーブル%03d", t);
        table.name = text;
        std::snprintf(text, sizeof text, "テーブル%03dの説明", t);
        table.description = text;
        for (int f = 0; f < 5; ++f) {
            const int n = t * 5 + f;
            std::snprintf(text, sizeof text, "項目%05d", n);
            std::string name = text;
            std::snprintf(text, sizeof text, "項目%05dの説明：全角と半角ｶﾅ", n);
            table.fields.push_back({{name, "ﾃｷｽﾄ型", std::to_string(n % 255), "", text}, f == 0});
        }
        tables.push_back(std::move(table));
    }
    // One text longer than a whole record, 8-bit characters then 16-bit ones:
    // it is split over CONTINUE records, changing width on the way.
    std::string longText(5000, 'x');
    for (int i = 0; i < 4000; ++i) {
        longText += "長";
    }
    tables[1].description = longText;
    return tables;
}

// Address -> value of every cell the catalog run writes on sheet 1.
std::map<std::string, json> tableSheetValues(const std::vector<TableBlock>& tables) {
    std::map<std::string, json> values{{"A1", kTableTitle}};
    const std::vector<BlockRows> rows = blockRows(tables);
    for (size_t t = 0; t < tables.size(); ++t) {
        const BlockRows& r = rows[t];
        values[at('A', r.title)] = tables[t].name;
        if (!tables[t].description.empty()) {
            values[at('F', r.title)] = tables[t].description;
        }
        for (char c = 'A'; c <= 'F'; ++c) {
            values[at(c, r.heading)] = kTableHeadings[c - 'A'];
        }
        for (int row = r.firstField; row <= r.lastField; ++row) {
            const FieldRow& field = tables[t].fields[row - r.firstField];
            values[at('A', row)] = row - r.firstField + 1;
            for (char c = 'B'; c <= 'F'; ++c) {
                if (!field.texts[c - 'B'].empty()) {
                    values[at(c, row)] = field.texts[c - 'B'];
                }
            }
        }
    }
    values["A2"] = "※ 番号が太字の項目は主キーです。";  // the template's note line
    return values;
}

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

// ---------------------------------------------------------------------------
// (c) LibreOffice opens what we wrote and reads the same text.

class LibreOfficeReads : public testing::Test {
protected:
    void SetUp() override {
        if (!libreOfficeInstalled()) {
            GTEST_SKIP() << "soffice is not installed (Debian package libreoffice-calc-nogui)";
        }
        output_ = copyInto(dir_, kTemplate, "catalog.xls");
        writeCatalog(output_);
    }
    TempDir dir_{"speclore-libreoffice"};
    std::string output_;
};

TEST_F(LibreOfficeReads, TheSameTextOnBothSheets) {
    std::string log;
    const SheetTexts sheets = readSheetsWithLibreOffice(output_, dir_.path(), &log);
    ASSERT_EQ(sheets.size(), 2u) << log;
    ASSERT_TRUE(sheets.count("テーブル仕様書")) << log;
    ASSERT_TRUE(sheets.count("リレーション仕様書")) << log;

    const std::vector<CsvRow>& tables = sheets.at("テーブル仕様書");
    ASSERT_GE(tables.size(), 10u);
    EXPECT_EQ(tables[0][0], kTableTitle);
    EXPECT_EQ(tables[2][0], "顧客");
    EXPECT_EQ(tables[2][5], "顧客マスタ");
    EXPECT_EQ(tables[3], CsvRow(kTableHeadings.begin(), kTableHeadings.end()));
    EXPECT_EQ(tables[4], (CsvRow{"1", "顧客ID", "ｵｰﾄﾅﾝﾊﾞｰ型", "長整数型", "PrimaryKey",
                                 "顧客を一意に識別する番号"}));
    EXPECT_EQ(tables[5][5], "顧客の氏名, \"漢字\"");
    EXPECT_EQ(tables[7][0], "担当者");
    EXPECT_EQ(tables[9], (CsvRow{"1", "担当者コード", "ﾃｷｽﾄ型", "10", "はい (重複なし)", ""}));

    const std::vector<CsvRow>& relations = sheets.at("リレーション仕様書");
    ASSERT_GE(relations.size(), 7u);
    EXPECT_EQ(relations[0][0], kRelationTitle);
    EXPECT_EQ(relations[3], CsvRow(kRelationHeadings.begin(), kRelationHeadings.end()));
    for (size_t k = 0; k < kRelations.size(); ++k) {
        CsvRow want{std::to_string(k + 1)};
        want.insert(want.end(), kRelations[k].begin(), kRelations[k].end());
        EXPECT_EQ(relations[4 + k], want);
    }
}

// LibreOffice draws what we stored: grey centred headings with black lines,
// grey frames without a top line, bold primary-key numbers.
TEST_F(LibreOfficeReads, TheSameFormats) {
    std::string log;
    const SheetLooks looks = readCellLooksWithLibreOffice(output_, dir_.path(), &log);
    ASSERT_EQ(looks.size(), 2u) << log;
    auto lookOf = [&](const std::string& sheet, const std::string& address) {
        const auto& cells = looks.at(sheet);
        auto it = cells.find(address);
        return it == cells.end() ? CellLook{} : it->second;
    };
    auto checkHeading = [&](const std::string& sheet, int row, char last) {
        for (char c = 'A'; c <= last; ++c) {
            const CellLook look = lookOf(sheet, at(c, row));
            SCOPED_TRACE(sheet + " " + at(c, row));
            EXPECT_EQ(look.background, "#c0c0c0");
            EXPECT_EQ(look.textAlign, "center");
            EXPECT_FALSE(look.bold);
            for (const char* edge : {"top", "bottom", "left", "right"}) {
                EXPECT_EQ(look.borderColour(edge), "#000000") << edge;
            }
        }
    };
    auto checkFrame = [&](const std::string& sheet, int first, int last, char lastColumn) {
        for (int row = first; row <= last; ++row) {
            for (char c = 'A'; c <= lastColumn; ++c) {
                const CellLook look = lookOf(sheet, at(c, row));
                SCOPED_TRACE(sheet + " " + at(c, row));
                EXPECT_EQ(look.background, "");
                EXPECT_EQ(look.hasBorder("top"), row > first);
                for (const char* edge : {"bottom", "left", "right"}) {
                    EXPECT_EQ(look.borderColour(edge), "#c0c0c0") << edge;
                }
            }
        }
    };
    const std::vector<BlockRows> rows = blockRows(kTables);
    for (size_t t = 0; t < kTables.size(); ++t) {
        const CellLook title = lookOf("テーブル仕様書", at('A', rows[t].title));
        EXPECT_FALSE(title.hasBorder("bottom") || title.hasBorder("top"));
        EXPECT_EQ(title.background, "");
        checkHeading("テーブル仕様書", rows[t].heading, 'F');
        checkFrame("テーブル仕様書", rows[t].firstField, rows[t].lastField, 'F');
        for (int row = rows[t].firstField; row <= rows[t].lastField; ++row) {
            EXPECT_EQ(lookOf("テーブル仕様書", at('A', row)).bold,
                      kTables[t].fields[row - rows[t].firstField].primaryKey)
                << at('A', row);
            EXPECT_FALSE(lookOf("テーブル仕様書", at('B', row)).bold) << at('B', row);
        }
    }
    checkHeading("リレーション仕様書", 4, 'J');
    checkFrame("リレーション仕様書", 5, 4 + static_cast<int>(kRelations.size()), 'J');
    EXPECT_TRUE(lookOf("テーブル仕様書", "A1").bold) << "the template's title font";
}

// Strings split over CONTINUE records are where readers differ most.
TEST_F(LibreOfficeReads, EveryValueOfALargeCatalog) {
    const std::string large = copyInto(dir_, kTemplate, "large.xls");
    const std::vector<TableBlock> tables = manyTables();
    writeCatalog(large, tables);
    std::string log;
    const SheetTexts sheets = readSheetsWithLibreOffice(large, dir_.path(), &log);
    ASSERT_TRUE(sheets.count("テーブル仕様書")) << log;
    const std::vector<CsvRow>& rows = sheets.at("テーブル仕様書");
    for (const auto& [address, value] : tableSheetValues(tables)) {
        const size_t row = std::stoul(address.substr(1)) - 1;
        const size_t column = static_cast<size_t>(address[0] - 'A');
        ASSERT_LT(row, rows.size()) << address;
        ASSERT_LT(column, rows[row].size()) << address;
        const std::string want = value.is_string() ? value.get<std::string>() : value.dump();
        EXPECT_EQ(rows[row][column], want) << address;
    }
}

TEST_F(LibreOfficeReads, PrintsOnA4Landscape) {
    const ProcessResult run = convertWithLibreOffice(output_, "pdf", dir_.path());
    const std::string pdf = readBytes(dir_ / "catalog.pdf");
    ASSERT_FALSE(pdf.empty()) << run.out << run.err;
    // Page dictionaries are plain text in LibreOffice's PDF: one MediaBox each.
    const std::regex mediaBox(R"(/MediaBox\s*\[\s*0\s+0\s+([0-9.]+)\s+([0-9.]+)\s*\])");
    int pages = 0;
    for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), mediaBox); it != std::sregex_iterator();
         ++it) {
        ++pages;
        EXPECT_NEAR(std::stod((*it)[1]), 841.89, 1.0) << "A4 landscape width in points";
        EXPECT_NEAR(std::stod((*it)[2]), 595.30, 1.0) << "A4 landscape height in points";
    }
    EXPECT_GE(pages, 2) << "a page for each sheet";
}

}  // namespace
}  // namespace speclore::test
