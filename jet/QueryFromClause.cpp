#include "jet/QueryFromClause.h"

#include <algorithm>

#include "jet/QueryNames.h"
#include "jet/TextCase.h"

namespace speclore::jet {

namespace {

// A table, or a join of two sources; sources refer to each other by
// position in Sources::nodes.
struct Source {
    std::string key;   // the name joins use: the alias, else the table name
    std::string text;  // as written in the FROM list
    bool isJoin = false;
    size_t left = 0;
    size_t right = 0;
    int32_t joinType = 0;
    // The ON conditions; Access writes the last one stored first.
    std::vector<std::string> conditions;
};

struct Sources {
    std::vector<Source> nodes;
    std::vector<size_t> top;  // the FROM list

    size_t add(Source source) {
        nodes.push_back(std::move(source));
        return nodes.size() - 1;
    }

    size_t table(const std::string& name) {
        Source source;
        source.key = name;
        source.text = quotedIdentifier(name);
        return add(std::move(source));
    }

    bool contains(size_t node, const std::string& name) const {
        const Source& source = nodes[node];
        if (!source.isJoin) return equalsIgnoringCase(source.key, name);
        return contains(source.left, name) || contains(source.right, name);
    }

    void write(size_t node, bool topLevel, std::string& out, std::vector<std::string>& gaps) const {
        const Source& source = nodes[node];
        if (!source.isJoin) {
            out += source.text;
            return;
        }
        if (!topLevel) out += '(';
        write(source.left, false, out, gaps);
        out += joinKeyword(source.joinType, gaps);
        write(source.right, false, out, gaps);
        out += " ON ";
        if (source.conditions.size() > 1) out += '(';
        for (size_t i = 0; i < source.conditions.size(); ++i) {
            if (i > 0) out += ") AND (";
            out += source.conditions[i];
        }
        if (source.conditions.size() > 1) out += ')';
        if (!topLevel) out += ')';
    }

    static std::string joinKeyword(int32_t type, std::vector<std::string>& gaps) {
        switch (type) {
        case 1: return " INNER JOIN ";
        case 2: return " LEFT JOIN ";
        case 3: return " RIGHT JOIN ";
        default: gaps.push_back("結合の種類 " + std::to_string(type)); return " JOIN ";
        }
    }
};

std::string tableText(const QueryRow& row) {
    std::string text;
    if (row.expression) {
        const std::string& database = *row.expression;
        const bool bracketed = database.size() >= 2 && database.front() == '[' && database.back() == ']';
        text += bracketed ? database : "[" + database + "]";
        text += '.';
    }
    if (row.name1) text += quotedIdentifier(*row.name1);
    if (row.name2) text += " AS " + quotedName(*row.name2);
    return text;
}

}  // namespace

std::vector<std::string> fromClauseItems(const std::vector<const QueryRow*>& tables,
                                         const std::vector<const QueryRow*>& joins,
                                         std::vector<std::string>& gaps) {
    Sources sources;
    for (const QueryRow* row : tables) {
        Source source;
        source.key = row->name2.value_or(row->name1.value_or(""));
        source.text = tableText(*row);
        sources.top.push_back(sources.add(std::move(source)));
    }

    if (joins.size() > kMaxQueryJoins) gaps.push_back("結合 " + std::to_string(joins.size()) + " 件");
    const size_t joinCount = std::min(joins.size(), kMaxQueryJoins);
    for (size_t j = 0; j < joinCount; ++j) {
        const QueryRow& join = *joins[j];
        const std::string from = join.name1.value_or("");
        const std::string to = join.name2.value_or("");
        const std::string condition = join.expression.value_or("");
        const int32_t type = join.flag.value_or(0);

        std::optional<size_t> left;
        std::optional<size_t> right;
        for (auto it = sources.top.begin(); it != sources.top.end() && (!left || !right);) {
            if (!left && sources.contains(*it, from)) {
                left = *it;
                if (!right && sources.contains(*it, to)) {
                    right = *it;
                    break;
                }
                it = sources.top.erase(it);
            } else if (!right && sources.contains(*it, to)) {
                right = *it;
                it = sources.top.erase(it);
            } else {
                ++it;
            }
        }
        if (!left) left = sources.table(from);
        if (!right) right = sources.table(to);

        if (*left == *right) {
            Source& existing = sources.nodes[*left];
            if (existing.isJoin && existing.joinType == type) {
                existing.conditions.insert(existing.conditions.begin(), condition);
            } else {
                gaps.push_back("結合 " + from + " - " + to);
            }
            continue;
        }
        Source combined;
        combined.isJoin = true;
        combined.left = *left;
        combined.right = *right;
        combined.joinType = type;
        combined.conditions.push_back(condition);
        sources.top.push_back(sources.add(std::move(combined)));
    }

    std::vector<std::string> items;
    for (size_t node : sources.top) {
        std::string text;
        sources.write(node, true, text, gaps);
        items.push_back(std::move(text));
    }
    return items;
}

}  // namespace speclore::jet
