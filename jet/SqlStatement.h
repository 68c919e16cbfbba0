// The SELECT statements that the engine runs over its snapshot, parsed:
//   SELECT item, ... FROM table [INNER JOIN table ON condition]...
//   [WHERE condition] [ORDER BY column [ASC|DESC], ...] [;]
// where an item is a column, Count(*) or *, each with an optional AS name,
// and a condition combines comparisons (=, <>, <, <=, >, >=, IS [NOT] NULL)
// with AND, OR, NOT and parentheses. Names may be [bracketed]; keywords
// and names are compared without regard to case, as Jet does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "jet/Snapshot.h"

namespace speclore::jet::sql {

struct ColumnRef {
    std::string table;  // empty when not qualified
    std::string column;
};

struct Expr {
    enum class Kind { Column, Literal, Compare, IsNull, And, Or, Not };
    Kind kind = Kind::Literal;
    ColumnRef column;
    CellValue literal;
    // For Compare: "=", "<>", "<", "<=", ">", ">="; for IsNull: "NOT" when
    // the test is IS NOT NULL.
    std::string op;
    std::unique_ptr<Expr> left, right;
};

struct SelectItem {
    enum class Kind { Column, CountAll, AllColumns };
    Kind kind = Kind::Column;
    ColumnRef column;
    std::string alias;
};

struct Join {
    std::string table;
    std::unique_ptr<Expr> on;
};

struct OrderKey {
    ColumnRef column;
    bool descending = false;
};

struct SelectStatement {
    std::vector<SelectItem> items;
    std::string from;
    std::vector<Join> joins;
    std::unique_ptr<Expr> where;
    std::vector<OrderKey> orderBy;
};

// Raises AppError(err::DbSyntaxError) for text outside the grammar above.
SelectStatement parseSelect(const std::string& sql);

}  // namespace speclore::jet::sql
