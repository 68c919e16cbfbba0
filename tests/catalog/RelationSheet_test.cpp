// The relationship sheet of whole runs, read back by xlsdump.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "CatalogHarness.h"

namespace speclore::test {
namespace {

using nlohmann::json;

struct RelationRow {
    std::string object, column, referencedObject, referencedColumn;
    std::string f, g, h, i, j;
    bool operator<(const RelationRow& o) const {
        return std::tie(object, column, referencedObject, referencedColumn) <
               std::tie(o.object, o.column, o.referencedObject, o.referencedColumn);
    }
    bool operator==(const RelationRow& o) const = default;
};

std::ostream& operator<<(std::ostream& out, const RelationRow& r) {
    return out << r.object << "." << r.column << " -> " << r.referencedObject << "." << r.referencedColumn
               << " [" << r.f << "|" << r.g << "|" << r.h << "|" << r.i << "|" << r.j << "]";
}

std::vector<RelationRow> rowsFrom(const json& sheet, int count) {
    std::vector<RelationRow> rows;
    for (int n = 0; n < count; ++n) {
        const std::string r = std::to_string(5 + n);
        EXPECT_EQ(cellText(sheet, "A" + r), std::to_string(n + 1));
        rows.push_back({cellText(sheet, "B" + r), cellText(sheet, "C" + r), cellText(sheet, "D" + r),
                        cellText(sheet, "E" + r), cellText(sheet, "F" + r), cellText(sheet, "G" + r),
                        cellText(sheet, "H" + r), cellText(sheet, "I" + r), cellText(sheet, "J" + r)});
    }
    EXPECT_EQ(cellText(sheet, "A" + std::to_string(5 + count)), "") << "no row after the last";
    return rows;
}

void expectHeading(const json& sheet) {
    const char* keys[] = {"crTitleA", "crTitleB", "crTitleC", "crTitleD", "crTitleE",
                          "crTitleF", "crTitleG", "crTitleH", "crTitleI", "crTitleJ"};
    for (const char* key : keys) {
        const std::string address = std::string(1, key[7]) + "4";
        EXPECT_EQ(cellText(sheet, address), caption(key));
        const json* cell = findCell(sheet, address);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->at("format").at("horizontal").at("excel"), -4108);
        EXPECT_EQ(cell->at("format").at("fill").at("fore_colorindex"), 15);
        EXPECT_EQ(cell->at("format").at("borders").at("bottom").at("colorindex"), -4105);
    }
}

const std::string ToOne = caption("crToOne"), ToMany = caption("crToMany"), Yes = caption("crYes"),
                  Inner = caption("crInner"), Left = caption("crLeft"), Right = caption("crRight");

TEST(RelationSheet, ListsEveryColumnPairOfVisibleReferencingTablesSortedByTableThenPosition) {
    CatalogHarness h;
    const catalog::CatalogInputs inputs = h.inputsFor("catalog_ja.mdb");
    ASSERT_TRUE(h.run(inputs));
    const json sheet = h.sheet(2);
    expectHeading(sheet);

    const std::string longName =
        "長い名前のテーブル_"
        "ABCDEFGHIJKLMNOPQRSTUVWXYZあいうえおかきくけこさしすせそたちつてとなにぬねのはひふ";
    std::vector<RelationRow> expected = {
        {"受注", "顧客ID", "顧客", "ID", ToMany, Yes, "", "", Inner},
        {"顧客詳細", "顧客ID", "顧客", "ID", ToOne, Yes, Yes, "", Inner},
        {"受注明細", "商品コード", "商品", "商品コード", ToMany, "", "", "", Inner},
        {"受注明細", "受注ID", "受注", "受注ID", ToMany, Yes, Yes, Yes, Inner},
        {"受注", "担当者ID", "担当者", "担当者ID", ToMany, Yes, Yes, "", Inner},
        {"担当者", "上司ID", "担当者", "担当者ID", ToMany, "", "", "", Left},
        {"受注", "端末ID", "端末", "端末ID", ToMany, Yes, "", "", Right},
        {"出荷明細", "受注ID", "受注明細", "受注ID", ToMany, Yes, "", Yes, Left},
        {"出荷明細", "行番号", "受注明細", "行番号", ToMany, Yes, "", Yes, Left},
        {"出荷明細", "倉庫コード", "倉庫棚", "倉庫コード", ToMany, "", "", "", Right},
        {"出荷明細", "棚番号", "倉庫棚", "棚番号", ToMany, "", "", "", Right},
        {"出荷明細", "出荷ID", "出荷", "出荷ID", ToMany, Yes, "", Yes, Inner},
        {"仕入", "取引先 コード", "ＡＢＣ取引先 マスタ　２０２４", "取引先 コード", ToMany, Yes, "", "",
         Left},
        {longName, "顧客ID", "顧客", "ID", ToMany, Yes, "", "", Inner},
        {"監査ログ", "隠しID", "隠しテーブル", "隠しID", ToMany, "", "", "", Inner},
        {"受注備考", "受注ID", "受注", "受注ID", ToOne, Yes, "", "", Inner},
    };
    const std::vector<RelationRow> rows = rowsFrom(sheet, 16);
    std::vector<RelationRow> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sorted, expected) << "hidden and linked referencing tables are left out";

    // Rows of one referencing table stand together; within 出荷明細 the first
    // column pairs of its three relationships come before the second ones.
    std::map<std::string, int> lastSeen;
    for (int n = 0; n < static_cast<int>(rows.size()); ++n) {
        auto seen = lastSeen.find(rows[n].object);
        if (seen != lastSeen.end()) {
            EXPECT_EQ(seen->second, n - 1) << rows[n];
        }
        lastSeen[rows[n].object] = n;
    }
    std::vector<std::string> shipmentColumns;
    for (const RelationRow& row : rows) {
        if (row.object == "出荷明細") shipmentColumns.push_back(row.column);
    }
    ASSERT_EQ(shipmentColumns.size(), 5u);
    std::vector<std::string> secondPairs(shipmentColumns.begin() + 3, shipmentColumns.end());
    std::sort(secondPairs.begin(), secondPairs.end());
    EXPECT_EQ(secondPairs, (std::vector<std::string>{"棚番号", "行番号"}));

    // The relationship phase steps once per row, named by its table.
    const auto& e = h.progress.events;
    const auto phase = std::find(e.begin(), e.end(), "Phase リレーション仕様書を出力しています．．．");
    ASSERT_NE(phase, e.end());
    EXPECT_EQ(*(phase - 1), "Max 16");
    EXPECT_EQ(std::count(phase, e.end(), "Counter ( 16 / 16 )"), 1);
    EXPECT_EQ(std::count(phase, e.end(), "Item 出荷明細"), 5);
}

TEST(RelationSheet, BothJoinBitsGiveLeftAndUndecodedBitsAreIgnored) {
    CatalogHarness h;
    ASSERT_TRUE(h.run(h.inputsFor("rel_edge.mdb")));
    const std::vector<RelationRow> rows = rowsFrom(h.sheet(2), 2);
    std::vector<RelationRow> got = rows;
    std::sort(got.begin(), got.end());
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].object, "子A");
    EXPECT_EQ((std::vector<std::string>{got[0].f, got[0].g, got[0].h, got[0].i, got[0].j}),
              (std::vector<std::string>{ToMany, "", "", "", Left}));
    EXPECT_EQ(got[1].object, "子B");
    EXPECT_EQ((std::vector<std::string>{got[1].f, got[1].g, got[1].h, got[1].i, got[1].j}),
              (std::vector<std::string>{ToMany, Yes, "", "", Inner}));
    EXPECT_NE(std::find(h.progress.events.begin(), h.progress.events.end(), "Counter ( 0 / 2 )"),
              h.progress.events.end())
        << "a row naming no table is not counted either";
}

TEST(RelationSheet, NoRelationshipsLeaveTheHeadingAloneAndTheBarAtOne) {
    CatalogHarness h;
    catalog::CatalogInputs inputs = h.inputsFor("empty_rel.mdb");
    inputs.tableTitle = "T";
    inputs.relationTitle = "R";
    ASSERT_TRUE(h.run(inputs));
    const json sheet = h.sheet(2);
    EXPECT_EQ(cellText(sheet, "A1"), "R");
    expectHeading(sheet);
    EXPECT_EQ(cellText(sheet, "A5"), "");
    const json* below = findCell(sheet, "A5");
    if (below) {
        EXPECT_EQ(below->at("format").at("borders").at("left").at("style_code"), 0) << "no frame";
    }

    const auto& e = h.progress.events;
    const auto phase = std::find(e.begin(), e.end(), "Phase リレーション仕様書を出力しています．．．");
    ASSERT_NE(phase, e.end());
    EXPECT_EQ(*(phase - 1), "Max 1");
    EXPECT_EQ(std::vector<std::string>(phase + 1, e.end()),
              (std::vector<std::string>{"Item ", "Counter ( 0 / 0 )", "Value 0", "Refresh", "Max 1",
                                        "Phase クエリ仕様書を出力しています．．．", "Item ",
                                        "Counter ( 0 / 0 )", "Value 0", "Refresh", "Unload"}))
        << "the query phase of the shipped template follows";
}

}  // namespace
}  // namespace speclore::test
