// QueryDefs: the saved queries of an Access-made file with one query of
// every kind, their SQL as the SQL view shows it, the same file encoded,
// and what damaged definitions give.
#include <gtest/gtest.h>

#include <map>

#include "jet/DaoQueryDefs.h"
#include "jet/JetFixtures.h"
#include "jet/QuerySql.h"
#include "jet/crypt/Primitives.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"

namespace speclore::test {
namespace {

using namespace speclore::catalog;
using jet::QueryRow;
namespace qa = jet::query_attribute;

std::string lines(std::initializer_list<const char*> parts) {
    std::string out;
    for (const char* part : parts) {
        if (!out.empty()) out += "\r\n";
        out += part;
    }
    return out;
}

TEST(QueryDefs, EveryKindOfTheAccessMadeFileReadsBackAsItsSqlView) {
    const std::map<std::string, std::pair<int32_t, std::string>> expected = {
        {"SelectQuery",
         {dbQSelect, lines({"SELECT DISTINCT Table1.*, Table2.col1, Table2.col2, Table3.col3",
                            "FROM (Table1 LEFT JOIN Table3 ON Table1.col1 = Table3.col1) INNER JOIN Table2 "
                            "ON (Table3.col1 = "
                            "Table2.col2) AND (Table3.col1 = Table2.col1)",
                            "WHERE (((Table2.col2)=\"foo\" Or (Table2.col2) In (\"buzz\",\"bazz\")))",
                            "ORDER BY Table2.col1;"})}},
        {"DeleteQuery",
         {dbQDelete, lines({"DELETE Table1.col1, Table1.col2, Table1.col3", "FROM Table1",
                            "WHERE (((Table1.col1)>\"blah\"));"})}},
        {"AppendQuery",
         {dbQAppend, lines({"INSERT INTO Table3 (col2, col2, col3)",
                            "SELECT [Table1].[col2], [Table2].[col2], [Table2].[col3]",
                            "FROM Table3, Table1 INNER JOIN Table2 ON [Table1].[col1]=[Table2].[col1];"})}},
        {"UpdateQuery",
         {dbQUpdate,
          lines({"PARAMETERS [User Name] Text;", "UPDATE Table1",
                 "SET Table1.col1 = \"foo\", Table1.col2 = [Table2].[col3], [Table2].[col1] = [User Name]",
                 "WHERE ((([Table2].[col1]) Is Not Null));"})}},
        {"MakeTableQuery",
         {dbQMakeTable, lines({"SELECT Max(Table2.col1) AS MaxOfcol1, Table2.col2, Table3.col2 INTO Table4",
                               "FROM (Table2 INNER JOIN Table1 ON Table2.col1 = Table1.col2) RIGHT JOIN "
                               "Table3 ON Table1.col2 = "
                               "Table3.col3",
                               "GROUP BY Table2.col2, Table3.col2",
                               "HAVING (((Max(Table2.col1))=\"buzz\") AND ((Table2.col2)<>\"blah\"));"})}},
        {"CrosstabQuery",
         {dbQCrosstab, lines({"TRANSFORM Count([Table2].[col2]) AS CountOfcol2",
                              "SELECT Table2_1.col1, [Table2].[col3], Avg(Table2_1.col2) AS AvgOfcol2",
                              "FROM (Table1 INNER JOIN Table2 ON [Table1].[col1]=[Table2].[col1]) INNER JOIN "
                              "Table2 AS Table2_1 ON "
                              "[Table2].[col1]=Table2_1.col3",
                              "WHERE ((([Table1].[col1])>\"10\") And ((Table2_1.col1) Is Not Null) And "
                              "((Avg(Table2_1.col2))>\"10\"))",
                              "GROUP BY Table2_1.col1, [Table2].[col3]", "ORDER BY [Table2].[col3]",
                              "PIVOT [Table1].[col1];"})}},
        {"UnionQuery",
         {dbQSetOperation,
          lines({"Select Table1.col1, Table1.col2", "where Table1.col1 = \"foo\"", "UNION",
                 "Select Table2.col1, Table2.col2", "UNION ALL Select Table3.col1, Table3.col2",
                 "where Table3.col3 > \"blah\";"})}},
        {"PassthroughQuery", {dbQSQLPassThrough, "ALTER TABLE Table4 DROP COLUMN col5;"}},
        {"DataDefinitionQuery", {dbQDDL, "CREATE TABLE Table5 (col1 CHAR, col2 CHAR);"}},
    };

    auto database = openFixture("queryTestV1997.mdb");
    const std::vector<QueryDef>& queries = database->QueryDefs();
    std::vector<std::string> names;
    for (const QueryDef& query : queries) {
        names.push_back(query.name);
        auto found = expected.find(query.name);
        ASSERT_NE(found, expected.end()) << query.name;
        EXPECT_EQ(query.type, found->second.first) << query.name;
        EXPECT_EQ(query.sql, found->second.second) << query.name;
        EXPECT_FALSE(query.description);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"AppendQuery", "CrosstabQuery", "DataDefinitionQuery",
                                               "DeleteQuery", "MakeTableQuery", "PassthroughQuery",
                                               "SelectQuery", "UnionQuery", "UpdateQuery"}));
    const QueryDef& crosstab = queries[1];
    EXPECT_EQ(crosstab.sourceTables, (std::vector<std::string>{"Table1", "Table2"}));
    EXPECT_TRUE(queries[2].sourceTables.empty());
}

// An encoded copy of a Jet 3 file, made as Access's "Encrypt" command does:
// the key at 0x3E of the masked header, every page after the first run
// through RC4 keyed by the little-endian key XOR the page number.
Bytes encodedJet3(Bytes file, uint32_t key) {
    constexpr size_t kPageSize = 2048, kMaskedFrom = 0x18, kMaskedLength = 126, kKeyOffset = 0x3E;
    const uint8_t headerMask[] = {0xC7, 0xDA, 0x39, 0x6B};
    const std::span<uint8_t> masked(file.data() + kMaskedFrom, kMaskedLength);
    jet::crypt::rc4Apply(headerMask, masked);
    for (size_t i = 0; i < 4; ++i) file[kKeyOffset + i] = static_cast<uint8_t>(key >> (8 * i));
    jet::crypt::rc4Apply(headerMask, masked);
    for (size_t page = 1; page * kPageSize < file.size(); ++page) {
        const uint32_t pageKey = key ^ static_cast<uint32_t>(page);
        const uint8_t keyBytes[] = {static_cast<uint8_t>(pageKey), static_cast<uint8_t>(pageKey >> 8),
                                    static_cast<uint8_t>(pageKey >> 16), static_cast<uint8_t>(pageKey >> 24)};
        jet::crypt::rc4Apply(keyBytes, std::span<uint8_t>(file.data() + page * kPageSize, kPageSize));
    }
    return file;
}

TEST(QueryDefs, AnEncodedFileGivesTheSameQueries) {
    TempDir dir("speclore-encoded");
    const auto plainBytes = readBytes(fixture("queryTestV1997.mdb"));
    const Bytes encoded = encodedJet3(plainBytes, 0x5A17C3E9);
    ASSERT_NE(encoded, plainBytes);
    writeBytes(dir / "encoded.mdb", encoded);

    auto plain = openFixture("queryTestV1997.mdb");
    auto engine = jet::JetDbEngineFactory(SPECLORE_PROGRAM_DIR).NewEngine();
    engine->SetDefaultUser("Admin");
    auto database = engine->OpenDatabase((dir / "encoded.mdb").string(), false, false, "");
    const auto& expected = plain->QueryDefs();
    const auto& queries = database->QueryDefs();
    ASSERT_EQ(queries.size(), expected.size());
    ASSERT_FALSE(queries.empty());
    for (size_t i = 0; i < queries.size(); ++i) {
        EXPECT_EQ(queries[i].name, expected[i].name);
        EXPECT_EQ(queries[i].type, expected[i].type);
        EXPECT_EQ(queries[i].sql, expected[i].sql);
        EXPECT_EQ(queries[i].sourceTables, expected[i].sourceTables);
    }
}

TEST(QueryDefs, DatabasesWithoutQueriesHaveNone) {
    EXPECT_TRUE(openFixture("catalog_ja.mdb")->QueryDefs().empty());
    EXPECT_TRUE(openFixture("linkerTestV2007.accdb")->QueryDefs().empty());
}

QueryRow row(int attribute, const char* expression, std::optional<int32_t> flag = std::nullopt,
             const char* name1 = nullptr, const char* name2 = nullptr) {
    QueryRow r;
    r.attribute = attribute;
    if (expression) r.expression = expression;
    r.flag = flag;
    if (name1) r.name1 = name1;
    if (name2) r.name2 = name2;
    return r;
}

std::string rebuilt(std::vector<QueryRow> rows, int32_t objectFlags = 0) {
    return jet::rebuildQuery(objectFlags, rows).sql;
}

TEST(QuerySql, SelectOptionsParametersAndRemoteSources) {
    std::vector<QueryRow> rows = {
        row(qa::kType, nullptr, 1),
        row(qa::kParameter, nullptr, 3, "Int Val"),
        row(qa::kParameter, nullptr, 99, "Odd"),
        row(qa::kFlag, nullptr, 0x02 | 0x10 | 0x20 | 0x04, "5"),
        row(qa::kRemoteDatabase, "dBASE IV;", std::nullopt, "C:\\data"),
        row(qa::kTable, nullptr, std::nullopt, "顧客 一覧", "c"),
        row(qa::kColumn, "c.名前", std::nullopt, "Some.Alias"),
        row(qa::kOrderBy, "c.名前", std::nullopt, "d"),
    };
    EXPECT_EQ(rebuilt(rows), lines({"PARAMETERS [Int Val] Short, Odd Value;",
                                    "SELECT DISTINCT TOP 5 PERCENT c.名前 AS [Some.Alias]",
                                    "FROM [顧客 一覧] AS c IN 'C:\\data' [dBASE IV;]", "ORDER BY c.名前 DESC",
                                    "WITH OWNERACCESS OPTION;", "※ 読めない定義: パラメータの型 99"}));
}

TEST(QuerySql, JoinsNestAsAccessWritesThem) {
    std::vector<QueryRow> rows = {row(qa::kType, nullptr, 1), row(qa::kFlag, nullptr, 1)};
    for (int i = 1; i <= 5; ++i) {
        rows.push_back(row(qa::kTable, nullptr, std::nullopt, ("T" + std::to_string(i)).c_str()));
    }
    auto addJoin = [&](const char* from, const char* to, int type, const char* on) {
        rows.push_back(row(qa::kJoin, on, type, from, to));
    };
    addJoin("T1", "T2", 1, "a");
    addJoin("T3", "T4", 2, "b");
    addJoin("T1", "T2", 1, "d");
    addJoin("T2", "T3", 3, "c");
    EXPECT_EQ(rebuilt(rows), lines({"SELECT *",
                                    "FROM T5, (T1 INNER JOIN T2 ON (d) AND (a)) RIGHT JOIN (T3 LEFT "
                                    "JOIN T4 ON b) ON c;"}));

    // A second join of two tables already joined otherwise is contrary.
    addJoin("T1", "T2", 2, "e");
    addJoin("T1", "T9", 7, "f");
    const std::string sql = rebuilt(rows);
    EXPECT_NE(sql.find("JOIN T9 ON f"), std::string::npos);
    EXPECT_NE(sql.find("※ 読めない定義: 結合 T1 - T2、結合の種類 7"), std::string::npos) << sql;
}

TEST(QuerySql, AppendValuesUnionOrderAndTheKindTheObjectFlagsName) {
    EXPECT_EQ(rebuilt({row(qa::kType, nullptr, 3, "Table 2"), row(qa::kColumn, "54", 0x8000, nullptr, "ID"),
                       row(qa::kColumn, "'x'", 0x8000, nullptr, "Field 3")}),
              lines({"INSERT INTO [Table 2] (ID, [Field 3])", "VALUES (54, 'x');"}));
    // Flags 0x80 say union even where the type row says select.
    EXPECT_EQ(rebuilt({row(qa::kType, nullptr, 1), row(qa::kFlag, nullptr, 2),
                       row(qa::kTable, "\r\n select a from t \n\n", std::nullopt, nullptr, "X7YZ_____1"),
                       row(qa::kTable, "select b from u", std::nullopt, nullptr, "X7YZ_____2"),
                       row(qa::kOrderBy, "a")},
                      0x80),
              lines({"select a from t", "UNION select b from u", "ORDER BY a;"}));
}

TEST(QuerySql, DamagedDefinitionsSayWhatIsMissing) {
    EXPECT_EQ(rebuilt({}), "※ 読めない定義: MSysQueries の行がありません");
    EXPECT_EQ(rebuilt({row(qa::kType, nullptr, 42)}), "※ 読めない定義: 種類");
    EXPECT_EQ(jet::rebuildQuery(0xE0, {row(qa::kType, nullptr, 1)}).sql, "※ 読めない定義: 種類");
    EXPECT_EQ(rebuilt({row(qa::kType, nullptr, 9),
                       row(qa::kTable, "select 1", std::nullopt, nullptr, "X7YZ_____1")}),
              lines({"select 1", "UNION ALL ;", "※ 読めない定義: UNION 2"}));
    EXPECT_EQ(rebuilt({row(qa::kType, nullptr, 1), row(qa::kType, nullptr, 1), row(qa::kWhere, "a"),
                       row(qa::kWhere, "b"), row(qa::kColumn, "x")}),
              lines({"SELECT x", "WHERE a;", "※ 読めない定義: 種類の行が複数、WHERE 2 行"}));

    // More joins than any query can hold end after the first ones; the
    // text stays short.
    std::vector<QueryRow> rows = {row(qa::kType, nullptr, 1), row(qa::kColumn, "x")};
    for (int i = 0; i < 100000; ++i) {
        rows.push_back(
            row(qa::kJoin, "c", 1, ("A" + std::to_string(i)).c_str(), ("A" + std::to_string(i + 1)).c_str()));
    }
    const std::string sql = rebuilt(rows);
    EXPECT_LT(sql.size(), 2000u);
    EXPECT_NE(sql.find("※ 読めない定義: 結合 100000 件"), std::string::npos);
}

}  // namespace
}  // namespace speclore::test
