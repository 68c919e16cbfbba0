#include "catalog/FieldRules.h"

#include <charconv>

namespace speclore::catalog {

namespace {

TypeTexts texts(const ItemNames& names, Item caption, Item size) {
    return {TypeText(names[caption]), TypeText(names[size])};
}

TypeTexts textsWithSize(const ItemNames& names, Item caption, const Field& field) {
    return {TypeText(names[caption]), TypeText(field.size)};
}

IndexRole roleIn(const Index& index) {
    if (index.primary) return IndexRole::Primary;
    return index.unique ? IndexRole::Unique : IndexRole::Duplicates;
}

int rank(IndexRole role) {
    switch (role) {
    case IndexRole::Primary: return 3;
    case IndexRole::Unique: return 2;
    case IndexRole::Duplicates: return 1;
    case IndexRole::None: break;
    }
    return 0;
}

}  // namespace

TypeText::TypeText(int32_t number) : isNumber_(true) {
    const auto written = std::to_chars(digits_.data(), digits_.data() + digits_.size(), number);
    length_ = static_cast<uint8_t>(written.ptr - digits_.data());
}

TypeTexts fieldTypeTexts(const Field& field, const ItemNames& names) {
    switch (field.type) {
    case dbBoolean: return textsWithSize(names, Item::ctBoolean, field);
    case dbByte: return texts(names, Item::ctNum, Item::ctByte);
    case dbInteger: return texts(names, Item::ctNum, Item::ctInteger);
    case dbLong:
        return texts(names, (field.attributes & dbAutoIncrField) ? Item::ctAutoNum : Item::ctNum,
                     Item::ctLong);
    case dbCurrency: return textsWithSize(names, Item::ctCurrency, field);
    case dbSingle: return texts(names, Item::ctNum, Item::ctSingle);
    case dbDouble: return texts(names, Item::ctNum, Item::ctDouble);
    case dbDate: return textsWithSize(names, Item::ctDate, field);
    case dbText: return textsWithSize(names, Item::ctText, field);
    case dbLongBinary:
    case dbVarBinary: return textsWithSize(names, Item::ctObject, field);
    case dbMemo:
        return textsWithSize(names, (field.attributes & dbHyperlinkField) ? Item::ctHyperLink : Item::ctMemo,
                             field);
    case dbGUID:
        return texts(names, field.collatingOrder < dbSortNeutral ? Item::ctAutoNum : Item::ctNum,
                     Item::ctReplication);
    case dbDecimal: return texts(names, Item::ctNum, Item::ctDecimal);
    default: return {TypeText(field.type), TypeText(field.size)};
    }
}

// A table has a few indexes of a field or two each, so each index's names
// are looked up among the fields rather than each field among the indexes.
std::vector<IndexRole> fieldIndexRoles(const TableDef& table) {
    std::vector<IndexRole> roles(table.fields.size(), IndexRole::None);
    for (const Index& index : table.indexes) {
        const IndexRole role = roleIn(index);
        for (const std::string& name : index.fields) {
            for (size_t i = 0; i < table.fields.size(); ++i) {
                if (table.fields[i].name == name && rank(role) > rank(roles[i])) roles[i] = role;
            }
        }
    }
    return roles;
}

const std::string& indexRoleText(IndexRole role, const ItemNames& names) {
    static const std::string none;
    switch (role) {
    case IndexRole::Primary: return names[Item::ctPrimary];
    case IndexRole::Unique: return names[Item::ctRepeatN];
    case IndexRole::Duplicates: return names[Item::ctRepeatY];
    case IndexRole::None: break;
    }
    return none;
}

}  // namespace speclore::catalog
