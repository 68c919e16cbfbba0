#include "jet/SqlExecution.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <unordered_map>

#include "app/AppError.h"
#include "jet/TextCase.h"

namespace speclore::jet::sql {

namespace {

// A row of the joined tables: one row number per table of the FROM clause.
using JoinedRow = std::vector<uint32_t>;

struct Slot {
    size_t table = 0;
    size_t column = 0;
};

// Where a column reference points, checked once before any row is read.
class Scope {
public:
    explicit Scope(std::vector<const RowTable*> tables) : tables_(std::move(tables)) {}

    const std::vector<const RowTable*>& tables() const { return tables_; }

    Slot resolve(const ColumnRef& ref, size_t visibleTables) const {
        std::optional<Slot> found;
        for (size_t t = 0; t < visibleTables; ++t) {
            const RowTable& table = *tables_[t];
            if (!ref.table.empty() && !equalsIgnoringCase(ref.table, table.name)) continue;
            for (size_t c = 0; c < table.columns.size(); ++c) {
                if (!equalsIgnoringCase(ref.column, table.columns[c])) continue;
                if (found) throw AppError(err::DbAmbiguousField);
                found = Slot{t, c};
            }
        }
        // Jet takes a name it cannot place for a parameter with no value.
        if (!found) throw AppError(err::DbTooFewParameters);
        return *found;
    }

    const CellValue& value(const JoinedRow& row, Slot slot) const {
        return tables_[slot.table]->rows[row[slot.table]][slot.column];
    }

private:
    std::vector<const RowTable*> tables_;
};

// Jet's ordering of values: Null first, numbers by value, text as
// `compareText` has it; a number and a text do not compare.
template <typename CompareText>
int compareValues(const CellValue& a, const CellValue& b, CompareText compareText) {
    const bool aNull = a.index() == 0, bNull = b.index() == 0;
    if (aNull || bNull) return static_cast<int>(!aNull) - static_cast<int>(!bNull);
    if (auto* x = std::get_if<int64_t>(&a)) {
        auto* y = std::get_if<int64_t>(&b);
        if (!y) throw AppError(err::TypeMismatch);
        return *x < *y ? -1 : *x > *y ? 1 : 0;
    }
    auto* y = std::get_if<std::string>(&b);
    if (!y) throw AppError(err::TypeMismatch);
    return compareText(std::get<std::string>(a), *y);
}

// A condition compiled against a scope: column references resolved.
class Condition {
public:
    enum class Truth { False, True, Unknown };

    Condition(const Expr& expr, const Scope& scope, size_t visibleTables) : expr_(expr) {
        if (expr.kind == Expr::Kind::Column) slot_ = scope.resolve(expr.column, visibleTables);
        if (expr.left) left_ = std::make_unique<Condition>(*expr.left, scope, visibleTables);
        if (expr.right) right_ = std::make_unique<Condition>(*expr.right, scope, visibleTables);
    }

    Truth test(const Scope& scope, const JoinedRow& row) const {
        switch (expr_.kind) {
        case Expr::Kind::And: {
            Truth l = left_->test(scope, row);
            if (l == Truth::False) return l;
            Truth r = right_->test(scope, row);
            return r == Truth::True ? l : r;
        }
        case Expr::Kind::Or: {
            Truth l = left_->test(scope, row);
            if (l == Truth::True) return l;
            Truth r = right_->test(scope, row);
            return r == Truth::False ? l : r;
        }
        case Expr::Kind::Not: {
            Truth t = left_->test(scope, row);
            return t == Truth::Unknown ? t : t == Truth::True ? Truth::False : Truth::True;
        }
        case Expr::Kind::IsNull: {
            bool isNull = left_->value(scope, row).index() == 0;
            return isNull != (expr_.op == "NOT") ? Truth::True : Truth::False;
        }
        case Expr::Kind::Compare: return compare(left_->value(scope, row), right_->value(scope, row));
        default: {
            // A bare value as a condition: Jet takes non-zero as true.
            const CellValue& v = value(scope, row);
            if (v.index() == 0) return Truth::Unknown;
            auto* i = std::get_if<int64_t>(&v);
            if (!i) throw AppError(err::TypeMismatch);
            return *i != 0 ? Truth::True : Truth::False;
        }
        }
    }

    const CellValue& value(const Scope& scope, const JoinedRow& row) const {
        if (expr_.kind == Expr::Kind::Column) return scope.value(row, slot_);
        if (expr_.kind == Expr::Kind::Literal) return expr_.literal;
        // A comparison used as a value (parenthesised) stands for -1 or 0.
        static const CellValue trueValue{int64_t{-1}}, falseValue{int64_t{0}}, unknown{};
        Truth t = test(scope, row);
        return t == Truth::True ? trueValue : t == Truth::False ? falseValue : unknown;
    }

    // The two slots of `a.x = b.y` when this is one, for a hash join.
    std::optional<std::pair<Slot, Slot>> equalityOfColumns() const {
        if (expr_.kind != Expr::Kind::Compare || expr_.op != "=" || expr_.left->kind != Expr::Kind::Column ||
            expr_.right->kind != Expr::Kind::Column) {
            return std::nullopt;
        }
        return std::make_pair(left_->slot_, right_->slot_);
    }

private:
    Truth compare(const CellValue& a, const CellValue& b) const {
        if (a.index() == 0 || b.index() == 0) return Truth::Unknown;
        // Conditions compare text without regard to case only; the join
        // and the statements we send need no more.
        int c = compareValues(a, b, compareIgnoringCase);
        const std::string& op = expr_.op;
        bool result;
        if (op == "=") {
            result = c == 0;
        } else if (op == "<>") {
            result = c != 0;
        } else if (op == "<") {
            result = c < 0;
        } else if (op == "<=") {
            result = c <= 0;
        } else if (op == ">") {
            result = c > 0;
        } else {
            result = c >= 0;
        }
        return result ? Truth::True : Truth::False;
    }

    const Expr& expr_;
    Slot slot_;
    std::unique_ptr<Condition> left_, right_;
};

// A value under which equal values (to Jet) meet in a hash join: numbers
// by value, text by its case-folded code points; Null meets nothing.
struct JoinKey {
    const CellValue* value;
};

struct JoinKeyHash {
    size_t operator()(JoinKey key) const {
        if (auto* i = std::get_if<int64_t>(key.value)) return std::hash<int64_t>{}(*i);
        const std::string& text = std::get<std::string>(*key.value);
        // FNV-1a over the folded code points, as equalsIgnoringCase compares them.
        uint64_t hash = 0xcbf29ce484222325u;
        for (size_t at = 0; at < text.size();) {
            // Names are mostly ASCII, whose folding needs no call.
            const auto c = static_cast<unsigned char>(text[at]);
            char32_t folded;
            if (c < 0x80) {
                folded = c >= 'A' && c <= 'Z' ? c + 0x20u : c;
                ++at;
            } else {
                folded = foldCase(nextCodePoint(text, at));
            }
            hash = (hash ^ folded) * 0x100000001b3u;
        }
        return static_cast<size_t>(hash);
    }
};

struct JoinKeyEqual {
    bool operator()(JoinKey a, JoinKey b) const {
        if (a.value->index() != b.value->index()) return false;
        if (auto* i = std::get_if<int64_t>(a.value)) return *i == std::get<int64_t>(*b.value);
        return equalsIgnoringCase(std::get<std::string>(*a.value), std::get<std::string>(*b.value));
    }
};

bool joins(const CellValue& v) { return v.index() != 0; }

const RowTable& findTable(const std::vector<RowTable>& tables, const std::string& name) {
    for (const RowTable& table : tables) {
        if (equalsIgnoringCase(table.name, name)) return table;
    }
    throw AppError(err::DbInputTableNotFound, "入力テーブルまたはクエリ '" + name +
                                                  "' が見つかりません。存在していること、"
                                                  "そしてその名前のスペルが正しいことを確認してください。");
}

// No real catalog joins to anything near this many rows: a damaged or
// crafted one could otherwise make the join exhaust the program's memory.
constexpr size_t kMostJoinedRows = 1'000'000;

void addJoinedRow(std::vector<JoinedRow>& joined, JoinedRow row) {
    if (joined.size() >= kMostJoinedRows) {
        throw AppError(
            err::DbCannotOpen,
            "システム テーブルの結合結果が大きすぎます。データベースが破損している可能性があります。");
    }
    joined.push_back(std::move(row));
}

// Adds `table` to the joined rows, keeping the order of the rows so far
// and, within each, the stored order of the new table's rows.
std::vector<JoinedRow> join(const std::vector<JoinedRow>& rows, const Scope& scope, size_t newTable,
                            const Condition& on) {
    const RowTable& table = *scope.tables()[newTable];
    std::vector<JoinedRow> joined;
    auto equality = on.equalityOfColumns();
    if (equality && (equality->first.table == newTable) != (equality->second.table == newTable)) {
        Slot inner = equality->first.table == newTable ? equality->first : equality->second;
        Slot outer = equality->first.table == newTable ? equality->second : equality->first;
        // The new table's rows of each key, in stored order: the first
        // and last of them here, each one's next in `nextOfKey`.
        constexpr uint32_t kNoRow = UINT32_MAX;
        std::unordered_map<JoinKey, std::pair<uint32_t, uint32_t>, JoinKeyHash, JoinKeyEqual> byKey;
        byKey.reserve(table.rows.size());
        std::vector<uint32_t> nextOfKey(table.rows.size(), kNoRow);
        for (uint32_t r = 0; r < table.rows.size(); ++r) {
            const CellValue& value = table.rows[r][inner.column];
            if (!joins(value)) continue;
            auto [found, added] = byKey.try_emplace(JoinKey{&value}, r, r);
            if (!added) {
                nextOfKey[found->second.second] = r;
                found->second.second = r;
            }
        }
        for (const JoinedRow& row : rows) {
            const CellValue& value = scope.value(row, outer);
            if (!joins(value)) continue;
            auto found = byKey.find(JoinKey{&value});
            if (found == byKey.end()) continue;
            for (uint32_t r = found->second.first; r != kNoRow; r = nextOfKey[r]) {
                JoinedRow next = row;
                next[newTable] = r;
                addJoinedRow(joined, std::move(next));
            }
        }
        return joined;
    }
    for (const JoinedRow& row : rows) {
        for (uint32_t r = 0; r < table.rows.size(); ++r) {
            JoinedRow next = row;
            next[newTable] = r;
            if (on.test(scope, next) == Condition::Truth::True) addJoinedRow(joined, std::move(next));
        }
    }
    return joined;
}

// The rows in the order of the keys, ties in their order before. Each
// text key's rank is looked up once per row, not once per comparison.
std::vector<JoinedRow> sorted(std::vector<JoinedRow> rows, const std::vector<std::pair<Slot, bool>>& keys,
                              const Scope& scope, const TextOrder& textOrder) {
    const size_t keyCount = keys.size();
    std::vector<std::optional<uint32_t>> ranks(rows.size() * keyCount);
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t k = 0; k < keyCount; ++k) {
            if (auto* text = std::get_if<std::string>(&scope.value(rows[r], keys[k].first))) {
                ranks[r * keyCount + k] = textOrder.rank(*text);
            }
        }
    }
    std::vector<size_t> order(rows.size());
    for (size_t r = 0; r < order.size(); ++r) order[r] = r;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        for (size_t k = 0; k < keyCount; ++k) {
            const auto& [slot, descending] = keys[k];
            int c = compareValues(scope.value(rows[a], slot), scope.value(rows[b], slot),
                                  [&](const std::string& x, const std::string& y) {
                                      return textOrder.compare(x, ranks[a * keyCount + k], y,
                                                               ranks[b * keyCount + k]);
                                  });
            if (c != 0) return descending ? c > 0 : c < 0;
        }
        return false;
    });
    std::vector<JoinedRow> result;
    result.reserve(rows.size());
    for (size_t r : order) result.push_back(std::move(rows[r]));
    return result;
}

}  // namespace

std::vector<RowTable> queryableTables(Snapshot&& snapshot) {
    RowTable objects;
    objects.name = "MSysObjects";
    objects.columns = {"Name", "Type", "Flags"};
    objects.rows.reserve(snapshot.objects.size());
    for (CatalogObject& object : snapshot.objects) {
        objects.rows.push_back({std::move(object.name), int64_t{object.type}, int64_t{object.flags}});
    }
    std::vector<RowTable> tables{std::move(objects)};
    std::move(snapshot.rowTables.begin(), snapshot.rowTables.end(), std::back_inserter(tables));
    return tables;
}

ResultSet execute(const SelectStatement& statement, const std::vector<RowTable>& tables,
                  const TextOrder& textOrder) {
    std::vector<const RowTable*> sources{&findTable(tables, statement.from)};
    for (const Join& join : statement.joins) sources.push_back(&findTable(tables, join.table));
    const Scope scope(sources);
    const size_t width = sources.size();

    std::vector<JoinedRow> rows;
    rows.reserve(sources[0]->rows.size());
    for (uint32_t r = 0; r < sources[0]->rows.size(); ++r) {
        JoinedRow row(width, 0);
        row[0] = r;
        rows.push_back(std::move(row));
    }
    for (size_t j = 0; j < statement.joins.size(); ++j) {
        Condition on(*statement.joins[j].on, scope, j + 2);
        rows = join(rows, scope, j + 1, on);
    }
    if (statement.where) {
        Condition where(*statement.where, scope, width);
        std::erase_if(rows,
                      [&](const JoinedRow& row) { return where.test(scope, row) != Condition::Truth::True; });
    }

    std::vector<std::pair<Slot, bool>> keys;
    for (const OrderKey& key : statement.orderBy)
        keys.emplace_back(scope.resolve(key.column, width), key.descending);
    if (!keys.empty()) rows = sorted(std::move(rows), keys, scope, textOrder);

    ResultSet result;
    const bool counting =
        std::any_of(statement.items.begin(), statement.items.end(),
                    [](const SelectItem& i) { return i.kind == SelectItem::Kind::CountAll; });
    if (counting) {
        std::vector<CellValue> row;
        for (const SelectItem& item : statement.items) {
            if (item.kind != SelectItem::Kind::CountAll) throw AppError(err::DbSyntaxError);
            // Jet names an unnamed expression Expr1000, Expr1001, ...
            result.columns.push_back(
                item.alias.empty() ? "Expr" + std::to_string(1000 + result.columns.size()) : item.alias);
            row.emplace_back(static_cast<int64_t>(rows.size()));
        }
        result.rows.push_back(std::move(row));
        return result;
    }

    std::vector<Slot> slots;
    for (const SelectItem& item : statement.items) {
        if (item.kind == SelectItem::Kind::AllColumns) {
            for (size_t t = 0; t < width; ++t) {
                for (size_t c = 0; c < sources[t]->columns.size(); ++c) {
                    slots.push_back({t, c});
                    result.columns.push_back(width > 1 ? sources[t]->name + "." + sources[t]->columns[c]
                                                       : sources[t]->columns[c]);
                }
            }
            continue;
        }
        Slot slot = scope.resolve(item.column, width);
        slots.push_back(slot);
        result.columns.push_back(item.alias.empty() ? sources[slot.table]->columns[slot.column] : item.alias);
    }
    result.rows.reserve(rows.size());
    for (const JoinedRow& row : rows) {
        std::vector<CellValue> values;
        values.reserve(slots.size());
        for (Slot slot : slots) values.push_back(scope.value(row, slot));
        result.rows.push_back(std::move(values));
    }
    return result;
}

}  // namespace speclore::jet::sql
