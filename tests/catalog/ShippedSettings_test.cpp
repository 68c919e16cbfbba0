// The settings file shipped beside the program.
#include <gtest/gtest.h>

#include "support/FileBytes.h"
#include "support/TempDir.h"

#include "app/SettingsFile.h"
#include "catalog/ItemNames.h"

namespace speclore::catalog {
namespace {

const std::string kShipped = std::string(SPECLORE_SOURCE_DIR) + "/resources/Speclore.ini";

TEST(ShippedSettings, HoldsEveryItemNameAndTheStartingValuesOfTheMainWindow) {
    const ItemNames names = readItemNames(kShipped);
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

// A settings file from before the query sheet has none of its captions:
// they come from the shipped texts, while a caption the user emptied stays
// empty and the older captions keep reading "" when missing.
TEST(ShippedSettings, AnOlderSettingsFileGetsTheShippedQueryCaptions) {
    test::TempDir dir;
    const std::string older = (dir / "Speclore.ini").string();
    test::writeText(older, "[CATALOG]\r\ncqDelete=\r\n");
    const ItemNames shipped = readItemNames(kShipped);
    const ItemNames names = readItemNames(older);
    for (std::size_t i = kRelationItemEnd; i < kItemCount; ++i) {
        const Item item = static_cast<Item>(i);
        EXPECT_EQ(names[item], item == Item::cqDelete ? "" : shipped[item]) << kItemNameKeys[i].key;
    }
    EXPECT_EQ(names[Item::ctText], "");
    EXPECT_EQ(names[Item::crYes], "");
}

}  // namespace
}  // namespace speclore::catalog
