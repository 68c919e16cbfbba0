// The rules that turn engine properties into captions: field type and size,
// index role, relationship attribute bits.
#include <gtest/gtest.h>

#include "catalog/FieldRules.h"
#include "catalog/RelationRules.h"

namespace speclore::catalog {
namespace {

// Each item name is its own key, so a cell shows which key was chosen.
ItemNames keyNames() {
    ItemNames names;
    for (std::size_t i = 0; i < kItemCount; ++i) names.set(static_cast<Item>(i), kItemNameKeys[i].key);
    return names;
}

Field field(int16_t type, int32_t size, int32_t attributes = 0, int32_t collatingOrder = 1033) {
    Field f;
    f.name = "f";
    f.type = type;
    f.size = size;
    f.attributes = attributes;
    f.collatingOrder = collatingOrder;
    return f;
}

TEST(FieldTypeTexts, EveryTypeCodeGivesItsCaptionAndSize) {
    struct Case {
        Field field;
        const char* caption;
        const char* size;
    };
    const Case cases[] = {
        {field(dbBoolean, 1), "ctBoolean", "1"},
        {field(dbByte, 1), "ctNum", "ctByte"},
        {field(dbInteger, 2), "ctNum", "ctInteger"},
        {field(dbLong, 4), "ctNum", "ctLong"},
        {field(dbLong, 4, dbAutoIncrField | dbFixedField), "ctAutoNum", "ctLong"},
        {field(dbCurrency, 8), "ctCurrency", "8"},
        {field(dbSingle, 4), "ctNum", "ctSingle"},
        {field(dbDouble, 8), "ctNum", "ctDouble"},
        {field(dbDate, 8), "ctDate", "8"},
        {field(dbText, 50), "ctText", "50"},
        {field(dbLongBinary, 0), "ctObject", "0"},
        {field(dbVarBinary, 255), "ctObject", "255"},
        {field(dbMemo, 0), "ctMemo", "0"},
        {field(dbMemo, 0, dbHyperlinkField), "ctHyperLink", "0"},
        {field(dbGUID, 16, 0, 1023), "ctAutoNum", "ctReplication"},
        {field(dbGUID, 16, 0, 1024), "ctNum", "ctReplication"},
        {field(dbDecimal, 16), "ctNum", "ctDecimal"},
        // Codes the caption table does not know show the code itself.
        {field(dbBinary, 16), "9", "16"},
        {field(dbBigInt, 17), "16", "17"},
        {field(-3, 0), "-3", "0"},
        {field(INT16_MIN, INT32_MIN), "-32768", "-2147483648"},
    };
    const ItemNames names = keyNames();
    for (const Case& c : cases) {
        const TypeTexts texts = fieldTypeTexts(c.field, names);
        EXPECT_EQ(texts.caption.view(), c.caption) << "type " << c.field.type;
        EXPECT_EQ(texts.size.view(), c.size) << "type " << c.field.type;
    }
}

Index index(bool primary, bool unique, std::vector<std::string> fields) {
    Index i;
    i.name = "ix";
    i.primary = primary;
    i.unique = unique;
    i.fields = std::move(fields);
    return i;
}

TEST(FieldIndexRole, PrimaryBeforeUniqueBeforeDuplicates) {
    TableDef table;
    for (const char* name : {"ID", "作成日", "メール", "会員コード", "氏名", "id"}) {
        table.fields.push_back(field(dbText, 10));
        table.fields.back().name = name;
    }
    table.indexes = {
        index(false, false, {"作成日"}),
        index(false, true, {"メール"}),
        index(false, true, {"会員コード"}),
        index(false, false, {"会員コード", "作成日"}),
        // A unique foreign-key index on the primary key field, before the primary key.
        index(false, true, {"ID"}),
        index(true, true, {"ID"}),
        index(false, false, {"ID"}),
    };
    const std::vector<IndexRole> expected = {IndexRole::Primary, IndexRole::Duplicates, IndexRole::Unique,
                                             IndexRole::Unique,  IndexRole::None,       IndexRole::None};
    EXPECT_EQ(fieldIndexRoles(table), expected) << "names compare with case";

    table.indexes.clear();
    EXPECT_EQ(fieldIndexRoles(table), std::vector<IndexRole>(6, IndexRole::None));
    EXPECT_TRUE(fieldIndexRoles(TableDef{}).empty());

    const ItemNames names = keyNames();
    EXPECT_EQ(indexRoleText(IndexRole::Primary, names), "ctPrimary");
    EXPECT_EQ(indexRoleText(IndexRole::Unique, names), "ctRepeatN");
    EXPECT_EQ(indexRoleText(IndexRole::Duplicates, names), "ctRepeatY");
    EXPECT_EQ(indexRoleText(IndexRole::None, names), "");
}

TEST(RelationFlagTexts, AttributeBitsGiveColumnsFToJ) {
    struct Case {
        int32_t grbit;
        const char* f;
        const char* g;
        const char* h;
        const char* i;
        const char* j;
    };
    const Case cases[] = {
        {0x0, "crToMany", "crYes", "", "", "crInner"},
        {0x101, "crToOne", "crYes", "crYes", "", "crInner"},
        {0x2, "crToMany", "", "", "", "crInner"},
        {0x1001000, "crToMany", "crYes", "", "crYes", "crLeft"},
        {0x2000002, "crToMany", "", "", "", "crRight"},
        {0x3000002, "crToMany", "", "", "", "crLeft"},     // both join bits
        {0x2000, "crToMany", "crYes", "", "", "crInner"},  // bit not decoded
        {-1, "crToOne", "", "crYes", "crYes", "crLeft"},
    };
    const ItemNames names = keyNames();
    for (const Case& c : cases) {
        const RelationTexts t = relationFlagTexts(c.grbit, names);
        EXPECT_EQ(t.kind, c.f) << std::hex << c.grbit;
        EXPECT_EQ(t.enforced, c.g) << std::hex << c.grbit;
        EXPECT_EQ(t.updateCascade, c.h) << std::hex << c.grbit;
        EXPECT_EQ(t.deleteCascade, c.i) << std::hex << c.grbit;
        EXPECT_EQ(t.join, c.j) << std::hex << c.grbit;
    }
}

}  // namespace
}  // namespace speclore::catalog
