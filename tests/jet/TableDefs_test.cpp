// TableDefs of every fixture database against what the manifest says the
// file holds, read back from it by another reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "jet/JetFixtures.h"

namespace speclore::test {
namespace {

using namespace speclore::catalog;

const char* const kFixtureFiles[] = {
    "catalog_ja.mdb",
    "catalog_ja_2003.mdb",
    "catalog_ja.accdb",
    "linked_source.mdb",
    "empty_rel.mdb",
    "rel_edge.mdb",
    "password.mdb",
    "password_ja.mdb",
    "testV1997.mdb",
    "indexTestV1997.mdb",
    "indexTestV2000.mdb",
    "queryTestV1997.mdb",
    "testPromotionV2000.mdb",
    "linkerTestV2007.accdb",
    // Made by Access 97 to 2016, encrypted ones among them.
    "test_V1997.mdb",
    "V2000_with-password.mdb",
    "db-enc.mdb",
    "db97-enc.mdb",
    "test_V2007.accdb",
    "test_V2010.accdb",
    "attachments.accdb",
    "bigint.accdb",
    "longtext.accdb",
    "numeric_V2010.accdb",
    "withdeletedcol.accdb",
    "complexDataTestV2007.accdb",
    "calcFieldTestV2010.accdb",
    "V2010_with-password.accdb",
    "db-nonstandard.accdb",
    "db2007-enc.accdb",
    "db2007-oldenc.accdb",
    "office-agile-4.2.accdb",
};

std::unique_ptr<Database> openManifestFile(const nlohmann::json& manifest) {
    const auto& password = manifest["password"];
    return openFixture(manifest["file"], password.is_null() ? "" : ";pwd=" + password.get<std::string>());
}

int16_t expectedDaoType(const nlohmann::json& field) {
    const int typeCode = field["type_code"];
    switch (typeCode) {
    case 16: return dbDecimal;
    case 19: return dbBigInt;
    case 18:
        // The manifests of the oldest fixtures do not name the kind; the
        // complex fields' own test checks those.
        if (field.value("complex_type", "") == "ATTACHMENT") return 101;
        return -1;
    default: return static_cast<int16_t>(typeCode);
    }
}

// DAO's Size of a calculated field is that of its result's type; the
// stored length also counts the calculation's 23-byte header.
int32_t calculatedSize(const nlohmann::json& field) {
    switch (field["type_code"].get<int>()) {
    case 1: return 1;
    case 4: return 4;
    case 5: return 8;
    case 6: return 4;
    case 16: return 16;
    case 10: return (field["stored_length"].get<int>() - 23) / 2;
    default: return 0;
    }
}

// The hidden column of an append-only memo's version history.
bool isVersionHistory(const nlohmann::json& field) {
    return field["type_code"] == 18 && field["name"].get<std::string>().starts_with("VersionHistory_");
}

// The unique index Access keeps on each complex column; DAO's view leaves
// it out.
bool isComplexFieldIndex(const nlohmann::json& index, const nlohmann::json& fields) {
    for (const auto& column : index["columns"]) {
        bool complex = false;
        for (const auto& field : fields) complex |= field["name"] == column && field["type_code"] == 18;
        if (!complex) return false;
    }
    return true;
}

// Both ways of asking: the DAO property raises 3270 where there is none,
// the other gives the empty text.
template <class Described>
void expectDescription(const Described& owner, const nlohmann::json& expected) {
    if (expected.is_null()) {
        EXPECT_FALSE(owner.description);
        EXPECT_EQ(errorNumberOf([&] { (void)owner.Description(); }), err::DbPropertyNotFound);
        EXPECT_EQ(owner.descriptionOrEmpty(), "");
    } else {
        EXPECT_EQ(owner.Description(), expected.get<std::string>());
        EXPECT_EQ(owner.descriptionOrEmpty(), expected.get<std::string>());
    }
}

void expectFieldsAsManifest(const TableDef& table, const nlohmann::json& allFields, bool jet3) {
    nlohmann::json expected = nlohmann::json::array();
    for (const auto& field : allFields) {
        if (!isVersionHistory(field)) expected.push_back(field);
    }
    ASSERT_EQ(table.fields.size(), expected.size()) << table.name;
    for (size_t i = 0; i < table.fields.size(); ++i) {
        const Field& field = table.fields[i];
        const auto& want = expected[i];
        SCOPED_TRACE(table.name + "." + field.name);
        EXPECT_EQ(field.name, want["name"].get<std::string>());
        const int typeCode = want["type_code"];
        if (expectedDaoType(want) >= 0) {
            EXPECT_EQ(field.type, expectedDaoType(want));
        }
        // DAO gives a Decimal's 16 value bytes; Jet 3 text counts bytes.
        int32_t size = typeCode == 16 ? 16 : want["size"].get<int32_t>();
        if (jet3 && typeCode == 10) size = want["stored_length"];
        if (want.value("calculated", false)) size = calculatedSize(want);
        EXPECT_EQ(field.size, size);
        int32_t attributes = want["fixed"] ? dbFixedField : dbVariableField;
        if (want["autonumber"]) attributes |= dbAutoIncrField;
        if (want["hyperlink"]) attributes |= dbHyperlinkField;
        EXPECT_EQ(field.attributes, attributes);
        EXPECT_EQ(field.collatingOrder < dbSortNeutral, want["guid_autonumber"].get<bool>());
        expectDescription(field, want["description"]);
    }
}

void expectIndexesAsManifest(const TableDef& table, const nlohmann::json& allIndexes,
                             const nlohmann::json& fields) {
    nlohmann::json expected = nlohmann::json::array();
    for (const auto& index : allIndexes) {
        if (!isComplexFieldIndex(index, fields)) expected.push_back(index);
    }
    std::map<std::string, const Index*> byName;
    for (const Index& index : table.indexes) byName[index.name] = &index;
    ASSERT_EQ(byName.size(), expected.size()) << table.name;
    for (const auto& want : expected) {
        SCOPED_TRACE(table.name + " index " + want["name"].get<std::string>());
        auto found = byName.find(want["name"]);
        ASSERT_NE(found, byName.end());
        EXPECT_EQ(found->second->primary, want["primary"].get<bool>());
        EXPECT_EQ(found->second->unique, want["unique"].get<bool>());
        EXPECT_EQ(found->second->foreign, want["foreign"].get<bool>());
        EXPECT_EQ(found->second->fields, want["columns"].get<std::vector<std::string>>());
    }
}

class TableDefsOfFixture : public testing::TestWithParam<const char*> {};

TEST_P(TableDefsOfFixture, MatchTheManifest) {
    const auto& manifest = manifestOf(GetParam());
    auto database = openManifestFile(manifest);
    const bool jet3 = manifest["format"] == "Jet3";

    ASSERT_EQ(database->TableDefs().size(), manifest["tables"].size());
    for (const auto& want : manifest["tables"]) {
        const TableDef& table = database->TableDefs(want["name"]);
        SCOPED_TRACE(table.name);
        const int32_t a = table.attributes;
        if (want["type1_flags0"]) {
            EXPECT_EQ(a, 0);
        }
        if (want["system"]) {
            EXPECT_EQ(a & dbSystemObject, dbSystemObject);
        }
        if (want["hidden"]) {
            EXPECT_NE(a & dbHiddenObject, 0);
        }
        if (want["type"] == 6) {
            EXPECT_NE(a & dbAttachedTable, 0);
        }
        if (want["type"] == 4) {
            EXPECT_NE(a & dbAttachedODBC, 0);
        }
        if (!want.contains("fields") || want["system"]) continue;
        expectDescription(table, want["description"]);
        expectFieldsAsManifest(table, want["fields"], jet3);
        expectIndexesAsManifest(table, want["indexes"], want["fields"]);
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, TableDefsOfFixture, testing::ValuesIn(kFixtureFiles));

TEST(TableDefs, TheTableListShowsExactlyThePlainLocalTablesInTheIndexOrder) {
    auto database = openFixture("catalog_ja.mdb");
    std::vector<std::string> listed;
    for (const TableDef& table : database->TableDefs()) {
        if (table.attributes == 0) listed.push_back(table.name);
    }
    ASSERT_EQ(listed.size(), 18u);
    EXPECT_EQ(std::count(listed.begin(), listed.end(), "隠しテーブル"), 0);
    EXPECT_EQ(std::count(listed.begin(), listed.end(), "リンク顧客"), 0);
    std::vector<std::string> indexed;
    for (const std::string& name : indexOrderOf("catalog_ja.mdb")) {
        if (std::count(listed.begin(), listed.end(), name)) indexed.push_back(name);
    }
    EXPECT_EQ(listed, indexed);
    EXPECT_EQ(listed.front(), "ＡＢＣ取引先 マスタ　２０２４");
}

TEST(TableDefs, AnAceTableWithAnAttachmentFieldIsListed) {
    // Access flags such a table 0x40000 in MSysObjects; it is an ordinary table.
    auto database = openFixture("attachments.accdb");
    std::vector<std::string> listed;
    for (const TableDef& table : database->TableDefs()) {
        if (table.attributes == 0) listed.push_back(table.name);
    }
    EXPECT_EQ(listed, std::vector<std::string>{"Table1"});
}

TEST(TableDefs, ComplexFieldsOfAnAccessMadeFile) {
    auto database = openFixture("complexDataTestV2007.accdb");
    const TableDef& table = database->TableDefs("Table1");
    std::map<std::string, int16_t> types;
    for (const Field& field : table.fields) types[field.name] = field.type;
    // The version history of `append-memo-data` is no field of its own.
    EXPECT_EQ(types, (std::map<std::string, int16_t>{{"id", dbText},
                                                     {"memo-data", dbMemo},
                                                     {"append-memo-data", dbMemo},
                                                     {"multi-value-data", 109},
                                                     {"attach-data", 101}}));
    // Only the primary key: the indexes Access keeps on the complex columns
    // would mark them unique.
    ASSERT_EQ(table.indexes.size(), 1u);
    EXPECT_TRUE(table.indexes[0].primary);
}

TEST(TableDefs, NamesSortWithoutRegardToCase) {
    // A case-sensitive order would put "MSysACEs" before "MSysAccessObjects".
    auto database = openFixture("indexTestV2000.mdb");
    std::vector<std::string> names;
    for (const TableDef& table : database->TableDefs()) names.push_back(table.name);
    auto position = [&](const std::string& name) { return std::find(names.begin(), names.end(), name); };
    ASSERT_NE(position("MSysACEs"), names.end());
    ASSERT_NE(position("MSysAccessObjects"), names.end());
    EXPECT_LT(position("MSysAccessObjects"), position("MSysACEs"));
    EXPECT_LT(position("MSysRelationships"), position("Table1"));
}

TEST(TableDefs, LookupIgnoresCaseAndAMissingNameRaises3265) {
    auto database = openFixture("catalog_ja.mdb");
    EXPECT_EQ(database->TableDefs("msysobjects").name, "MSysObjects");
    EXPECT_EQ(database->TableDefs("ａｂｃ取引先 マスタ　２０２４").name, "ＡＢＣ取引先 マスタ　２０２４");
    EXPECT_EQ(errorNumberOf([&] { database->TableDefs("存在しない表"); }), err::DbItemNotFound);
}

TEST(TableDefs, FieldPropertiesThatTheSheetDependsOn) {
    auto database = openFixture("catalog_ja.mdb");
    const TableDef& customers = database->TableDefs("顧客");
    auto field = [&](const std::string& name) {
        for (const Field& f : customers.fields) {
            if (f.name == name) return f;
        }
        throw std::runtime_error("no field " + name);
    };
    EXPECT_EQ(field("ID").attributes, dbFixedField | dbAutoIncrField);
    EXPECT_EQ(field("ホームページ").attributes, dbVariableField | dbHyperlinkField);
    EXPECT_EQ(field("氏名").size, 50);
    EXPECT_EQ(field("有効").size, 1);
    EXPECT_EQ(field("金額").type, dbDecimal);
    EXPECT_EQ(field("生データ").type, dbBinary);
    EXPECT_GE(field("識別子").collatingOrder, dbSortNeutral);
    EXPECT_LT(database->TableDefs("端末").fields[0].collatingOrder, dbSortNeutral);
    // 特殊文字 keeps the characters that code page 932 conversions mangle.
    EXPECT_EQ(database->TableDefs("特殊文字").Description(),
              "機種依存文字・変換注意文字：①② 髙﨑 〜（U+301C）～（U+FF5E）−（U+2212）－（U+FF0D）");
}

TEST(TableDefs, ForeignKeyIndexesKeepTheirColumns) {
    auto database = openFixture("catalog_ja.mdb");
    const TableDef& shipments = database->TableDefs("出荷明細");
    auto found = std::find_if(shipments.indexes.begin(), shipments.indexes.end(),
                              [](const Index& i) { return i.name == "受注明細出荷明細"; });
    ASSERT_NE(found, shipments.indexes.end());
    EXPECT_TRUE(found->foreign);
    EXPECT_FALSE(found->unique);
    EXPECT_EQ(found->fields, (std::vector<std::string>{"受注ID", "行番号"}));
}

TEST(TableDefs, LinkedTablesCarryTheAttachedBitAndNoFields) {
    auto linked = openFixture("linkerTestV2007.accdb");
    const TableDef& link = linked->TableDefs("Table2");
    EXPECT_EQ(link.attributes & dbAttachedTable, dbAttachedTable);
    EXPECT_TRUE(link.fields.empty());
}

}  // namespace
}  // namespace speclore::test
