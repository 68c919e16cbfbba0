// The rows of MSysQueries that make up one saved query. Each row is one
// attribute of the query: its kind, a parameter, a source table, a column,
// a join, a clause.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "jet/Snapshot.h"

namespace speclore::jet {

// MSysQueries.Attribute codes.
namespace query_attribute {
inline constexpr int kType = 1;
inline constexpr int kParameter = 2;
inline constexpr int kFlag = 3;
inline constexpr int kRemoteDatabase = 4;
inline constexpr int kTable = 5;
inline constexpr int kColumn = 6;
inline constexpr int kJoin = 7;
inline constexpr int kWhere = 8;
inline constexpr int kGroupBy = 9;
inline constexpr int kHaving = 10;
inline constexpr int kOrderBy = 11;
}  // namespace query_attribute

// One MSysQueries row; an empty text counts as absent, as it does for Jet.
struct QueryRow {
    int attribute = -1;
    std::optional<std::string> expression;
    std::optional<int32_t> flag;
    std::optional<std::string> name1;
    std::optional<std::string> name2;
    // The declared length of a text parameter, where the file keeps one.
    std::optional<int32_t> extra;
};

// The rows of every query by MSysQueries.ObjectId, each query's rows in
// stored order. Nothing when the snapshot holds no MSysQueries, or one
// without the columns that identify a row.
std::optional<std::map<int32_t, std::vector<QueryRow>>> queryRowsById(const Snapshot& snapshot);

}  // namespace speclore::jet
