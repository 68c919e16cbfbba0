// SELECT over system tables with Jet's semantics, on hand-made tables so
// that each rule shows on its own.
#include <gtest/gtest.h>

#include "app/AppError.h"
#include "jet/SqlExecution.h"
#include "jet/SqlStatement.h"
#include "jet/TextCase.h"

namespace speclore::jet {
namespace {

CellValue text(const char* s) { return std::string(s); }
CellValue number(int64_t n) { return n; }

std::vector<RowTable> tables() {
    RowTable objects{"MSysObjects", {"Name", "Type", "Flags"}, {}};
    objects.rows = {{text("ＡＢＣ表"), number(1), number(0)},
                    {text("Child"), number(1), number(0)},
                    {text("Hidden"), number(1), number(8)},
                    {text("Linked"), number(6), number(0)},
                    {CellValue{}, number(1), number(0)}};
    RowTable relations{"MSysRelationships", {"szObject", "icolumn", "szColumn"}, {}};
    relations.rows = {{text("child"), number(1), text("b1")}, {text("ａｂｃ表"), number(0), text("x")},
                      {text("CHILD"), number(0), text("a0")}, {text("Hidden"), number(0), text("h")},
                      {text("Child"), number(0), text("c0")}, {text("Linked"), number(0), text("l")},
                      {text("Nobody"), number(0), text("n")}, {CellValue{}, number(0), text("null")}};
    return {objects, relations};
}

sql::ResultSet run(const std::string& statement, const TextOrder& order = TextOrder()) {
    return sql::execute(sql::parseSelect(statement), tables(), order);
}

std::vector<std::string> column(const sql::ResultSet& result, size_t index) {
    std::vector<std::string> values;
    for (const auto& row : result.rows) {
        values.push_back(std::holds_alternative<std::string>(row[index]) ? std::get<std::string>(row[index])
                                                                         : "?");
    }
    return values;
}

int32_t errorOf(const std::string& statement) {
    try {
        run(statement);
    } catch (const AppError& e) {
        return e.number();
    }
    return 0;
}

TEST(SqlStatement, JoinMatchesNamesWithoutRegardToCaseAndSortKeepsStoredOrderForTies) {
    auto result =
        run("SELECT szObject, szColumn FROM MSysRelationships INNER JOIN MSysObjects ON "
            "MSysRelationships.szObject = "
            "MSysObjects.Name WHERE (((MSysObjects.Type)=1) AND ((MSysObjects.Flags)=0)) ORDER BY szObject, "
            "icolumn;",
            TextOrder(std::vector<std::string>{"ＡＢＣ表", "Child"}));
    // The three spellings of Child are one table: icolumn decides.
    EXPECT_EQ(column(result, 1), (std::vector<std::string>{"x", "a0", "c0", "b1"}));
    EXPECT_EQ(result.columns, (std::vector<std::string>{"szObject", "szColumn"}));
}

TEST(SqlStatement, CountGivesOneRowUnderItsAlias) {
    auto result =
        run("select count(*) as 件数 from MSysRelationships inner join MSysObjects on "
            "MSysRelationships.szObject = MSysObjects.Name where MSysObjects.Type = 1 and not "
            "MSysObjects.Flags <> 0");
    ASSERT_EQ(result.rows.size(), 1u);
    EXPECT_EQ(result.columns[0], "件数");
    EXPECT_EQ(result.rows[0][0], CellValue{int64_t{4}});
    EXPECT_EQ(run("SELECT Count(*) FROM MSysObjects WHERE Type = 99").columns[0], "Expr1000");
    EXPECT_EQ(run("SELECT Count(*) FROM MSysObjects WHERE Type = 99").rows[0][0], CellValue{int64_t{0}});
}

TEST(SqlStatement, NullMatchesNothingButIsNull) {
    EXPECT_EQ(run("SELECT Name FROM MSysObjects WHERE Name = Name OR Name <> Name").rows.size(), 4u);
    EXPECT_EQ(run("SELECT Name FROM MSysObjects WHERE Name IS NULL").rows.size(), 1u);
    EXPECT_EQ(run("SELECT Name FROM MSysObjects WHERE Name IS NOT NULL").rows.size(), 4u);
}

TEST(SqlStatement, BracketsDescendingOrderLiteralsAndParenthesisedJoins) {
    auto result =
        run("SELECT [Name] AS [表] FROM (MSysObjects) WHERE [Flags] = 0 AND Type < 6 ORDER BY Name DESC");
    EXPECT_EQ(result.columns[0], "表");
    // Full-width letters sort as their half-width forms.
    EXPECT_EQ(column(result, 0), (std::vector<std::string>{"Child", "ＡＢＣ表", "?"}));
    EXPECT_EQ(run("SELECT Name FROM MSysObjects WHERE Name = 'it''s' OR Name = \"child\"").rows.size(), 1u);
    EXPECT_EQ(run("SELECT Name FROM MSysObjects WHERE Flags > -1 AND Flags >= 8").rows.size(), 1u);
}

TEST(SqlStatement, MistakesRaiseTheEnginesErrors) {
    EXPECT_EQ(errorOf("SELECT Name FROM NoSuchTable"), err::DbInputTableNotFound);
    EXPECT_EQ(errorOf("SELECT NoSuchColumn FROM MSysObjects"), err::DbTooFewParameters);
    EXPECT_EQ(errorOf("SELECT Name FROM MSysObjects ORDER BY Nothing"), err::DbTooFewParameters);
    EXPECT_EQ(
        errorOf("SELECT szObject FROM MSysRelationships INNER JOIN MSysRelationships ON icolumn = icolumn"),
        err::DbAmbiguousField);
    EXPECT_EQ(errorOf("SELECT Name, Count(*) FROM MSysObjects"), err::DbSyntaxError);
    EXPECT_EQ(errorOf("SELECT FROM MSysObjects"), err::DbSyntaxError);
    EXPECT_EQ(errorOf("SELECT Name FROM MSysObjects WHERE"), err::DbSyntaxError);
    EXPECT_EQ(errorOf("SELECT Name FROM MSysObjects; DROP TABLE MSysObjects"), err::DbSyntaxError);
    EXPECT_EQ(errorOf("SELECT Name FROM MSysObjects WHERE Name = 'open"), err::DbSyntaxError);
    EXPECT_EQ(errorOf("DELETE FROM MSysObjects"), err::DbSyntaxError);
    EXPECT_EQ(errorOf("SELECT Name FROM MSysObjects WHERE Name = 1"), err::TypeMismatch);
}

TEST(SqlStatement, AJoinThatWouldExhaustMemoryIsRefusedAsADamagedDatabase) {
    RowTable objects{"MSysObjects", {"Name", "Type", "Flags"}, {}};
    RowTable relations{"MSysRelationships", {"szObject", "icolumn"}, {}};
    for (int i = 0; i < 1001; ++i) {
        objects.rows.push_back({text("Same"), number(1), number(0)});
        relations.rows.push_back({text("same"), number(i)});
    }
    try {
        sql::execute(sql::parseSelect("SELECT Count(*) AS 件数 FROM MSysRelationships INNER JOIN MSysObjects "
                                      "ON MSysRelationships.szObject = MSysObjects.Name"),
                     {objects, relations});
        FAIL() << "the join was not refused";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), err::DbCannotOpen);
    }
}

TEST(TextCase, FoldsAsciiLatinGreekCyrillicAndFullWidthLetters) {
    EXPECT_TRUE(equalsIgnoringCase("MSysObjects", "msysOBJECTS"));
    EXPECT_TRUE(equalsIgnoringCase("ＡＢＣ取引先", "ａｂｃ取引先"));
    EXPECT_TRUE(equalsIgnoringCase("ÉCOLE", "école"));
    EXPECT_TRUE(equalsIgnoringCase("ΑΒΓ", "αβγ"));
    EXPECT_TRUE(equalsIgnoringCase("ДЁМ", "дём"));
    EXPECT_FALSE(equalsIgnoringCase("ｱ", "ア"));
    EXPECT_FALSE(equalsIgnoringCase("abc", "abcd"));
    EXPECT_LT(compareIgnoringCase("MSysAccessObjects", "MSysACEs"), 0);
}

}  // namespace
}  // namespace speclore::jet
