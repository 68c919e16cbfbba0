#include "catalog/RelationRules.h"

#include "catalog/DatabaseEngine.h"

namespace speclore::catalog {

RelationTexts relationFlagTexts(int32_t grbit, const ItemNames& names) {
    const auto has = [grbit](int32_t bit) { return (grbit & bit) != 0; };
    const std::string empty;
    RelationTexts texts;
    texts.kind = names[has(dbRelationUnique) ? Item::crToOne : Item::crToMany];
    texts.enforced = has(dbRelationDontEnforce) ? empty : names[Item::crYes];
    texts.updateCascade = has(dbRelationUpdateCascade) ? names[Item::crYes] : empty;
    texts.deleteCascade = has(dbRelationDeleteCascade) ? names[Item::crYes] : empty;
    texts.join = names[has(dbRelationLeft)    ? Item::crLeft
                       : has(dbRelationRight) ? Item::crRight
                                              : Item::crInner];
    return texts;
}

}  // namespace speclore::catalog
