#include "catalog/FieldRules.h"

#include <algorithm>

namespace speclore::catalog {

namespace {

TypeTexts texts(const ItemNames& names, Item caption, Item size) { return {names[caption], names[size]}; }

TypeTexts textsWithSize(const ItemNames& names, Item caption, const Field& field) {
    return {names[caption], std::to_string(field.size)};
}

bool belongsTo(const Index& index, const std::string& fieldName) {
    return std::find(index.fields.begin(), index.fields.end(), fieldName) != index.fields.end();
}

}  // namespace

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
    default: return {std::to_string(field.type), std::to_string(field.size)};
    }
}

IndexRole fieldIndexRole(const std::string& fieldName, const std::vector<Index>& indexes) {
    for (const Index& index : indexes) {
        if (index.primary && belongsTo(index, fieldName)) return IndexRole::Primary;
    }
    bool indexed = false;
    bool unique = false;
    for (const Index& index : indexes) {
        if (belongsTo(index, fieldName)) {
            indexed = true;
            unique = unique || index.unique;
        }
    }
    if (unique) return IndexRole::Unique;
    return indexed ? IndexRole::Duplicates : IndexRole::None;
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
