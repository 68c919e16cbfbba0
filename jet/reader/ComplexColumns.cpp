#include "jet/reader/ComplexColumns.h"

#include <optional>
#include <unordered_map>

namespace speclore::jet::reader {

namespace {

std::optional<int64_t> integerAt(const RowTable& table, const std::vector<CellValue>& row,
                                 const char* column) {
    for (size_t i = 0; i < table.columns.size() && i < row.size(); ++i) {
        if (table.columns[i] != column) continue;
        if (auto* value = std::get_if<int64_t>(&row[i])) return *value;
    }
    return std::nullopt;
}

}  // namespace

ComplexTypeTables readComplexTypeTables(MdbHandle* mdb, const std::vector<CatalogRow>& catalog) {
    ComplexTypeTables types;
    const std::optional<RowTable> columns = readRowTable(mdb, catalog, "MSysComplexColumns");
    if (!columns) return types;
    // A type table's object id is its definition page, as for every table.
    std::unordered_map<uint32_t, const std::string*> tableById;
    for (const CatalogRow& row : catalog) {
        if (row.object.type == 1) tableById.emplace(row.definitionPage, &row.object.name);
    }
    for (const auto& row : columns->rows) {
        auto complexId = integerAt(*columns, row, "ComplexID");
        auto typeObject = integerAt(*columns, row, "ComplexTypeObjectID");
        if (!complexId || !typeObject) continue;
        auto found = tableById.find(static_cast<uint32_t>(*typeObject) & 0x00FFFFFF);
        if (found != tableById.end()) types[static_cast<uint32_t>(*complexId)] = *found->second;
    }
    return types;
}

}  // namespace speclore::jet::reader
