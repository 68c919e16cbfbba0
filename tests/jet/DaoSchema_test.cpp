// The attribute word of each kind of MSysObjects row that the fixtures do
// not all show, and the CollatingOrder rule the sheet relies on.
#include <gtest/gtest.h>

#include "jet/DaoSchema.h"

namespace speclore::jet {
namespace {

using namespace speclore::catalog;

Field daoField(RawColumn column, SnapshotFormat format, uint16_t databaseSortOrder) {
    Field field;
    describeDaoField(field, column, format, databaseSortOrder);
    return field;
}

TEST(DaoSchema, TableAttributesFromTypeAndFlags) {
    EXPECT_EQ(daoTableAttributes(1, 0), 0);
    EXPECT_EQ(daoTableAttributes(1, static_cast<int32_t>(0x80000000u)), dbSystemObject);
    EXPECT_EQ(daoTableAttributes(1, 2), dbSystemObject);
    EXPECT_EQ(daoTableAttributes(1, 0xA), dbSystemObject | dbHiddenObject);
    EXPECT_EQ(daoTableAttributes(1, 8), dbHiddenObject);
    EXPECT_EQ(daoTableAttributes(1, static_cast<int32_t>(0x80030000u)), dbSystemObject);
    EXPECT_EQ(daoTableAttributes(1, static_cast<int32_t>(0x800A0000u)), dbSystemObject);
    EXPECT_EQ(daoTableAttributes(1, 0x1001), dbHiddenObject);  // an ACE clipboard table
    EXPECT_EQ(daoTableAttributes(6, 0x00200000), dbAttachedTable);
    EXPECT_EQ(daoTableAttributes(4, 0x20100000), dbAttachedODBC);
    EXPECT_EQ(daoTableAttributes(4, 0x20120000), dbAttachedODBC | 0x20000);
    // An ACE table with complex columns is flagged 0x40000: an ordinary
    // table all the same.
    EXPECT_EQ(daoTableAttributes(1, 0x40000), 0);
}

TEST(DaoSchema, OnlyALongIsAnAutoNumberField) {
    RawColumn autoNumber{"ID", 0x04, 0x07, 4, 1033, 0, "", std::nullopt};
    RawColumn complex{"Attachments", 0x12, 0x07, 4,
                      1033,          0,    "",   std::nullopt};  // ACE multi-value or attachment
    EXPECT_EQ(daoField(autoNumber, SnapshotFormat::Jet4, 1033).attributes, dbFixedField | dbAutoIncrField);
    EXPECT_EQ(daoField(complex, SnapshotFormat::Ace, 1033).attributes, dbFixedField);
}

TEST(DaoSchema, CollatingOrderMarksOnlyAGuidAutoNumberBelowNeutral) {
    RawColumn guidAuto{"ID", 0x0F, 0x43, 16, 1033, 0, "", std::nullopt};
    RawColumn guid{"G", 0x0F, 0x03, 16, 0, 0, "", std::nullopt};
    RawColumn decimal{"D",    0x10, 0x02, 17,
                      0x0412, 0,    "",   std::nullopt};  // precision 18, scale 4 in the sort field
    RawColumn text{"T", 0x0A, 0x02, 100, 1041, 0, "", std::nullopt};
    EXPECT_LT(daoField(guidAuto, SnapshotFormat::Jet4, 1033).collatingOrder, dbSortNeutral);
    EXPECT_EQ(daoField(guid, SnapshotFormat::Jet4, 1033).collatingOrder, 1033);
    EXPECT_EQ(daoField(decimal, SnapshotFormat::Jet4, 1041).collatingOrder, 1041);
    EXPECT_EQ(daoField(text, SnapshotFormat::Jet4, 1033).collatingOrder, 1041);
    EXPECT_EQ(daoField(text, SnapshotFormat::Jet4, 1033).size, 50);
    EXPECT_EQ(daoField(text, SnapshotFormat::Jet3, 1033).size, 100);
}

RawColumn complexColumn(const std::string& name, const std::string& typeTable) {
    return {name, 0x12, 0x07, 4, 0, 0, typeTable, std::nullopt};
}

TEST(DaoSchema, ComplexFieldsTakeTheirTypeFromTheirTypeTable) {
    EXPECT_EQ(daoField(complexColumn("A", "MSysComplexType_Attachment"), SnapshotFormat::Ace, 1033).type,
              101);
    EXPECT_EQ(daoField(complexColumn("B", "MSysComplexType_UnsignedByte"), SnapshotFormat::Ace, 1033).type,
              102);
    EXPECT_EQ(daoField(complexColumn("L", "MSysComplexType_Long"), SnapshotFormat::Ace, 1033).type, 104);
    EXPECT_EQ(daoField(complexColumn("T", "MSysComplexType_Text"), SnapshotFormat::Ace, 1033).type, 109);
    // Without its type table a complex field keeps Jet's code, shown as a number.
    EXPECT_EQ(daoField(complexColumn("X", ""), SnapshotFormat::Ace, 1033).type, 0x12);
}

TEST(DaoSchema, CalculatedFieldsHaveTheSizeOfTheirResult) {
    // The stored length counts the calculation's 23-byte header.
    RawColumn text{"Full", 0x0A, 0x02, 509, 1033, 0xC0, "", std::nullopt};
    RawColumn currency{"Monthly", 0x05, 0x02, 39, 1033, 0xC0, "", std::nullopt};
    RawColumn memo{"All", 0x0C, 0x02, 0, 1033, 0xC0, "", std::nullopt};
    EXPECT_EQ(daoField(text, SnapshotFormat::Ace, 1033).size, 243);
    EXPECT_EQ(daoField(currency, SnapshotFormat::Ace, 1033).size, 8);
    EXPECT_EQ(daoField(memo, SnapshotFormat::Ace, 1033).size, 0);
}

TEST(DaoSchema, TheHiddenPartsOfComplexFieldsAreLeftOut) {
    Snapshot snapshot;
    snapshot.format = SnapshotFormat::Ace;
    CatalogObject object;
    object.name = "T";
    object.type = 1;
    RawTable raw;
    raw.columns = {{"ID", 0x04, 0x07, 4, 1033, 0, "", std::nullopt},
                   complexColumn("Files", "MSysComplexType_Attachment"),
                   complexColumn("VersionHistory_F5F8", "MSysComplexTypeVH_7B4A"),
                   {"Memo", 0x0C, 0x02, 0, 1033, 0, "", std::nullopt}};
    raw.indexes = {{"PrimaryKey", 1, 0x89, {{0, true}}},
                   {"Files_071D71EDD53D45A1A9089929F06857D9", 0, 0x81, {{1, true}}},
                   {"VersionHistory_F5F8_6E54CCBB170741DD8FD837271ED8B90C", 0, 0x81, {{2, true}}},
                   {"IdAndFiles", 0, 0x81, {{0, true}, {1, true}}}};
    object.table = raw;
    snapshot.objects.push_back(object);

    DaoTableDefs tables;
    tables.take(snapshot, 0, snapshot.objects[0]);
    const TableDef table = std::move(tables).inCatalogOrder(snapshot).at(0);
    std::vector<std::string> fields, indexes;
    for (const Field& field : table.fields) fields.push_back(field.name);
    for (const Index& index : table.indexes) indexes.push_back(index.name);
    EXPECT_EQ(fields, (std::vector<std::string>{"ID", "Files", "Memo"}));
    // An index a designer made over an ordinary field stays.
    EXPECT_EQ(indexes, (std::vector<std::string>{"PrimaryKey", "IdAndFiles"}));
}

}  // namespace
}  // namespace speclore::jet
