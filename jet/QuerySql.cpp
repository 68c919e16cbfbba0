#include "jet/QuerySql.h"

#include <algorithm>

#include "catalog/DatabaseEngine.h"
#include "jet/QueryFromClause.h"
#include "jet/QueryNames.h"
#include "jet/TextCase.h"

namespace speclore::jet {

namespace {

namespace qa = query_attribute;

constexpr const char* kNewLine = "\r\n";

// Bits of the flag row.
constexpr int32_t kSelectStar = 0x01;
constexpr int32_t kDistinct = 0x02;
constexpr int32_t kOwnerAccess = 0x04;
constexpr int32_t kDistinctRow = 0x08;
constexpr int32_t kTop = 0x10;
constexpr int32_t kPercent = 0x20;
// Of a union's flag row: UNION without ALL.
constexpr int32_t kUnionDistinct = 0x02;
// Of an append query's column row: a value of INSERT ... VALUES.
constexpr int32_t kAppendValue = 0x8000;
// Of a crosstab query's column and group rows.
constexpr int32_t kCrosstabPivot = 0x01;
constexpr int32_t kCrosstabRowHeading = 0x02;

// The table rows that hold the two halves of a union's text.
constexpr const char* kUnionFirstPart = "X7YZ_____1";
constexpr const char* kUnionSecondPart = "X7YZ_____2";

// The kind stored in the type row, as QueryDef.Type.
std::optional<int32_t> daoTypeOfKind(int32_t kind) {
    switch (kind) {
    case 1: return catalog::dbQSelect;
    case 2: return catalog::dbQMakeTable;
    case 3: return catalog::dbQAppend;
    case 4: return catalog::dbQUpdate;
    case 5: return catalog::dbQDelete;
    case 6: return catalog::dbQCrosstab;
    case 7: return catalog::dbQDDL;
    case 8: return catalog::dbQSQLPassThrough;
    case 9: return catalog::dbQSetOperation;
    default: return std::nullopt;
    }
}

std::optional<std::string> parameterTypeName(int32_t jetType) {
    switch (jetType) {
    case 0: return "Value";
    case 1: return "Bit";
    case 2: return "Byte";
    case 3: return "Short";
    case 4: return "Long";
    case 5: return "Currency";
    case 6: return "IEEESingle";
    case 7: return "IEEEDouble";
    case 8: return "DateTime";
    case 9: return "Binary";
    case 10: return "Text";
    case 11: return "LongBinary";
    case 12: return "Memo";
    case 15: return "Guid";
    case 16: return "BigInt";
    case 20: return "Decimal";
    default: return std::nullopt;
    }
}

bool hasBits(const QueryRow& row, int32_t bits) { return (row.flag.value_or(0) & bits) != 0; }

std::string joined(const std::vector<std::string>& items, const char* separator = ", ") {
    std::string out;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += separator;
        out += items[i];
    }
    return out;
}

class QueryText {
public:
    QueryText(int32_t type, const std::vector<QueryRow>& rows) : type_(type) {
        for (const QueryRow& row : rows) byAttribute_[row.attribute].push_back(&row);
        flags_ = single(qa::kFlag, "フラグ");
    }

    std::string build() {
        std::string out;
        switch (type_) {
        case catalog::dbQDDL:
        case catalog::dbQSQLPassThrough: return statementText();
        case catalog::dbQSetOperation: union_(out); break;
        case catalog::dbQSelect: select(out, true); break;
        case catalog::dbQMakeTable: select(out, true); break;
        case catalog::dbQAppend: append(out); break;
        case catalog::dbQUpdate: update(out); break;
        case catalog::dbQDelete:
            out += "DELETE ";
            select(out, false);
            break;
        case catalog::dbQCrosstab: crosstab(out); break;
        default: break;
        }
        std::string parameters = parameterList();
        if (!parameters.empty()) out = "PARAMETERS " + parameters + ";" + kNewLine + out;
        if (flags_ && hasBits(*flags_, kOwnerAccess))
            out += std::string(kNewLine) + "WITH OWNERACCESS OPTION";
        out += ';';
        return out;
    }

    std::vector<std::string> sources() const {
        std::vector<std::string> names;
        if (type_ == catalog::dbQSetOperation || type_ == catalog::dbQDDL ||
            type_ == catalog::dbQSQLPassThrough) {
            return names;
        }
        for (const QueryRow* row : rows(qa::kTable)) {
            if (!row->name1) continue;
            const bool seen = std::any_of(names.begin(), names.end(), [&](const std::string& name) {
                return equalsIgnoringCase(name, *row->name1);
            });
            if (!seen) names.push_back(*row->name1);
        }
        return names;
    }

    std::vector<std::string> gaps;

private:
    const std::vector<const QueryRow*>& rows(int attribute) const {
        static const std::vector<const QueryRow*> none;
        auto found = byAttribute_.find(attribute);
        return found == byAttribute_.end() ? none : found->second;
    }

    // The one row of an attribute that a query has at most once.
    const QueryRow* single(int attribute, const char* what) {
        const auto& found = rows(attribute);
        if (found.size() > 1) gaps.push_back(std::string(what) + " " + std::to_string(found.size()) + " 行");
        return found.empty() ? nullptr : found.front();
    }

    const QueryRow* typeRow() { return rows(qa::kType).empty() ? nullptr : rows(qa::kType).front(); }

    std::string statementText() {
        const QueryRow* row = typeRow();
        std::string text = row ? row->expression.value_or("") : "";
        while (!text.empty() && text.back() == '\0') text.pop_back();
        return text;
    }

    std::string parameterList() {
        std::vector<std::string> items;
        for (const QueryRow* row : rows(qa::kParameter)) {
            const int32_t jetType = row->flag.value_or(0);
            const std::optional<std::string> typeName = parameterTypeName(jetType);
            std::string item = quotedName(row->name1.value_or("")) + " ";
            if (typeName) {
                item += *typeName;
            } else {
                gaps.push_back("パラメータの型 " + std::to_string(jetType));
                item += "Value";
            }
            if (jetType == 10 && row->extra.value_or(0) > 0) item += "(" + std::to_string(*row->extra) + ")";
            items.push_back(std::move(item));
        }
        return joined(items);
    }

    std::string selectPrefix() {
        std::string prefix = "SELECT ";
        if (!flags_) return prefix;
        if (hasBits(*flags_, kDistinct)) {
            prefix += "DISTINCT ";
        } else if (hasBits(*flags_, kDistinctRow)) {
            prefix += "DISTINCTROW ";
        }
        if (hasBits(*flags_, kTop)) {
            prefix += "TOP " + flags_->name1.value_or("") + " ";
            if (hasBits(*flags_, kPercent)) prefix += "PERCENT ";
        }
        return prefix;
    }

    std::vector<const QueryRow*> columnRows() const {
        std::vector<const QueryRow*> kept;
        for (const QueryRow* row : rows(qa::kColumn)) {
            if (type_ == catalog::dbQAppend && hasBits(*row, kAppendValue)) continue;
            if (type_ == catalog::dbQCrosstab && !hasBits(*row, kCrosstabRowHeading)) continue;
            kept.push_back(row);
        }
        return kept;
    }

    static std::string columnText(const QueryRow& row) {
        std::string text = row.expression.value_or("");
        if (row.name1) text += " AS " + quotedName(*row.name1);
        return text;
    }

    std::string remoteDatabase(const std::optional<std::string>& path,
                               const std::optional<std::string>& kind) {
        if (!path && !kind) return "";
        std::string text = " IN '" + path.value_or("") + "'";
        if (kind) text += " [" + *kind + "]";
        return text;
    }

    void select(std::string& out, bool withPrefix) {
        if (withPrefix) out += selectPrefix();
        std::vector<std::string> columns;
        for (const QueryRow* row : columnRows()) columns.push_back(columnText(*row));
        if (flags_ && hasBits(*flags_, kSelectStar)) columns.push_back("*");
        out += joined(columns);
        if (type_ == catalog::dbQMakeTable) {
            const QueryRow* target = typeRow();
            out += " INTO " + quotedIdentifier(target ? target->name1.value_or("") : "");
            if (target) out += remoteDatabase(target->name2, target->expression);
        }
        from(out);
        clause(out, "WHERE ", single(qa::kWhere, "WHERE"));
        std::vector<std::string> groups;
        for (const QueryRow* row : rows(qa::kGroupBy)) {
            if (type_ == catalog::dbQCrosstab && !hasBits(*row, kCrosstabRowHeading)) continue;
            groups.push_back(row->expression.value_or(""));
        }
        if (!groups.empty()) out += std::string(kNewLine) + "GROUP BY " + joined(groups);
        clause(out, "HAVING ", single(qa::kHaving, "HAVING"));
        orderBy(out);
    }

    void from(std::string& out) {
        std::vector<std::string> items = fromClauseItems(rows(qa::kTable), rows(qa::kJoin), gaps);
        if (items.empty()) return;
        out += std::string(kNewLine) + "FROM " + joined(items);
        if (const QueryRow* remote = single(qa::kRemoteDatabase, "外部データベース")) {
            out += remoteDatabase(remote->name1, remote->expression);
        }
    }

    static void clause(std::string& out, const char* keyword, const QueryRow* row) {
        if (row && row->expression) out += std::string(kNewLine) + keyword + *row->expression;
    }

    void orderBy(std::string& out) {
        std::vector<std::string> keys;
        for (const QueryRow* row : rows(qa::kOrderBy)) {
            std::string key = row->expression.value_or("");
            if (row->name1 && equalsIgnoringCase(*row->name1, "D")) key += " DESC";
            keys.push_back(std::move(key));
        }
        if (!keys.empty()) out += std::string(kNewLine) + "ORDER BY " + joined(keys);
    }

    void append(std::string& out) {
        const QueryRow* target = typeRow();
        out += "INSERT INTO " + quotedIdentifier(target ? target->name1.value_or("") : "");
        std::vector<std::string> targetColumns;
        std::vector<std::string> values;
        for (const QueryRow* row : rows(qa::kColumn)) {
            if (row->name2) targetColumns.push_back(quotedIdentifier(*row->name2));
            if (hasBits(*row, kAppendValue)) values.push_back(row->expression.value_or(""));
        }
        if (!targetColumns.empty()) out += " (" + joined(targetColumns) + ")";
        if (target) out += remoteDatabase(target->name2, target->expression);
        out += kNewLine;
        if (!values.empty()) {
            out += "VALUES (" + joined(values) + ")";
        } else {
            select(out, true);
        }
    }

    void update(std::string& out) {
        out += "UPDATE " + joined(fromClauseItems(rows(qa::kTable), rows(qa::kJoin), gaps));
        if (const QueryRow* remote = single(qa::kRemoteDatabase, "外部データベース")) {
            out += remoteDatabase(remote->name1, remote->expression);
        }
        std::vector<std::string> assignments;
        for (const QueryRow* row : rows(qa::kColumn)) {
            assignments.push_back(quotedIdentifier(row->name2.value_or("")) + " = " +
                                  row->expression.value_or(""));
        }
        out += std::string(kNewLine) + "SET " + joined(assignments);
        clause(out, "WHERE ", single(qa::kWhere, "WHERE"));
    }

    void crosstab(std::string& out) {
        const QueryRow* transform = nullptr;
        const QueryRow* pivot = nullptr;
        for (const QueryRow* row : rows(qa::kColumn)) {
            if (hasBits(*row, kCrosstabPivot)) {
                if (pivot) gaps.push_back("PIVOT");
                pivot = pivot ? pivot : row;
            } else if (!hasBits(*row, kCrosstabRowHeading)) {
                if (transform) gaps.push_back("TRANSFORM");
                transform = transform ? transform : row;
            }
        }
        if (transform && transform->expression) out += "TRANSFORM " + columnText(*transform) + kNewLine;
        select(out, true);
        if (!pivot) gaps.push_back("PIVOT");
        out += std::string(kNewLine) + "PIVOT " + (pivot ? pivot->expression.value_or("") : "");
    }

    std::string unionPart(const char* id) {
        for (const QueryRow* row : rows(qa::kTable)) {
            if (row->name2 && *row->name2 == id) return tidyUnionPart(row->expression.value_or(""));
        }
        gaps.push_back(std::string("UNION ") + (id == kUnionFirstPart ? "1" : "2"));
        return "";
    }

    // Surrounding blanks go, and each run of line ends becomes one CR LF.
    static std::string tidyUnionPart(const std::string& text) {
        const size_t first = text.find_first_not_of(" \t\r\n");
        if (first == std::string::npos) return "";
        const size_t last = text.find_last_not_of(" \t\r\n");
        std::string out;
        bool inLineEnds = false;
        for (size_t i = first; i <= last; ++i) {
            const char c = text[i];
            if (c == '\r' || c == '\n') {
                if (!inLineEnds) out += kNewLine;
                inLineEnds = true;
            } else {
                out += c;
                inLineEnds = false;
            }
        }
        return out;
    }

    void union_(std::string& out) {
        out += unionPart(kUnionFirstPart) + kNewLine + "UNION ";
        if (!flags_ || !hasBits(*flags_, kUnionDistinct)) out += "ALL ";
        out += unionPart(kUnionSecondPart);
        orderBy(out);
    }

    int32_t type_;
    std::map<int, std::vector<const QueryRow*>> byAttribute_;
    const QueryRow* flags_ = nullptr;
};

// The kind in the type row; where the object's flags name another kind,
// the flags hold.
std::optional<int32_t> queryType(int32_t objectFlags, const std::vector<QueryRow>& rows) {
    const int32_t objectType = objectFlags & 0xF0;
    if (objectType != 0) return objectType;
    for (const QueryRow& row : rows) {
        if (row.attribute == qa::kType) return daoTypeOfKind(row.flag.value_or(0));
    }
    return std::nullopt;
}

}  // namespace

RebuiltQuery rebuildQuery(int32_t objectFlags, const std::vector<QueryRow>& rows) {
    RebuiltQuery rebuilt;
    const std::optional<int32_t> type = queryType(objectFlags, rows);
    rebuilt.type = type.value_or(objectFlags & 0xF0);
    if (rows.empty() || !type || *type > catalog::dbQSetOperation) {
        rebuilt.sql =
            std::string(kUnreadablePartMark) + (rows.empty() ? "MSysQueries の行がありません" : "種類");
        return rebuilt;
    }
    QueryText text(*type, rows);
    if (std::count_if(rows.begin(), rows.end(), [](const QueryRow& r) { return r.attribute == qa::kType; }) >
        1) {
        text.gaps.push_back("種類の行が複数");
    }
    rebuilt.sql = text.build();
    rebuilt.sources = text.sources();
    if (!text.gaps.empty())
        rebuilt.sql += std::string(kNewLine) + kUnreadablePartMark + joined(text.gaps, "、");
    return rebuilt;
}

}  // namespace speclore::jet
