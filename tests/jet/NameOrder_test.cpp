// Names in the engine's own order: TableDefs as the catalog's name index
// lists them (checked against that order as another reader read it from
// each fixture), the General comparison that stands in where the index says
// nothing, and ORDER BY on text.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "jet/GeneralSortOrder.h"
#include "jet/JetFixtures.h"
#include "jet/SqlExecution.h"
#include "jet/SqlStatement.h"
#include "jet/TextCase.h"
#include "jet/TextOrder.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"

namespace speclore::test {
namespace {

using namespace speclore::catalog;

std::vector<std::string> tableDefNames(const Database& database) {
    std::vector<std::string> names;
    for (const TableDef& table : database.TableDefs()) names.push_back(table.name);
    return names;
}

// The index order of `file` without the names that are no table (queries).
std::vector<std::string> indexedTables(const std::string& file, const std::vector<std::string>& tables) {
    const std::set<std::string> isTable(tables.begin(), tables.end());
    std::vector<std::string> names;
    for (const std::string& name : indexOrderOf(file)) {
        if (isTable.count(name)) names.push_back(name);
    }
    return names;
}

class NameIndexOfFixture : public testing::TestWithParam<const char*> {};

TEST_P(NameIndexOfFixture, TableDefsFollowTheIndex) {
    const auto& password = manifestOf(GetParam())["password"];
    auto database = openFixture(GetParam(), password.is_null() ? "" : ";pwd=" + password.get<std::string>());
    const std::vector<std::string> names = tableDefNames(*database);
    EXPECT_EQ(names, indexedTables(GetParam(), names));
}

// Jet 3 and Jet 4 files, ACE files, files made by Access and by another
// library, pages encoded without a password, and rows of MSysObjects that
// grew past their page (catalog_ja, queryTestV1997).
INSTANTIATE_TEST_SUITE_P(Fixtures, NameIndexOfFixture,
                         testing::Values("collation_ja.mdb", "catalog_ja.mdb", "catalog_ja_2003.mdb",
                                         "catalog_ja.accdb", "linked_source.mdb", "empty_rel.mdb",
                                         "rel_edge.mdb", "password.mdb", "password_ja.mdb", "testV1997.mdb",
                                         "indexTestV1997.mdb", "indexTestV2000.mdb", "queryTestV1997.mdb",
                                         "testPromotionV2000.mdb", "linkerTestV2007.accdb", "db97-enc.mdb",
                                         "db-enc.mdb", "withdeletedcol.accdb"));

TEST(NameIndex, ADamagedIndexFallsBackToNamesWithoutRegardToCase) {
    // Mark every index page of MSysObjects as a page of no known kind.
    constexpr size_t kPageSize = 4096;
    Bytes file = readBytes(kJetFixtures / "collation_ja.mdb");
    int damaged = 0;
    for (size_t page = 0; page < file.size(); page += kPageSize) {
        const bool indexPage = file[page] == 0x03 || file[page] == 0x04;
        if (indexPage && file[page + 4] == 2 && file[page + 5] == 0 && file[page + 6] == 0 &&
            file[page + 7] == 0) {
            file[page] = 0x7F;
            ++damaged;
        }
    }
    ASSERT_GT(damaged, 0);
    TempDir dir("speclore-name-index");
    writeBytes(dir / "collation_ja.mdb", file);

    jet::JetDbEngineFactory factory(SPECLORE_PROGRAM_DIR);
    auto engine = factory.NewEngine();
    engine->SetSystemDB("");
    engine->SetDefaultUser("Admin");
    engine->SetDefaultPassword("");
    auto database = engine->OpenDatabase((dir / "collation_ja.mdb").string(), false, false, "");
    const std::vector<std::string> names = tableDefNames(*database);
    EXPECT_NE(names, indexedTables("collation_ja.mdb", names));
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return jet::compareIgnoringCase(a, b) < 0;
    }));
    EXPECT_EQ(names.size(), 32u);
}

// Our comparison puts the names of every database of every fixture folder
// in the index's order, from its own reversal.
TEST(GeneralSortOrder, OrdersEveryFixturesNamesAsTheIndex) {
    for (const auto& [file, order] : indexOrders().items()) {
        const auto want = order.get<std::vector<std::string>>();
        std::vector<std::string> names(want.rbegin(), want.rend());
        std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            return jet::compareGeneral(a, b) < 0;
        });
        EXPECT_EQ(names, want) << file;
    }
}

TEST(GeneralSortOrder, LaterLevelsDecideOnlyWhereTheLetterTies) {
    auto before = [](const char* a, const char* b) {
        EXPECT_LT(jet::compareGeneral(a, b), 0) << a << " < " << b;
        EXPECT_GT(jet::compareGeneral(b, a), 0) << b << " > " << a;
    };
    // The letter: symbols, digits, Latin, other alphabets, kana, ideographs.
    before("_", "~");
    before("~", "0");
    before("9", "a");
    before("z", "α");
    before("я", "ア");
    before("ン", "亜");
    before("コード", "コントロール");
    before("ABC", "abd");
    before("ｶｰﾄﾞ", "かーどいれ");
    // Voicing, then size, then case, then width, then hiragana or katakana.
    before("ハ", "バ");
    before("バ", "パ");
    before("カA", "ガa");
    before("ヤa", "ヤA");
    before("キャA", "キヤa");
    before("ッ", "ツ");
    before("abc", "ABC");
    before("ABC", "ＡＢＣ");
    before("ｶﾞ", "ガ");
    before("かーど", "カード");
    EXPECT_EQ(jet::compareGeneral("ｶﾞｰﾄﾞ", "ｶﾞｰﾄﾞ"), 0);
    EXPECT_EQ(jet::compareGeneral("", ""), 0);
    before("", "a");
}

TEST(TextOrder, TableNamesGoByTheIndexAndOtherTextByTheGeneralComparison) {
    // As a database with a language's own sort order might rank them.
    const jet::TextOrder order(std::vector<std::string>{"Zeta", "alpha"});
    EXPECT_LT(order.compare("Zeta", "alpha"), 0);
    EXPECT_LT(order.compare("ZETA", "Alpha"), 0);
    EXPECT_EQ(order.compare("zeta", "Zeta"), 0);
    EXPECT_LT(order.compare("alpha", "beta"), 0);
    EXPECT_LT(order.compare("beta", "zebra"), 0);

    jet::RowTable relations{"MSysRelationships", {"szObject", "icolumn"}, {}};
    relations.rows = {{std::string("alpha"), int64_t{0}},
                      {std::string("ZETA"), int64_t{1}},
                      {std::string("Zeta"), int64_t{0}}};
    auto result = jet::sql::execute(
        jet::sql::parseSelect("SELECT szObject, icolumn FROM MSysRelationships ORDER BY szObject, icolumn"),
        {relations}, order);
    std::vector<std::string> objects;
    for (const auto& row : result.rows) objects.push_back(std::get<std::string>(row[0]));
    // The two spellings of Zeta are one table: icolumn decides between them.
    EXPECT_EQ(objects, (std::vector<std::string>{"Zeta", "ZETA", "alpha"}));
}

}  // namespace
}  // namespace speclore::test
