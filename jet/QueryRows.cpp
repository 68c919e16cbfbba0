#include "jet/QueryRows.h"

#include <limits>

namespace speclore::jet {

namespace {

std::optional<size_t> columnIndex(const RowTable& table, const char* name) {
    for (size_t i = 0; i < table.columns.size(); ++i) {
        if (table.columns[i] == name) return i;
    }
    return std::nullopt;
}

const CellValue* cellAt(const std::vector<CellValue>& row, std::optional<size_t> column) {
    if (!column || *column >= row.size()) return nullptr;
    return &row[*column];
}

std::optional<std::string> textAt(const std::vector<CellValue>& row, std::optional<size_t> column) {
    const CellValue* cell = cellAt(row, column);
    if (!cell) return std::nullopt;
    const auto* text = std::get_if<std::string>(cell);
    if (!text || text->empty()) return std::nullopt;
    return *text;
}

std::optional<int64_t> integerAt(const std::vector<CellValue>& row, std::optional<size_t> column) {
    const CellValue* cell = cellAt(row, column);
    if (!cell) return std::nullopt;
    const auto* value = std::get_if<int64_t>(cell);
    if (!value) return std::nullopt;
    return *value;
}

std::optional<int32_t> narrow(std::optional<int64_t> value) {
    if (!value || *value < std::numeric_limits<int32_t>::min() ||
        *value > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*value);
}

}  // namespace

std::optional<std::map<int32_t, std::vector<QueryRow>>> queryRowsById(const Snapshot& snapshot) {
    const RowTable* table = snapshot.rowTable("MSysQueries");
    if (!table) return std::nullopt;
    const auto objectId = columnIndex(*table, "ObjectId");
    const auto attribute = columnIndex(*table, "Attribute");
    if (!objectId || !attribute) return std::nullopt;
    const auto expression = columnIndex(*table, "Expression");
    const auto flag = columnIndex(*table, "Flag");
    const auto name1 = columnIndex(*table, "Name1");
    const auto name2 = columnIndex(*table, "Name2");
    const auto extra = columnIndex(*table, "LvExtra");

    std::map<int32_t, std::vector<QueryRow>> byId;
    for (const std::vector<CellValue>& cells : table->rows) {
        const std::optional<int32_t> id = narrow(integerAt(cells, objectId));
        if (!id) continue;
        QueryRow row;
        row.attribute = narrow(integerAt(cells, attribute)).value_or(-1);
        row.expression = textAt(cells, expression);
        row.flag = narrow(integerAt(cells, flag));
        row.name1 = textAt(cells, name1);
        row.name2 = textAt(cells, name2);
        row.extra = narrow(integerAt(cells, extra));
        byId[*id].push_back(std::move(row));
    }
    return byId;
}

}  // namespace speclore::jet
