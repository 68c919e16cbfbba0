// The table sheet of a whole run on catalog_ja.mdb, read back by xlsdump.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "CatalogHarness.h"

namespace speclore::test {
namespace {

using nlohmann::json;

const json& borderOf(const json& cell, const char* side) { return cell.at("format").at("borders").at(side); }

void expectThinBorder(const json& sheet, const std::string& address, const char* side, int colorIndex) {
    const json* cell = findCell(sheet, address);
    ASSERT_NE(cell, nullptr) << address;
    const json& border = borderOf(*cell, side);
    EXPECT_EQ(border.at("style_code"), 1) << address << " " << side;
    EXPECT_EQ(border.at("colorindex"), colorIndex) << address << " " << side;
}

void expectNoBorder(const json& sheet, const std::string& address, const char* side) {
    const json* cell = findCell(sheet, address);
    if (!cell) return;
    EXPECT_EQ(borderOf(*cell, side).at("style_code"), 0) << address << " " << side;
}

void expectHeadingRow(const json& sheet, int row, char lastColumn) {
    for (char column = 'A'; column <= lastColumn; ++column) {
        const std::string address = std::string(1, column) + std::to_string(row);
        const json* cell = findCell(sheet, address);
        ASSERT_NE(cell, nullptr) << address;
        const json& format = cell->at("format");
        EXPECT_EQ(format.at("horizontal").at("excel"), -4108) << address;
        for (const char* side : {"left", "top", "bottom", "right"}) {
            expectThinBorder(sheet, address, side, -4105);
        }
        EXPECT_EQ(format.at("fill").at("pattern_code"), 1) << address;
        EXPECT_EQ(format.at("fill").at("fore_colorindex"), 15) << address;
        EXPECT_EQ(format.at("fill").at("excel").at("PatternColorIndex"), -4105) << address;
    }
}

// Left, right and bottom of every row, inside lines between rows, in
// colour 15; nothing below the last row's bottom edge.
void expectFrame(const json& sheet, int first, int last, char lastColumn) {
    for (int row = first; row <= last; ++row) {
        for (char column = 'A'; column <= lastColumn; ++column) {
            const std::string address = std::string(1, column) + std::to_string(row);
            expectThinBorder(sheet, address, "left", 15);
            expectThinBorder(sheet, address, "right", 15);
            expectThinBorder(sheet, address, "bottom", 15);
            if (row > first) expectThinBorder(sheet, address, "top", 15);
        }
    }
    for (char column = 'A'; column <= lastColumn; ++column) {
        expectNoBorder(sheet, std::string(1, column) + std::to_string(last + 1), "bottom");
    }
}

bool isBold(const json& sheet, const std::string& address) {
    const json* cell = findCell(sheet, address);
    return cell && cell->at("format").at("font").at("bold").get<bool>();
}

struct FieldRow {
    const char* name;
    std::string type;
    std::string size;
    std::string role;
    const char* description;
};

TEST(TableSheet, OneSelectedTableGivesOneBlockWithEveryTypeSizeAndRole) {
    CatalogHarness h;
    catalog::CatalogInputs inputs = h.inputsFor("catalog_ja.mdb");
    for (auto& item : inputs.tables) item.selected = item.name == "顧客";
    const std::string before = readText(inputs.login.databasePath);

    ASSERT_TRUE(h.run(inputs));
    EXPECT_TRUE(h.boxes.boxes.empty());
    EXPECT_EQ(readText(inputs.login.databasePath), before) << "the database is only read";

    const FieldRow rows[] = {
        {"ID", caption("ctAutoNum"), caption("ctLong"), caption("ctPrimary"), "顧客ID"},
        {"氏名", caption("ctText"), "50", "", "氏名"},
        {"作成日", caption("ctDate"), "8", caption("ctRepeatY"), "作成日"},
        {"メール", caption("ctText"), "255", caption("ctRepeatN"), "メールアドレス"},
        {"備考", caption("ctMemo"), "0", "", "備考"},
        {"ホームページ", caption("ctHyperLink"), "0", "", "ホームページ（ハイパーリンク）"},
        {"有効", caption("ctBoolean"), "1", "", "有効フラグ"},
        {"ランク", caption("ctNum"), caption("ctByte"), "", "ランク（バイト型）"},
        {"点数", caption("ctNum"), caption("ctInteger"), "", "点数（整数型）"},
        {"売上", caption("ctCurrency"), "8", "", "売上（通貨型）"},
        {"比率", caption("ctNum"), caption("ctSingle"), "", "比率（単精度浮動小数点型）"},
        {"係数", caption("ctNum"), caption("ctDouble"), "", "係数（倍精度浮動小数点型）"},
        {"写真", caption("ctObject"), "0", "", "写真（OLE オブジェクト型）"},
        {"金額", caption("ctNum"), caption("ctDecimal"), "", "金額（十進型 精度18 桁数4）"},
        {"識別子", caption("ctNum"), caption("ctReplication"), "",
         "識別子（レプリケーションID型、オートナンバーではない）"},
        {"生データ", "9", "16", "", "生データ（バイナリ型 16バイト）"},
        {"会員コード", caption("ctText"), "10", caption("ctRepeatN"),
         "会員コード（固有の索引と重複ありの索引の両方に属する）"},
        {"旧コード", caption("ctText"), "20", "", ""},
    };
    const json sheet = h.sheet(1);
    EXPECT_EQ(cellText(sheet, "A3"), "顧客");
    EXPECT_EQ(cellText(sheet, "F3"), "顧客マスタ");
    for (const char* key : {"ctTitleA", "ctTitleB", "ctTitleC", "ctTitleD", "ctTitleE", "ctTitleF"}) {
        EXPECT_EQ(cellText(sheet, std::string(1, key[7]) + "4"), caption(key));
    }
    expectHeadingRow(sheet, 4, 'F');

    int row = 5;
    for (const FieldRow& expected : rows) {
        const std::string r = std::to_string(row);
        SCOPED_TRACE(expected.name);
        const json* number = findCell(sheet, "A" + r);
        ASSERT_NE(number, nullptr);
        EXPECT_EQ(number->at("type"), "number");
        EXPECT_EQ(number->at("value"), row - 4);
        EXPECT_EQ(isBold(sheet, "A" + r), !strcmp(expected.name, "ID"));
        EXPECT_EQ(cellText(sheet, "B" + r), expected.name);
        EXPECT_EQ(cellText(sheet, "C" + r), expected.type);
        EXPECT_EQ(cellText(sheet, "D" + r), expected.size);
        EXPECT_EQ(cellText(sheet, "E" + r), expected.role);
        EXPECT_EQ(cellText(sheet, "F" + r), expected.description);
        if (!expected.size.empty() && isdigit(static_cast<unsigned char>(expected.size[0]))) {
            EXPECT_EQ(findCell(sheet, "D" + r)->at("type"), "text") << "size is written as text";
        }
        ++row;
    }
    expectFrame(sheet, 5, row - 1, 'F');
    for (char column = 'A'; column <= 'F'; ++column) {
        EXPECT_EQ(cellText(sheet, std::string(1, column) + std::to_string(row)), "");
        EXPECT_EQ(cellText(sheet, std::string(1, column) + std::to_string(row + 1)), "");
    }

    // One table in the table phase; the relationship phase follows.
    const auto& e = h.progress.events;
    const std::vector<std::string> start = {"Load",
                                            "Max 1",
                                            "Phase テーブル仕様書を出力しています．．．",
                                            "Item ",
                                            "Counter ( 0 / 1 )",
                                            "Value 0",
                                            "Refresh",
                                            "Item 顧客",
                                            "Counter ( 1 / 1 )",
                                            "Value 1",
                                            "Refresh",
                                            "Max 16",
                                            "Phase リレーション仕様書を出力しています．．．",
                                            "Item ",
                                            "Counter ( 0 / 16 )",
                                            "Value 0",
                                            "Refresh"};
    ASSERT_GE(e.size(), start.size());
    EXPECT_EQ(std::vector<std::string>(e.begin(), e.begin() + start.size()), start);
    EXPECT_EQ(e.back(), "Unload");
    EXPECT_EQ(std::count(e.begin(), e.end(), "Unload"), 1);
}

// Every listed table in list order: blocks of m + 3 rows, numbering per
// table, descriptions present or empty, frames with inside horizontals only
// from two fields on.
TEST(TableSheet, EveryTableGetsItsBlockInListOrder) {
    CatalogHarness h;
    const catalog::CatalogInputs inputs = h.inputsFor("catalog_ja.mdb");
    ASSERT_EQ(inputs.tables.size(), 18u) << "tables 1 to 17 and 19 of the fixture";
    ASSERT_TRUE(h.run(inputs));
    EXPECT_TRUE(h.boxes.boxes.empty());

    const catalog::OpenedDatabase opened = h.open(inputs.login);
    const catalog::Database* database = opened.database.get();
    const json sheet = h.sheet(1);
    int row = 3;
    for (const auto& item : inputs.tables) {
        SCOPED_TRACE(item.name);
        const catalog::TableDef& table = database->TableDefs(item.name);
        EXPECT_EQ(cellText(sheet, "A" + std::to_string(row)), item.name);
        EXPECT_EQ(cellText(sheet, "F" + std::to_string(row)), table.description.value_or(""));
        EXPECT_EQ(cellText(sheet, "B" + std::to_string(row + 1)), caption("ctTitleB"));
        const int first = row + 2;
        for (std::size_t p = 0; p < table.fields.size(); ++p) {
            const std::string r = std::to_string(first + static_cast<int>(p));
            EXPECT_EQ(cellText(sheet, "A" + r), std::to_string(p + 1));
            EXPECT_EQ(cellText(sheet, "B" + r), table.fields[p].name);
            EXPECT_EQ(cellText(sheet, "F" + r), table.fields[p].description.value_or(""));
        }
        const int last = first + static_cast<int>(table.fields.size()) - 1;
        expectFrame(sheet, first, last, 'F');
        EXPECT_EQ(cellText(sheet, "A" + std::to_string(last + 1)), "");
        row = last + 2;
    }
    EXPECT_EQ(cellText(sheet, "A" + std::to_string(row)), "") << "nothing after the last block";
}

TEST(TableSheet, WithoutSettingsFileCaptionsAreEmptyButPrimaryKeyIsBold) {
    CatalogHarness h;
    std::filesystem::remove(h.iniPath());
    catalog::CatalogInputs inputs = h.inputsFor("catalog_ja.mdb");
    for (auto& item : inputs.tables) item.selected = item.name == "顧客";
    ASSERT_TRUE(h.run(inputs));
    EXPECT_TRUE(h.boxes.boxes.empty());

    const json sheet = h.sheet(1);
    for (char column = 'A'; column <= 'F'; ++column) {
        EXPECT_EQ(cellText(sheet, std::string(1, column) + "4"), "");
    }
    EXPECT_TRUE(isBold(sheet, "A5"));
    EXPECT_EQ(cellText(sheet, "C5"), "");
    EXPECT_EQ(cellText(sheet, "D5"), "") << "ctLong is empty";
    EXPECT_EQ(cellText(sheet, "E5"), "");
    EXPECT_EQ(cellText(sheet, "D6"), "50") << "a Size is still written";
    EXPECT_EQ(cellText(sheet, "C20"), "9") << "an unknown type still shows its code";
    expectHeadingRow(sheet, 4, 'F');

    const json relations = h.sheet(2);
    EXPECT_EQ(cellText(relations, "A5"), "1");
    for (char column = 'F'; column <= 'J'; ++column) {
        EXPECT_EQ(cellText(relations, std::string(1, column) + "5"), "");
    }
}

}  // namespace
}  // namespace speclore::test
