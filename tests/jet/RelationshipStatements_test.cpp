// The two statements that the relationship sheet sends, run over every
// fixture, against the MSysRelationships rows of the manifest.
#include <gtest/gtest.h>

#include <algorithm>

#include "jet/JetFixtures.h"

namespace speclore::test {
namespace {

using namespace speclore::catalog;

const std::string kCountStatement =
    "SELECT Count(*) AS 件数 FROM MSysRelationships INNER JOIN MSysObjects ON MSysRelationships.szObject = "
    "MSysObjects.Name WHERE (((MSysObjects.Type)=1) AND ((MSysObjects.Flags)=0));";
const std::string kRowStatement =
    "SELECT szObject, szColumn, szReferencedObject, szReferencedColumn, grbit FROM MSysRelationships INNER "
    "JOIN "
    "MSysObjects ON MSysRelationships.szObject = MSysObjects.Name WHERE (((MSysObjects.Type)=1) AND "
    "((MSysObjects.Flags)=0)) ORDER BY szObject, icolumn;";

struct RelationRow {
    std::string object, column, referencedObject, referencedColumn;
    int32_t grbit = 0;
    bool operator==(const RelationRow&) const = default;
};

std::ostream& operator<<(std::ostream& out, const RelationRow& r) {
    return out << r.object << "." << r.column << " -> " << r.referencedObject << "." << r.referencedColumn
               << " " << r.grbit;
}

std::vector<RelationRow> runRowStatement(Database& database) {
    auto rows = database.OpenRecordset(kRowStatement, dbOpenSnapshot);
    std::vector<RelationRow> result;
    while (!rows->Eof()) {
        result.push_back({rows->Fields("szObject").asText(), rows->Fields("szColumn").asText(),
                          rows->Fields("szReferencedObject").asText(),
                          rows->Fields("szReferencedColumn").asText(), rows->Fields("grbit").asLong()});
        rows->MoveNext();
    }
    rows->Close();
    return result;
}

int32_t runCountStatement(Database& database) {
    auto count = database.OpenRecordset(kCountStatement, dbOpenSnapshot);
    int32_t n = 0;
    if (!(count->Eof() && count->Bof())) n = count->Fields("件数").asLong();
    count->Close();
    return n;
}

// The rows that pass the filter, sorted by table (in the order of the
// catalog's name index) then icolumn, ties in the stored order of
// MSysRelationships.
std::vector<RelationRow> expectedRows(const nlohmann::json& manifest) {
    struct Keyed {
        size_t object;
        int icolumn;
        RelationRow row;
    };
    const std::vector<std::string> names = indexOrderOf(manifest["file"]);
    auto rank = [&](const std::string& name) {
        return static_cast<size_t>(std::find(names.begin(), names.end(), name) - names.begin());
    };
    std::vector<Keyed> keyed;
    for (const auto& r : manifest["relationships"]) {
        if (!r["passes_filter"]) continue;
        keyed.push_back(
            {rank(r["szObject"].get<std::string>()),
             r["icolumn"],
             {r["szObject"], r["szColumn"], r["szReferencedObject"], r["szReferencedColumn"], r["grbit"]}});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        return a.object != b.object ? a.object < b.object : a.icolumn < b.icolumn;
    });
    std::vector<RelationRow> rows;
    for (auto& k : keyed) rows.push_back(k.row);
    return rows;
}

class RelationshipsOfFixture : public testing::TestWithParam<const char*> {};

TEST_P(RelationshipsOfFixture, CountAndRowsMatchTheManifest) {
    const auto& manifest = manifestOf(GetParam());
    const auto& password = manifest["password"];
    auto database = openFixture(GetParam(), password.is_null() ? "" : ";pwd=" + password.get<std::string>());
    EXPECT_EQ(runCountStatement(*database),
              manifest["counts"]["relationship_rows_passing_filter"].get<int32_t>());
    EXPECT_EQ(runRowStatement(*database), expectedRows(manifest));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RelationshipsOfFixture,
                         testing::Values("catalog_ja.mdb", "catalog_ja_2003.mdb", "catalog_ja.accdb",
                                         "empty_rel.mdb", "rel_edge.mdb", "password_ja.mdb",
                                         "indexTestV1997.mdb", "indexTestV2000.mdb", "testPromotionV2000.mdb",
                                         "linkerTestV2007.accdb"));

TEST(RelationshipStatements, RowsOfOneTableInterleaveByColumnPositionKeepingStoredOrder) {
    auto database = openFixture("catalog_ja.mdb");
    std::vector<std::string> shipmentRows;
    for (const RelationRow& r : runRowStatement(*database)) {
        if (r.object == "出荷明細") shipmentRows.push_back(r.column);
    }
    EXPECT_EQ(shipmentRows, (std::vector<std::string>{"受注ID", "倉庫コード", "出荷ID", "行番号", "棚番号"}));
}

TEST(RelationshipStatements, AnEmptyResultIsAtBothEnds) {
    auto database = openFixture("empty_rel.mdb");
    auto rows = database->OpenRecordset(kRowStatement, dbOpenSnapshot);
    EXPECT_TRUE(rows->Eof());
    EXPECT_TRUE(rows->Bof());
    EXPECT_EQ(errorNumberOf([&] { rows->Fields("szObject"); }), err::DbNoCurrentRecord);
    EXPECT_EQ(errorNumberOf([&] { rows->MoveNext(); }), err::DbNoCurrentRecord);
    EXPECT_EQ(runCountStatement(*database), 0);
}

TEST(RelationshipStatements, RecordsetNavigationAndFieldLookup) {
    auto database = openFixture("rel_edge.mdb");
    auto rows = database->OpenRecordset(kRowStatement, dbOpenSnapshot);
    EXPECT_FALSE(rows->Eof());
    EXPECT_FALSE(rows->Bof());
    EXPECT_EQ(rows->Fields("SZOBJECT").asText(), rows->Fields("szObject").asText());
    EXPECT_EQ(errorNumberOf([&] { rows->Fields("icolumn"); }), err::DbItemNotFound);
    rows->MoveNext();
    rows->MoveNext();
    EXPECT_TRUE(rows->Eof());
    EXPECT_FALSE(rows->Bof());
    rows->Close();
    EXPECT_EQ(errorNumberOf([&] { rows->Eof(); }), err::DbObjectInvalid);
}

}  // namespace
}  // namespace speclore::test
