// The settings file shipped beside the program.
#include <gtest/gtest.h>

#include "app/SettingsFile.h"
#include "catalog/ItemNames.h"

namespace speclore::catalog {
namespace {

const std::string kShipped = std::string(SPECLORE_SOURCE_DIR) + "/resources/Speclore.ini";

TEST(ShippedSettings, HoldsEveryItemNameAndTheStartingValuesOfTheMainWindow) {
    const ItemNames names = ReadItemNames(kShipped);
    for (std::size_t i = 0; i < kItemCount; ++i) {
        EXPECT_FALSE(names[static_cast<Item>(i)].empty()) << kItemNameKeys[i].key;
    }
    EXPECT_EQ(names[Item::ctText], "テキスト型") << "read back from code page 932";
    EXPECT_EQ(names[Item::crYes], "○");
    EXPECT_EQ(GetIniValue(kShipped, "INITIAL", "OPTION"), "False");
    EXPECT_EQ(GetIniValue(kShipped, "INITIAL", "TABLETITLE"), "<FileTitle> テーブル仕様書");
    EXPECT_EQ(GetIniValue(kShipped, "INITIAL", "RELATIONTITLE"), "<FileTitle> リレーション仕様書");
    EXPECT_EQ(GetIniValue(kShipped, "INITIAL", "QUERYTITLE"), "<FileTitle> クエリ仕様書");
    EXPECT_EQ(names[Item::cqCrosstab], "クロス集計クエリ");
}

}  // namespace
}  // namespace speclore::catalog
