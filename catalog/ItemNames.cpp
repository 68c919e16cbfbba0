#include "catalog/ItemNames.h"

#include "app/SettingsFile.h"

namespace speclore::catalog {

static_assert(static_cast<std::size_t>(Item::cqDataDefinition) + 1 == kItemCount);
static_assert(static_cast<std::size_t>(Item::cqTitleA) == kRelationItemEnd);
static_assert(static_cast<std::size_t>(Item::crTitleA) == kTableItemCount);

ItemNames readItemNames(const std::string& iniPath) {
    const SettingsSnapshot settings(iniPath);
    ItemNames names;
    for (std::size_t i = 0; i < kItemCount; ++i) {
        const ItemNameKey& item = kItemNameKeys[i];
        names.set(static_cast<Item>(i), settings.GetIniValue(kItemNamesSection, item.key, item.whenMissing));
    }
    return names;
}

}  // namespace speclore::catalog
